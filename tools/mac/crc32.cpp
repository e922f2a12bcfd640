#include "crc32.h"

#include <array>

namespace mac {

namespace {

constexpr std::array<uint32_t, 256> make_table()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t value = byte;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[byte] = value;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = make_table();

} // namespace

void Crc32::update(const uint8_t* data, std::size_t size)
{
    uint32_t state = state_;
    for (std::size_t i = 0; i < size; ++i)
        state = kTable[(state ^ data[i]) & 0xFFu] ^ (state >> 8);
    state_ = state;
}

} // namespace mac
