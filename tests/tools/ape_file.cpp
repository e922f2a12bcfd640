#include "ape_file.h"

#include <stdexcept>

namespace mac_test {

namespace {

class Reader {
public:
    Reader(const std::vector<uint8_t>& bytes, std::size_t at) : bytes_(bytes), at_(at) {}
    uint32_t le(int size)
    {
        if (at_ + size > bytes_.size())
            throw std::runtime_error("APE file too short");
        uint32_t value = 0;
        for (int i = 0; i < size; ++i)
            value |= uint32_t(bytes_[at_ + i]) << (8 * i);
        at_ += size;
        return value;
    }

private:
    const std::vector<uint8_t>& bytes_;
    std::size_t at_;
};

} // namespace

ApeLayout read_ape_layout(const std::vector<uint8_t>& file)
{
    if (file.size() < 52)
        throw std::runtime_error("APE file too short");
    ApeLayout a;
    a.magic.assign(file.begin(), file.begin() + 4);
    Reader r(file, 4);
    a.version = static_cast<uint16_t>(r.le(2));
    r.le(2);
    a.descriptor_bytes = r.le(4);
    a.header_bytes = r.le(4);
    a.seek_table_bytes = r.le(4);
    a.wav_header_bytes = r.le(4);
    a.frame_data_bytes = r.le(4);
    a.frame_data_bytes |= uint64_t(r.le(4)) << 32;
    a.wav_tail_bytes = r.le(4);
    for (auto& byte : a.md5)
        byte = static_cast<uint8_t>(r.le(1));

    Reader h(file, a.descriptor_bytes);
    a.compression_level = static_cast<uint16_t>(h.le(2));
    a.format_flags = static_cast<uint16_t>(h.le(2));
    a.blocks_per_frame = h.le(4);
    a.final_frame_blocks = h.le(4);
    a.total_frames = h.le(4);
    a.bits = static_cast<uint16_t>(h.le(2));
    a.channels = static_cast<uint16_t>(h.le(2));
    a.sample_rate = h.le(4);

    Reader s(file, a.descriptor_bytes + a.header_bytes);
    for (uint32_t i = 0; i < a.seek_table_bytes / 4; ++i)
        a.seek_table.push_back(s.le(4));
    return a;
}

} // namespace mac_test
