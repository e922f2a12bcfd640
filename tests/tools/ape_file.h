#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mac_test {

// The fixed parts of a Monkey's Audio file of version 3.98 or later, read
// field by field as the published layout describes them.
struct ApeLayout {
    std::string magic;
    uint16_t version = 0;
    uint32_t descriptor_bytes = 0;
    uint32_t header_bytes = 0;
    uint32_t seek_table_bytes = 0;
    uint32_t wav_header_bytes = 0;
    uint64_t frame_data_bytes = 0;
    uint32_t wav_tail_bytes = 0;
    std::array<uint8_t, 16> md5{};

    uint16_t compression_level = 0;
    uint16_t format_flags = 0;
    uint32_t blocks_per_frame = 0;
    uint32_t final_frame_blocks = 0;
    uint32_t total_frames = 0;
    uint16_t bits = 0;
    uint16_t channels = 0;
    uint32_t sample_rate = 0;

    std::vector<uint32_t> seek_table;
};

// Throws std::runtime_error when the file is too short for what it declares.
ApeLayout read_ape_layout(const std::vector<uint8_t>& file);

} // namespace mac_test
