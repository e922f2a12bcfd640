#include "ape_writer.h"

#include "failure.h"

#include <array>
#include <cstring>
#include <unistd.h>

namespace mac {

namespace {

constexpr uint16_t kFileVersion = 3990;
constexpr uint32_t kDescriptorBytes = 52;
constexpr uint32_t kHeaderBytes = 24;
// No WAV header is stored; a decoder writes a fresh one when restoring a WAV.
constexpr uint16_t kFlagCreateWavHeader = 32;
constexpr std::size_t kScratchChunk = 1 << 20;

void put_le16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put_le32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

ApeWriter::ApeWriter(const std::string& output_path, const PcmFormat& format, const CompressionLevel& level)
    : format_(format), level_(level), output_(output_path), scratch_(create_scratch_file(folder_of(output_path)))
{
    buffered_.reserve(kScratchChunk + 4);
}

void ApeWriter::put_byte(uint8_t byte)
{
    // The decoder reads each 32-bit little-endian word most significant byte
    // first, so the stream's bytes fill each word from the top.
    const auto slot = static_cast<std::size_t>(stream_bytes_ & 3);
    word_[3 - slot] = byte;
    ++stream_bytes_;
    if (slot == 3) {
        buffered_.insert(buffered_.end(), word_, word_ + 4);
        if (buffered_.size() >= kScratchChunk)
            flush_words();
    }
}

void ApeWriter::flush_words()
{
    md5_.update(buffered_.data(), buffered_.size());
    write_all(scratch_.get(), buffered_.data(), buffered_.size(), "work file");
    buffered_.clear();
}

void ApeWriter::add_frame(const std::vector<uint8_t>& frame, std::size_t blocks)
{
    frame_offsets_.push_back(stream_bytes_);
    for (uint8_t byte : frame)
        put_byte(byte);
    total_blocks_ += blocks;
    last_frame_blocks_ = blocks;
    // Seek offsets are 32-bit file positions.
    const uint64_t table_bytes = 4 * uint64_t(frame_offsets_.size());
    if (kDescriptorBytes + kHeaderBytes + table_bytes + stream_bytes_ + 4 > UINT32_MAX)
        throw Failure("input too long: a Monkey's Audio file cannot exceed 4 GiB");
}

void ApeWriter::finish()
{
    if (frame_offsets_.empty())
        throw Failure("input contains no audio samples");

    while (stream_bytes_ & 3)
        put_byte(0);
    flush_words();
    const uint64_t frame_data_bytes = stream_bytes_;

    const auto frame_count = static_cast<uint32_t>(frame_offsets_.size());
    const uint32_t table_bytes = 4 * frame_count;
    const uint32_t first_frame = kDescriptorBytes + kHeaderBytes + table_bytes;

    std::vector<uint8_t> header;
    put_le16(header, level_.level);
    put_le16(header, kFlagCreateWavHeader);
    put_le32(header, level_.blocks_per_frame);
    put_le32(header, static_cast<uint32_t>(last_frame_blocks_));
    put_le32(header, frame_count);
    put_le16(header, static_cast<uint16_t>(format_.bits));
    put_le16(header, static_cast<uint16_t>(format_.channels));
    put_le32(header, format_.sample_rate);

    std::vector<uint8_t> seek_table;
    seek_table.reserve(table_bytes);
    for (uint64_t offset : frame_offsets_)
        put_le32(seek_table, static_cast<uint32_t>(first_frame + offset));

    // The file's MD5 covers the frame data first, then header and seek table.
    md5_.update(header.data(), header.size());
    md5_.update(seek_table.data(), seek_table.size());
    const std::array<uint8_t, 16> digest = md5_.finish();

    std::vector<uint8_t> front;
    front.insert(front.end(), {'M', 'A', 'C', ' '});
    put_le16(front, kFileVersion);
    put_le16(front, 0);
    put_le32(front, kDescriptorBytes);
    put_le32(front, kHeaderBytes);
    put_le32(front, table_bytes);
    put_le32(front, 0); // stored WAV header bytes
    put_le32(front, static_cast<uint32_t>(frame_data_bytes));
    put_le32(front, static_cast<uint32_t>(frame_data_bytes >> 32));
    put_le32(front, 0); // bytes of WAV data after the audio
    front.insert(front.end(), digest.begin(), digest.end());
    front.insert(front.end(), header.begin(), header.end());
    front.insert(front.end(), seek_table.begin(), seek_table.end());
    write_all(output_.fd(), front.data(), front.size(), "output");

    if (::lseek(scratch_.get(), 0, SEEK_SET) != 0)
        throw Failure("cannot reread the work file");
    std::vector<uint8_t> chunk(kScratchChunk);
    uint64_t copied = 0;
    while (copied < frame_data_bytes) {
        const std::size_t got = read_up_to(scratch_.get(), chunk.data(), chunk.size());
        if (got == 0)
            throw Failure("the work file ended early");
        write_all(output_.fd(), chunk.data(), got, "output");
        copied += got;
    }
    output_.commit();
}

} // namespace mac
