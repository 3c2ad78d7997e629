// Reader and writer of the title-sheet files 1.tkm and 2.tkm.
#include "mapdata/title_files.h"

#include <algorithm>
#include <string>

#include "mapdata/byte_reader.h"
#include "mapdata/byte_writer.h"
#include "mapdata/cp1251.h"
#include "mapdata/load_result.h"
#include "mapdata/point_codec.h"

namespace tikhomap {
namespace {

constexpr size_t kMaxTitleText = 127;

void report(std::vector<LoadProblem>* problems, bool withHeader, size_t offset, std::string what) {
  if (problems) problems->push_back({withHeader ? "1.tkm" : "2.tkm", offset, std::move(what)});
}

}  // namespace

TitleSheetFile parseTitleFile(std::span<const uint8_t> bytes, bool withHeader,
                              std::vector<LoadProblem>* problems) {
  TitleSheetFile file;
  ByteReader r(bytes);
  if (withHeader) {
    for (int32_t& v : file.extent) {
      if (!r.u16(v)) {
        report(problems, withHeader, 0, "header cut short");
        return file;
      }
    }
    file.hasHeader = true;
  }
  while (true) {
    const size_t start = r.offset();
    uint16_t w1 = 0;
    uint16_t w2 = 0;
    if (!r.u16(w1) || !r.u16(w2)) {
      report(problems, withHeader, start, "shapes end without a terminator");
      return file;
    }
    if ((w1 & 0xFF) == 0 && w2 == 0) break;
    const auto count = static_cast<uint16_t>(w2 - (w1 & 0xFF));
    if (!r.canRead(static_cast<size_t>(count) * 4)) {
      report(problems, withHeader, start,
             "shape of " + std::to_string(count) + " points cut short");
      return file;
    }
    TitleShape shape;
    shape.points.resize(count);
    uint8_t raw[4];
    for (MetrePoint& p : shape.points) {
      r.bytes(raw, 4);
      p = decodePoint4(raw);
    }
    file.shapes.push_back(std::move(shape));
  }
  while (!r.atEnd()) {
    const size_t start = r.offset();
    TitleText text;
    uint8_t kind = 0;
    uint8_t length = 0;
    r.u8(kind);
    if (!r.u8(length) || !r.u16(text.x) || !r.u16(text.y)) {
      report(problems, withHeader, start, "text record cut short");
      break;
    }
    if (length > kMaxTitleText) {
      // The length is a signed byte: a negative length cannot be drawn, and
      // where the next record starts is unknown.
      report(problems, withHeader, start,
             "text length " + std::to_string(length) + " out of range");
      break;
    }
    if (!r.canRead(length)) {
      report(problems, withHeader, start, "text record cut short");
      break;
    }
    text.kind = static_cast<char>(kind);
    std::string bytes(length, '\0');
    r.bytes(reinterpret_cast<uint8_t*>(bytes.data()), length);
    text.text = cp1251ToUtf8(bytes);
    file.texts.push_back(std::move(text));
  }
  return file;
}

std::vector<uint8_t> writeTitleFile(const TitleSheetFile& file) {
  ByteWriter w;
  if (file.hasHeader) {
    for (int32_t v : file.extent) w.u16(static_cast<uint16_t>(v));
  }
  for (const TitleShape& shape : file.shapes) {
    const auto count = static_cast<uint16_t>(std::min<size_t>(shape.points.size(), 0xFFFF));
    // An empty shape must not look like the terminator: a correction of 1
    // in the first word keeps it apart.
    w.u16(count == 0 ? 1 : 0);
    w.u16(count == 0 ? 1 : count);
    for (size_t i = 0; i < count; ++i) w.raw(encodePoint4(shape.points[i]));
  }
  w.u16(0);
  w.u16(0);
  for (const TitleText& text : file.texts) {
    const std::string bytes = utf8ToCp1251(text.text);
    const size_t n = std::min(bytes.size(), kMaxTitleText);
    w.u8(static_cast<uint8_t>(text.kind));
    w.u8(static_cast<uint8_t>(n));
    w.u16(static_cast<uint16_t>(text.x));
    w.u16(static_cast<uint16_t>(text.y));
    w.text(std::string_view(bytes).substr(0, n));
  }
  return std::move(w.bytes());
}

}  // namespace tikhomap
