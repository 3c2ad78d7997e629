#include "raster/banded_frame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "raster/qt_canvas.h"
#include "render/compose_frame.h"

namespace tikhomap {

BandPool::BandPool(int size) : size_(std::max(1, size)) {
  workers_.reserve(static_cast<size_t>(size_ - 1));
  for (int i = 1; i < size_; ++i) workers_.emplace_back([this, i] { work(i); });
}

BandPool::~BandPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

void BandPool::run(const std::function<void(int)>& job) {
  start(job);
  job(0);
  wait();
}

void BandPool::start(const std::function<void(int)>& job) {
  if (size_ == 1) return;
  {
    std::lock_guard lock(mutex_);
    job_ = &job;
    running_ = size_ - 1;
    ++generation_;
  }
  wake_.notify_all();
}

void BandPool::wait() {
  if (size_ == 1) return;
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return running_ == 0; });
  job_ = nullptr;
}

void BandPool::work(int index) {
  uint64_t seen = 0;
  for (;;) {
    const std::function<void(int)>* job = nullptr;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      job = job_;
    }
    (*job)(index);
    bool last = false;
    {
      std::lock_guard lock(mutex_);
      last = --running_ == 0;
    }
    if (last) done_.notify_one();
  }
}

Rect QtTextMeasure::textBox(const Font& font, int characterExtra, bool opaqueBackground, int32_t x,
                            int32_t y, std::string_view utf8) {
  if (!font_ || !(*font_ == font) || characterExtra_ != characterExtra) {
    font_ = font;
    characterExtra_ = characterExtra;
    QFont q = makeCellFont(font);
    q.setLetterSpacing(QFont::AbsoluteSpacing, characterExtra);
    const QFontMetricsF fm(q);
    cell_ = fm.ascent() + fm.descent();
    // Letters missing from the face come from a fallback face: a quarter
    // more than the widest glyph of either measure covers them.
    widest_ = std::max(fm.maxWidth(), cell_) * 1.25 + std::abs(characterExtra);
  }
  // Only the rows matter. Unturned text stays within its cell, widened by
  // what glyphs and an opaque background may reach past it; turned text
  // also by its length, bounded by the widest glyph of the font without
  // shaping the text: every letter takes at least one byte.
  const double margin = cell_ / 2 + (opaqueBackground ? cell_ / 2 : 0) + 2;
  double top = -margin;
  double bottom = cell_ + margin;
  if (font.escapement != 0) {
    const double length = widest_ * static_cast<double>(utf8.size());
    const QRectF box(-margin, -margin, length + 2 * margin, cell_ + 2 * margin);
    // Turned counter-clockwise about the origin, y pointing down.
    const double angle = font.escapement / 10.0 * M_PI / 180.0;
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    top = 1e300;
    bottom = -1e300;
    for (const QPointF p : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
      const double turned = -p.x() * s + p.y() * c;
      top = std::min(top, turned);
      bottom = std::max(bottom, turned);
    }
  }
  Rect r;
  r.left = x - static_cast<int32_t>(
                   std::ceil(widest_ * static_cast<double>(utf8.size()) + 2 * margin + cell_));
  r.right = x + static_cast<int32_t>(
                    std::ceil(widest_ * static_cast<double>(utf8.size()) + 2 * margin + cell_));
  r.top = y + static_cast<int32_t>(std::floor(top)) - 1;
  r.bottom = y + static_cast<int32_t>(std::ceil(bottom)) + 2;
  return r;
}

int frameThreadCount(int asked) {
  if (asked > 0) return asked;
  // Past eight bands a frame gains little and each band keeps a frame-sized
  // surface.
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
}

BandedFrameComposer::BandedFrameComposer(int threads) : pool_(frameThreadCount(threads)) {}

void BandedFrameComposer::compose(RenderContext& ctx, QImage& frame, float widthMm) {
  const qreal ratio = frame.devicePixelRatio();
  const int wholeRatio = static_cast<int>(std::lround(ratio));
  // Bands meet on device rows only at a whole pixel ratio.
  const int bands = wholeRatio >= 1 && wholeRatio == ratio ? pool_.size() : 1;

  // Band 0 draws on the frame itself, every other band on a surface of its
  // own the frame's size: the painters are not clipped to the bands, so
  // that Qt places every pixel as one painter over the whole frame does
  // (see QtCanvas::setBand), and a band's drawing beyond its rows must land
  // where no other band's rows are. Each band's rows are copied onto its
  // surface first and back when all bands have drawn. The copies onto the
  // surfaces are made while the frame is recorded, for the rows the bands
  // had last time; a band copies what it lacks of its rows before it draws.
  const int height = frame.height();
  uchar* frameBits = bands > 1 ? frame.bits() : nullptr;
  const qsizetype stride = frame.bytesPerLine();
  auto copyRows = [&](int band, int top, int bottom, bool toSurface) {
    if (band == 0 || bottom <= top) return;
    uchar* surface = surfaces_[static_cast<size_t>(band)].bits();
    uchar* from = (toSurface ? frameBits : surface) + top * stride;
    uchar* to = (toSurface ? surface : frameBits) + top * stride;
    std::memcpy(to, from, static_cast<size_t>(bottom - top) * static_cast<size_t>(stride));
  };
  const std::function<void(int)> copyAhead = [&](int band) {
    const auto [top, bottom] = copied_[static_cast<size_t>(band)];
    copyRows(band, top, bottom, true);
  };
  if (bands > 1) {
    surfaces_.resize(static_cast<size_t>(bands));
    for (int b = 1; b < bands; ++b) {
      QImage& s = surfaces_[static_cast<size_t>(b)];
      if (s.size() != frame.size() || s.format() != frame.format()) {
        s = QImage(frame.size(), frame.format());
      }
      s.setDevicePixelRatio(ratio);
    }
    // The rows of the frame before, or equal bands for the first.
    copied_.resize(static_cast<size_t>(bands));
    for (int b = 0; b < bands; ++b) {
      const bool known = edges_.size() == static_cast<size_t>(bands) + 1;
      const int top = known ? edges_[static_cast<size_t>(b)] * wholeRatio : height * b / bands;
      const int bottom =
          known ? edges_[static_cast<size_t>(b) + 1] * wholeRatio : height * (b + 1) / bands;
      copied_[static_cast<size_t>(b)] = {std::clamp(top, 0, height),
                                         std::clamp(bottom, std::clamp(top, 0, height), height)};
    }
    pool_.start(copyAhead);
  }

  list_.reset(deviceCapsOf(frame, widthMm), &measure_);
  try {
    composeFrame(ctx, list_);
  } catch (...) {
    // The copies ahead use this frame's locals: they end before it is left.
    if (bands > 1) pool_.wait();
    throw;
  }
  if (bands > 1) pool_.wait();

  edges_ = list_.bandEdges(bands, list_.deviceCaps().height);
  stampScratch_.resize(static_cast<size_t>(bands));
  if (bands == 1) {
    QPainter painter(&frame);
    QtCanvas canvas(painter, widthMm);
    canvas.useStampScratch(stampScratch_[0]);
    list_.replay(canvas);
    return;
  }
  auto deviceRows = [&](int band) {
    const int top = std::clamp(edges_[static_cast<size_t>(band)] * wholeRatio, 0, height);
    const int bottom = std::clamp(edges_[static_cast<size_t>(band) + 1] * wholeRatio, top, height);
    return std::pair{top, bottom};
  };
  pool_.run([&](int band) {
    const int32_t top = edges_[static_cast<size_t>(band)];
    const int32_t bottom = edges_[static_cast<size_t>(band) + 1];
    if (top >= bottom) return;
    // The rows of this band the copy ahead did not bring.
    const auto [rowsTop, rowsBottom] = deviceRows(band);
    const auto [copiedTop, copiedBottom] = copied_[static_cast<size_t>(band)];
    if (copiedBottom <= rowsTop || copiedTop >= rowsBottom || copiedTop >= copiedBottom) {
      copyRows(band, rowsTop, rowsBottom, true);
    } else {
      copyRows(band, rowsTop, std::min(copiedTop, rowsBottom), true);
      copyRows(band, std::max(copiedBottom, rowsTop), rowsBottom, true);
    }
    QImage& target = band == 0 ? frame : surfaces_[static_cast<size_t>(band)];
    QPainter painter(&target);
    QtCanvas canvas(painter, widthMm);
    canvas.setBand(top, bottom);
    canvas.useStampScratch(stampScratch_[static_cast<size_t>(band)]);
    list_.replay(canvas, top, bottom);
  });
  // The rows of bands 1.. go back onto the frame, shared evenly among all
  // the threads: band 0 has nothing to copy, and its thread would wait.
  int copiedRows = 0;
  for (int b = 1; b < bands; ++b) {
    const auto [top, bottom] = deviceRows(b);
    copiedRows += bottom - top;
  }
  pool_.run([&](int thread) {
    // This thread's share, counted through the bands' rows in order.
    const int shareFrom = static_cast<int>(int64_t{copiedRows} * thread / bands);
    const int shareTo = static_cast<int>(int64_t{copiedRows} * (thread + 1) / bands);
    int passed = 0;
    for (int b = 1; b < bands && passed < shareTo; ++b) {
      const auto [top, bottom] = deviceRows(b);
      const int from = std::max(shareFrom - passed, 0);
      const int to = std::min(shareTo - passed, bottom - top);
      if (from < to) copyRows(b, top + from, top + to, false);
      passed += bottom - top;
    }
  });
}

}  // namespace tikhomap
