// The interleaved point encodings of the map files and the polyline record
// header, shared by the readers and the writers.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "mapdata/records.h"

namespace tikhomap {

// 4-byte point b0 b1 b2 b3: x = b0 + 256*b3, y = b2 + 256*b1, each an
// unsigned 16-bit number of metres.
inline MetrePoint decodePoint4(const uint8_t* b) {
  return {b[0] | (b[3] << 8), b[2] | (b[1] << 8)};
}

// Keeps the low 16 bits of each coordinate: the writer checks beforehand
// that the points fit (fitsMapFiles).
inline std::array<uint8_t, 4> encodePoint4(MetrePoint p) {
  return {static_cast<uint8_t>(p.x & 0xFF), static_cast<uint8_t>(p.y >> 8),
          static_cast<uint8_t>(p.y & 0xFF), static_cast<uint8_t>(p.x >> 8)};
}

inline float floatFromWords(uint16_t low, uint16_t high) {
  const uint32_t bits = static_cast<uint32_t>(low) | (static_cast<uint32_t>(high) << 16);
  float f = 0;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline uint32_t floatBits(float f) {
  uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// 8-byte point: words x-low, y-high, y-low, x-high.
inline MapPoint decodePoint8(const uint8_t* b) {
  const auto word = [b](int i) { return static_cast<uint16_t>(b[2 * i] | (b[2 * i + 1] << 8)); };
  return {floatFromWords(word(0), word(3)), floatFromWords(word(2), word(1))};
}

inline std::array<uint8_t, 8> encodePoint8(MapPoint p) {
  const uint32_t x = floatBits(p.x);
  const uint32_t y = floatBits(p.y);
  const uint16_t words[4] = {static_cast<uint16_t>(x & 0xFFFF), static_cast<uint16_t>(y >> 16),
                             static_cast<uint16_t>(y & 0xFFFF), static_cast<uint16_t>(x >> 16)};
  std::array<uint8_t, 8> out{};
  for (int i = 0; i < 4; ++i) {
    out[2 * i] = static_cast<uint8_t>(words[i] & 0xFF);
    out[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
  }
  return out;
}

// Polyline header: code, then (code + vertex count) mod 65536.
inline int16_t vertexCountFromHeader(int16_t code, int16_t endValue) {
  return static_cast<int16_t>(static_cast<uint16_t>(endValue) - static_cast<uint16_t>(code));
}

inline int16_t headerEndValue(int16_t code, int vertexCount) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(code) + vertexCount));
}

}  // namespace tikhomap
