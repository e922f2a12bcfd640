#include "md5.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace sondrel::mac {

namespace {

// The round constants are the integer parts of |sin(i + 1)| * 2^32; a double
// holds them exactly enough to reproduce the published values.
const std::array<uint32_t, 64>& sineTable() {
  static const std::array<uint32_t, 64> table = [] {
    std::array<uint32_t, 64> values{};
    for (int i = 0; i < 64; ++i)
      values[i] = static_cast<uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
    return values;
  }();
  return table;
}

constexpr int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t loadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

Md5::Md5() : state_{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u} {}

void Md5::processBlock(const uint8_t* block) {
  const auto& sines = sineTable();
  uint32_t words[16];
  for (int i = 0; i < 16; ++i) words[i] = loadLe32(block + 4 * i);

  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (int i = 0; i < 64; ++i) {
    int round = i / 16;
    uint32_t mix;
    int word;
    switch (round) {
      case 0:
        mix = (b & c) | (~b & d);
        word = i;
        break;
      case 1:
        mix = (d & b) | (~d & c);
        word = (5 * i + 1) % 16;
        break;
      case 2:
        mix = b ^ c ^ d;
        word = (3 * i + 5) % 16;
        break;
      default:
        mix = c ^ (b | ~d);
        word = (7 * i) % 16;
        break;
    }
    uint32_t rotated = std::rotl(a + mix + sines[i] + words[word], kShifts[round][i % 4]);
    a = d;
    d = c;
    c = b;
    b = b + rotated;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::update(const uint8_t* data, std::size_t size) {
  totalBytes_ += size;
  if (pendingSize_ > 0) {
    std::size_t take = std::min(size, pending_.size() - pendingSize_);
    std::memcpy(pending_.data() + pendingSize_, data, take);
    pendingSize_ += take;
    data += take;
    size -= take;
    if (pendingSize_ < pending_.size()) return;
    processBlock(pending_.data());
    pendingSize_ = 0;
  }
  for (; size >= 64; data += 64, size -= 64) processBlock(data);
  std::memcpy(pending_.data(), data, size);
  pendingSize_ = size;
}

std::array<uint8_t, 16> Md5::finish() {
  uint64_t bitCount = totalBytes_ * 8;
  uint8_t padding[72] = {0x80};
  std::size_t pad = (pendingSize_ < 56) ? 56 - pendingSize_ : 120 - pendingSize_;
  for (int i = 0; i < 8; ++i) padding[pad + i] = static_cast<uint8_t>(bitCount >> (8 * i));
  update(padding, pad + 8);

  std::array<uint8_t, 16> digest{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
  return digest;
}

}  // namespace sondrel::mac
