// A little-endian reader over a file held in memory. Every read checks the
// bytes left first and fails at the end of the data instead of reading past
// it; values are assembled from unsigned bytes so that high bytes never
// sign-extend into a length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace tikhomap {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t offset() const { return pos_; }
  size_t remaining() const { return bytes_.size() - pos_; }
  bool atEnd() const { return pos_ >= bytes_.size(); }
  bool canRead(size_t n) const { return n <= remaining(); }

  bool u8(uint8_t& out) {
    if (!canRead(1)) return false;
    out = bytes_[pos_++];
    return true;
  }

  bool u16(uint16_t& out) {
    if (!canRead(2)) return false;
    out = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }

  bool i16(int16_t& out) {
    uint16_t v = 0;
    if (!u16(v)) return false;
    out = static_cast<int16_t>(v);
    return true;
  }

  // A 16-bit field into a 32-bit one of the model: zero- or sign-extended.
  bool u16(int32_t& out) {
    uint16_t v = 0;
    if (!u16(v)) return false;
    out = v;
    return true;
  }
  bool i16(int32_t& out) {
    int16_t v = 0;
    if (!i16(v)) return false;
    out = v;
    return true;
  }

  bool u32(uint32_t& out) {
    if (!canRead(4)) return false;
    out = static_cast<uint32_t>(bytes_[pos_]) | (static_cast<uint32_t>(bytes_[pos_ + 1]) << 8) |
          (static_cast<uint32_t>(bytes_[pos_ + 2]) << 16) |
          (static_cast<uint32_t>(bytes_[pos_ + 3]) << 24);
    pos_ += 4;
    return true;
  }

  bool i32(int32_t& out) {
    uint32_t v = 0;
    if (!u32(v)) return false;
    out = static_cast<int32_t>(v);
    return true;
  }

  bool f32(float& out) {
    uint32_t v = 0;
    if (!u32(v)) return false;
    std::memcpy(&out, &v, sizeof out);
    return true;
  }

  // Copies n bytes into out (which holds at least n bytes).
  bool bytes(uint8_t* out, size_t n) {
    if (!canRead(n)) return false;
    if (n > 0) std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }

  bool skip(size_t n) {
    if (!canRead(n)) return false;
    pos_ += n;
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

}  // namespace tikhomap
