// Byte-level helpers for parsing headers that came from files. Every accessor
// checks its bounds and yields 0 past the end, so a short or hostile header can
// never make a reader step outside the bytes it actually has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

inline bool fits(ByteView b, size_t offset, size_t count) {
  return offset <= b.size() && count <= b.size() - offset;
}

inline uint8_t u8(ByteView b, size_t off) { return off < b.size() ? b[off] : 0; }

inline uint16_t le16(ByteView b, size_t off) {
  if (!fits(b, off, 2)) return 0;
  return static_cast<uint16_t>(b[off] | (b[off + 1] << 8));
}
inline uint32_t le32(ByteView b, size_t off) {
  if (!fits(b, off, 4)) return 0;
  return uint32_t(b[off]) | uint32_t(b[off + 1]) << 8 | uint32_t(b[off + 2]) << 16 | uint32_t(b[off + 3]) << 24;
}
inline uint64_t le64(ByteView b, size_t off) {
  return fits(b, off, 8) ? uint64_t(le32(b, off)) | uint64_t(le32(b, off + 4)) << 32 : 0;
}
inline uint16_t be16(ByteView b, size_t off) {
  if (!fits(b, off, 2)) return 0;
  return static_cast<uint16_t>(b[off] << 8 | b[off + 1]);
}
inline uint32_t be24(ByteView b, size_t off) {
  if (!fits(b, off, 3)) return 0;
  return uint32_t(b[off]) << 16 | uint32_t(b[off + 1]) << 8 | uint32_t(b[off + 2]);
}
inline uint32_t be32(ByteView b, size_t off) {
  if (!fits(b, off, 4)) return 0;
  return uint32_t(b[off]) << 24 | uint32_t(b[off + 1]) << 16 | uint32_t(b[off + 2]) << 8 | uint32_t(b[off + 3]);
}

// True when the bytes at `off` spell `text` exactly.
inline bool hasText(ByteView b, size_t off, std::string_view text) {
  if (!fits(b, off, text.size())) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (b[off + i] != static_cast<uint8_t>(text[i])) return false;
  return true;
}

inline ByteView sub(ByteView b, size_t off, size_t count) {
  if (off >= b.size()) return {};
  return b.subspan(off, std::min(count, b.size() - off));
}

inline void putLe32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void putBe32(Bytes& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void putText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

// Big-endian bit reader over a byte view; reads past the end give zero bits.
class BitReader {
 public:
  explicit BitReader(ByteView data) : data_(data) {}
  uint32_t read(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      size_t byte = pos_ / 8;
      int bit = 7 - static_cast<int>(pos_ % 8);
      value = (value << 1) | (byte < data_.size() ? (data_[byte] >> bit) & 1u : 0u);
      ++pos_;
    }
    return value;
  }
  void skip(size_t count) { pos_ += count; }
  void seek(size_t bitPosition) { pos_ = bitPosition; }
  size_t position() const { return pos_; }

 private:
  ByteView data_;
  size_t pos_ = 0;
};

}  // namespace sondrel
