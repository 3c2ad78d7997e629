// A frame composed once into a display list and rasterised in horizontal
// bands by a pool of threads. Each band replays the commands that reach its
// rows, with a painter over an image of the whole frame's size and the
// frame's own clip, so that Qt lays down exactly the pixels a single painter
// would (a sub-image with a moved painter would not: outlines, wide lines
// and text come out differently; a painter clipped to the band would move
// pixels of lines crossing the band's edges).
#pragma once

#include <QFont>
#include <QImage>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "raster/mask_stamps.h"
#include "render/display_list.h"
#include "render/frame_state.h"

namespace tikhomap {

// Threads kept for the program's lifetime: the toolkit's font and glyph
// caches belong to a thread, and starting threads per frame would cost
// more than a band of a light frame.
class BandPool {
 public:
  // size threads work on each job; the calling thread is one of them.
  explicit BandPool(int size);
  ~BandPool();
  BandPool(const BandPool&) = delete;
  BandPool& operator=(const BandPool&) = delete;

  int size() const { return size_; }
  // Runs job(0) .. job(size - 1), each on its own thread (job(0) on the
  // caller's), and returns when every one has finished.
  void run(const std::function<void(int)>& job);
  // Starts job(1) .. job(size - 1) on the other threads and returns at once;
  // wait() returns when they have finished. job must live until then, and
  // no other job may be run or started meanwhile.
  void start(const std::function<void(int)>& job);
  void wait();

 private:
  void work(int index);

  int size_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  const std::function<void(int)>* job_ = nullptr;
  uint64_t generation_ = 0;
  int running_ = 0;
  bool stopping_ = false;
};

// Text boxes by the fonts QtCanvas draws with.
class QtTextMeasure final : public TextMeasure {
 public:
  Rect textBox(const Font& font, int characterExtra, bool opaqueBackground, int32_t x, int32_t y,
               std::string_view utf8) override;

 private:
  std::optional<Font> font_;
  int characterExtra_ = 0;
  double cell_ = 0;    // ascent + descent
  double widest_ = 0;  // the widest glyph and the character extra
};

// The number of threads of a frame: asked > 0 as asked, otherwise one per
// core of the machine, at most eight.
int frameThreadCount(int asked);

class BandedFrameComposer {
 public:
  explicit BandedFrameComposer(int threads);

  int threads() const { return pool_.size(); }
  // Composes the context's view into frame (RGB32, not null) as composeFrame
  // on a QtCanvas over it would, widthMm being the image's physical width.
  void compose(RenderContext& ctx, QImage& frame, float widthMm);
  // The list of the last frame.
  const DisplayList& list() const { return list_; }
  // Band edges of the last frame (logical rows).
  const std::vector<int32_t>& bandEdges() const { return edges_; }

 private:
  DisplayList list_;
  QtTextMeasure measure_;
  BandPool pool_;
  std::vector<int32_t> edges_;
  std::vector<QImage> surfaces_;                // bands 1.. draw here; band 0 on the frame
  std::vector<MaskStampScratch> stampScratch_;  // one per band
  // Device rows of the frame already on each band's surface: copied while
  // the frame is recorded, by the band edges of the frame before.
  std::vector<std::pair<int, int>> copied_;
};

}  // namespace tikhomap
