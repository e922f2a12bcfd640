#include "crc32.h"

#include <array>

namespace sondrel::mac {

namespace {

// Eight tables let the loop take eight bytes per step ("slicing by 8").
using Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Tables makeTables() {
  Tables tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t value = byte;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1u) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
    tables[0][byte] = value;
  }
  for (uint32_t byte = 0; byte < 256; ++byte)
    for (int t = 1; t < 8; ++t) tables[t][byte] = (tables[t - 1][byte] >> 8) ^ tables[0][tables[t - 1][byte] & 0xFFu];
  return tables;
}

constexpr Tables kTables = makeTables();

}  // namespace

void Crc32::update(const uint8_t* data, std::size_t size) {
  uint32_t state = state_;
  for (; size >= 8; size -= 8, data += 8) {
    const uint32_t low =
        state ^ (uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24);
    state = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^ kTables[5][(low >> 16) & 0xFFu] ^
            kTables[4][low >> 24] ^ kTables[3][data[4]] ^ kTables[2][data[5]] ^ kTables[1][data[6]] ^
            kTables[0][data[7]];
  }
  for (; size > 0; --size, ++data) state = kTables[0][(state ^ *data) & 0xFFu] ^ (state >> 8);
  state_ = state;
}

}  // namespace sondrel::mac
