#include "mapdata/map_file.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>

#include "mapdata/map_readers.h"
#include "mapdata/point_codec.h"

namespace tikhomap {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMaxRecords = 32767;  // an int16 count
constexpr uint64_t kMaxVertices = 32767;
constexpr uint64_t kMaxName = 255;  // a uint8 length
constexpr uint64_t kFeatureRecord = 4 + 16 + kMaxVertices * 8;
constexpr uint64_t kTextLine = 199 + 2;  // the longest line read, with CR LF

constexpr uint64_t kMax8 = 2 + kMaxRecords * (2 + 2 + 1 + kMaxName);
constexpr uint64_t kMax3 = 2 + 16 + kMaxRecords * (4 + 16 + kMaxVertices * 4);
// Each of the four classes once.
constexpr uint64_t kMax4 = 4 * (4 + kMaxRecords * kFeatureRecord);
constexpr uint64_t kMax5 =
    2 + kMaxRecords * kFeatureRecord + 2 + kMaxRecords * (4 + kMaxName) + 2 + kMaxRecords * 8;
constexpr uint64_t kMax6 = kMaxRecords * (16 + kMaxVertices * 8);
constexpr uint64_t kMax7 = 2 + kMaxRecords * (14 + kMaxName + kMaxName);
constexpr uint64_t kMaxThemes = kMaxRecords * kTextLine;
constexpr uint64_t kMaxCountedText = (1 + kMaxRecords) * kTextLine;
constexpr uint64_t kMaxTitle = 1024 * 1024;
constexpr uint64_t kMaxCityInfo = 64 * 1024;
// 32767 buildings with a dozen further numbers of some 20 bytes each.
constexpr uint64_t kMaxFurtherAddresses = 8 * 1024 * 1024;

// A read position over a file that is not held in memory.
class Cursor {
 public:
  Cursor(uint64_t size, ReadAt read, void* source) : size_(size), read_(read), source_(source) {}

  uint64_t pos() const { return pos_; }
  bool skip(uint64_t n) {
    if (n > size_ - pos_) return false;
    pos_ += n;
    return true;
  }
  bool u8(uint8_t& out) { return fetch(&out, 1); }
  bool i16(int16_t& out) {
    uint8_t b[2];
    if (!fetch(b, 2)) return false;
    out = static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8)));
    return true;
  }

 private:
  bool fetch(uint8_t* out, size_t n) {
    if (n > size_ - pos_ || !read_(source_, pos_, out, n)) return false;
    pos_ += n;
    return true;
  }

  uint64_t size_;
  uint64_t pos_ = 0;
  ReadAt read_;
  void* source_;
};

// Where a walk over records stopped: the data ran out (every byte may be
// needed), the reader stops at this position, or the table ended normally.
enum class Walk { kRanOut, kStops, kGoesOn };

// Polyline records with float bounds and 8-byte points (4.tkm, 5.tkm).
Walk walkFeatures(Cursor& c, int count, bool zeroHeaderEnds) {
  for (int i = 0; i < count; ++i) {
    int16_t code = 0;
    int16_t endValue = 0;
    if (!c.i16(code) || !c.i16(endValue)) return Walk::kRanOut;
    if (zeroHeaderEnds && code == 0 && endValue == 0) return Walk::kGoesOn;
    const int16_t points = vertexCountFromHeader(code, endValue);
    if (points < 0) return Walk::kStops;
    if (!c.skip(16 + static_cast<uint64_t>(points) * 8)) return Walk::kRanOut;
  }
  return Walk::kGoesOn;
}

uint64_t walk8(Cursor& c, uint64_t size) {
  int16_t count = 0;
  if (!c.i16(count)) return size;
  for (int i = 0; i < count; ++i) {
    uint8_t length = 0;
    if (!c.skip(4) || !c.u8(length) || !c.skip(length)) return size;
  }
  return c.pos();
}

uint64_t walk3(Cursor& c, uint64_t size) {
  int16_t count = 0;
  if (!c.i16(count) || !c.skip(16)) return size;
  for (int i = 0; i < count; ++i) {
    int16_t code = 0;
    int16_t endValue = 0;
    if (!c.i16(code) || !c.i16(endValue)) return size;
    const int16_t points = vertexCountFromHeader(code, endValue);
    if (points < 0) return c.pos();
    if (!c.skip(16 + static_cast<uint64_t>(points) * 4)) return size;
  }
  return c.pos();
}

uint64_t walk4(Cursor& c, uint64_t size) {
  for (int section = 0; section < kTopoSections; ++section) {
    int16_t featureClass = 0;
    int16_t count = 0;
    if (!c.i16(featureClass) || !c.i16(count)) return size;
    if (count < 0) return c.pos();
    const Walk w = walkFeatures(c, count, false);
    if (w == Walk::kRanOut) return size;
    if (w == Walk::kStops) return c.pos();
  }
  return c.pos();
}

uint64_t walk5(Cursor& c, uint64_t size) {
  int16_t count = 0;
  if (!c.i16(count)) return size;
  const Walk w = walkFeatures(c, count, true);
  if (w == Walk::kRanOut) return size;
  if (w == Walk::kStops) return c.pos();
  if (!c.i16(count)) return size;
  for (int i = 0; i < count; ++i) {
    uint8_t length = 0;
    if (!c.skip(3) || !c.u8(length) || !c.skip(length)) return size;
  }
  if (!c.i16(count)) return size;
  if (count > 0 && !c.skip(static_cast<uint64_t>(count) * 8)) return size;
  return c.pos();
}

// Calls each(pointCount) for every complete record of 7.tkm whose outline
// the building reader goes on to read; returns the bytes described.
template <typename Each>
uint64_t walk7(Cursor& c, uint64_t size, Each each) {
  int16_t count = 0;
  if (!c.i16(count)) return size;
  for (int i = 0; i < count; ++i) {
    int16_t points = 0;
    uint8_t numberLength = 0;
    uint8_t descriptionLength = 0;
    if (!c.skip(2) || !c.i16(points) || !c.skip(8) || !c.u8(numberLength) ||
        !c.u8(descriptionLength) ||
        !c.skip(static_cast<uint64_t>(numberLength) + descriptionLength)) {
      return size;
    }
    if (points < 0) return c.pos();
    each(points);
  }
  return c.pos();
}

bool readFromMemory(void* source, uint64_t offset, uint8_t* out, size_t n) {
  const auto* bytes = static_cast<const std::span<const uint8_t>*>(source);
  if (offset > bytes->size() || n > bytes->size() - offset) return false;
  std::memcpy(out, bytes->data() + offset, n);
  return true;
}

// A window of the file kept in memory, so that walking the records reads
// the file in large pieces instead of seeking for every field.
struct StreamWindow {
  std::ifstream& in;
  uint64_t size;
  uint64_t start = 0;
  std::vector<uint8_t> bytes;
};

constexpr size_t kWindowBytes = 64 * 1024;

bool readFromStream(void* source, uint64_t offset, uint8_t* out, size_t n) {
  auto* w = static_cast<StreamWindow*>(source);
  if (offset < w->start || offset + n > w->start + w->bytes.size()) {
    if (offset > w->size || n > w->size - offset) return false;
    w->start = offset;
    w->bytes.resize(
        static_cast<size_t>(std::min<uint64_t>(std::max(n, kWindowBytes), w->size - offset)));
    w->in.clear();
    w->in.seekg(static_cast<std::streamoff>(offset));
    w->in.read(reinterpret_cast<char*>(w->bytes.data()),
               static_cast<std::streamsize>(w->bytes.size()));
    if (w->in.gcount() != static_cast<std::streamsize>(w->bytes.size())) {
      w->bytes.clear();
      return false;
    }
  }
  std::memcpy(out, w->bytes.data() + (offset - w->start), n);
  return true;
}

std::string describeType(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory:
      return "is a folder, not a file: not read";
    case fs::file_type::fifo:
      return "is a pipe, not a file: not read";
    case fs::file_type::socket:
      return "is a socket, not a file: not read";
    case fs::file_type::block:
    case fs::file_type::character:
      return "is a device, not a file: not read";
    default:
      return "is not a regular file: not read";
  }
}

}  // namespace

uint64_t formatMaximumBytes(std::string_view name) {
  if (name == "8.tkm") return kMax8;
  if (name == "3.tkm") return kMax3;
  if (name == "4.tkm") return kMax4;
  if (name == "5.tkm") return kMax5;
  if (name == "6.tkm") return kMax6;
  if (name == "7.tkm") return kMax7;
  if (name == "tema.tkm") return kMaxThemes;
  if (name == "user.tkm" || name == "sign.tkm") return kMaxCountedText;
  if (name == "1.tkm" || name == "2.tkm") return kMaxTitle;
  if (name == "city.txt") return kMaxCityInfo;
  if (name == "houses.txt") return kMaxFurtherAddresses;
  return 0;
}

uint64_t describedBytes(std::string_view name, uint64_t size, ReadAt read, void* source) {
  Cursor c(size, read, source);
  if (name == "8.tkm") return walk8(c, size);
  if (name == "3.tkm") return walk3(c, size);
  if (name == "4.tkm") return walk4(c, size);
  if (name == "5.tkm") return walk5(c, size);
  if (name == "7.tkm") return walk7(c, size, [](int16_t) {});
  return size;
}

uint64_t describedBytes(std::string_view name, std::span<const uint8_t> bytes) {
  return describedBytes(name, bytes.size(), readFromMemory, &bytes);
}

uint64_t buildingGeometryBytes(std::span<const uint8_t> attributes) {
  Cursor c(attributes.size(), readFromMemory, &attributes);
  uint64_t total = 0;
  walk7(c, attributes.size(),
        [&total](int16_t points) { total += 16 + static_cast<uint64_t>(points) * 8; });
  return total;
}

bool readMapFile(const fs::path& path, std::string_view name, std::vector<uint8_t>& bytes,
                 std::vector<LoadProblem>& problems, uint64_t describedLimit) {
  bytes.clear();
  const std::string file(name);
  const auto refuse = [&](std::string what) {
    problems.push_back({file, 0, std::move(what)});
    return false;
  };
  // The type is looked at before anything is opened: opening a FIFO would
  // wait for a writer that never comes.
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return refuse("cannot be read");
  if (ec == std::errc::too_many_symbolic_link_levels) {
    return refuse("is a loop of symbolic links: not read");
  }
  if (ec) return refuse("cannot be read: " + ec.message());
  if (status.type() != fs::file_type::regular) return refuse(describeType(status.type()));
  const uint64_t size = fs::file_size(path, ec);
  if (ec) return refuse("cannot be read: " + ec.message());
  const uint64_t maximum = formatMaximumBytes(name);
  if (size > maximum) {
    return refuse(std::to_string(size) + " bytes, more than the format can hold (" +
                  std::to_string(maximum) + "): not read");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return refuse("cannot be read");
  StreamWindow window{in, size, 0, {}};
  const uint64_t wanted =
      std::min(describedBytes(name, size, readFromStream, &window), describedLimit);
  const uint64_t kept = std::min(size, wanted);
  bytes.resize(static_cast<size_t>(kept));
  in.clear();
  in.seekg(0);
  if (kept > 0 &&
      !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(kept))) {
    bytes.clear();
    return refuse("cannot be read");
  }
  if (kept < size) {
    problems.push_back({file, kept, std::to_string(size - kept) + " bytes after the data ignored"});
  }
  return true;
}

}  // namespace tikhomap
