#include "raster/banded_frame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <chrono>
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

  list_.reset(deviceCapsOf(frame, widthMm), &measure_);
  stampScratch_.resize(static_cast<size_t>(bands));
  const int32_t rows = list_.deviceCaps().height;
  if (bands == 1) {
    composeFrame(ctx, list_);
    edges_ = list_.bandEdges(1, rows);
    lastEdges_ = edges_;
    QPainter painter(&frame);
    QtCanvas canvas(painter, widthMm);
    canvas.useStampScratch(stampScratch_[0]);
    list_.replay(canvas);
    return;
  }

  // Band 0 draws on the frame itself, every other band on a surface of its
  // own the frame's size: the painters are not clipped to the bands, so
  // that Qt places every pixel as one painter over the whole frame does
  // (see QtCanvas::setBand), and a band's drawing beyond its rows must land
  // where no other band's rows are. Each band's rows are copied onto its
  // surface first and back when all bands have drawn.
  //
  // The other bands draw while the frame is recorded, following the
  // recording batch by batch; band 0 draws when the recording is done, on
  // the recording's thread. Its band is therefore lighter, by the recording's
  // time as the frame before measured it, so that every thread ends at once.
  const int height = frame.height();
  uchar* frameBits = frame.bits();
  const qsizetype stride = frame.bytesPerLine();
  auto copyRows = [&](int band, int top, int bottom, bool toSurface) {
    if (band == 0 || bottom <= top) return;
    uchar* surface = surfaces_[static_cast<size_t>(band)].bits();
    uchar* from = (toSurface ? frameBits : surface) + top * stride;
    uchar* to = (toSurface ? surface : frameBits) + top * stride;
    std::memcpy(to, from, static_cast<size_t>(bottom - top) * static_cast<size_t>(stride));
  };
  surfaces_.resize(static_cast<size_t>(bands));
  for (int b = 1; b < bands; ++b) {
    QImage& s = surfaces_[static_cast<size_t>(b)];
    if (s.size() != frame.size() || s.format() != frame.format()) {
      s = QImage(frame.size(), frame.format());
    }
    s.setDevicePixelRatio(ratio);
  }
  // This frame's bands are those the last frame's work gave; equal rows for
  // the first frame or another size.
  std::vector<int32_t> edges = edges_;
  if (edges.size() != static_cast<size_t>(bands) + 1 || edges.back() != rows) {
    edges.assign(static_cast<size_t>(bands) + 1, 0);
    for (int b = 0; b <= bands; ++b) {
      edges[static_cast<size_t>(b)] = static_cast<int32_t>(int64_t{rows} * b / bands);
    }
  }
  auto deviceRows = [&](int band) {
    const int top = std::clamp(edges[static_cast<size_t>(band)] * wholeRatio, 0, height);
    const int bottom = std::clamp(edges[static_cast<size_t>(band) + 1] * wholeRatio, top, height);
    return std::pair{top, bottom};
  };
  auto drawBand = [&](int band, bool following) {
    const int32_t top = edges[static_cast<size_t>(band)];
    const int32_t bottom = edges[static_cast<size_t>(band) + 1];
    QImage& target = band == 0 ? frame : surfaces_[static_cast<size_t>(band)];
    QPainter painter(&target);
    QtCanvas canvas(painter, widthMm);
    canvas.setBand(top, bottom);
    canvas.useStampScratch(stampScratch_[static_cast<size_t>(band)]);
    if (following) {
      list_.replayFollowing(canvas, top, bottom);
    } else {
      list_.replay(canvas, top, bottom);
    }
  };
  // Band 0 draws over the frame's rows of the other bands too: it starts
  // only when each of them has its rows on its surface.
  std::atomic<int> rowsTaken = 0;
  const std::function<void(int)> follow = [&](int band) {
    const auto [rowsTop, rowsBottom] = deviceRows(band);
    copyRows(band, rowsTop, rowsBottom, true);
    rowsTaken.fetch_add(1, std::memory_order_release);
    if (edges[static_cast<size_t>(band)] < edges[static_cast<size_t>(band) + 1]) {
      drawBand(band, true);
    }
  };
  const auto start = std::chrono::steady_clock::now();
  list_.startPublishing();
  pool_.start(follow);
  try {
    composeFrame(ctx, list_);
  } catch (...) {
    // The other bands use this frame's locals: they end before it is left.
    list_.finishPublishing();
    pool_.wait();
    throw;
  }
  list_.finishPublishing();
  const auto recorded = std::chrono::steady_clock::now();
  while (rowsTaken.load(std::memory_order_acquire) < bands - 1) std::this_thread::yield();
  if (edges[0] < edges[1]) drawBand(0, false);
  const auto drawn = std::chrono::steady_clock::now();
  pool_.wait();

  // The next frame's bands: band 0 gets its share of the work less the
  // recording, as this frame measured both (the work of band 0 over the
  // share it was given stands for the whole).
  const double recordMs = std::chrono::duration<double, std::milli>(recorded - start).count();
  const double band0Ms = std::chrono::duration<double, std::milli>(drawn - recorded).count();
  const double given = firstShare_ > 0 ? firstShare_ : 1.0 / bands;
  const double workMs = band0Ms / given;
  double share = 1.0 / bands;
  if (workMs > 0) share = (workMs - (bands - 1) * recordMs) / (bands * workMs);
  share = std::clamp(share, 0.1 / bands, 1.0 / bands);
  firstShare_ = firstShare_ > 0 ? (firstShare_ + share) / 2 : share;
  edges_ = list_.bandEdges(bands, rows, firstShare_);

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
  lastEdges_ = std::move(edges);
}

}  // namespace tikhomap
