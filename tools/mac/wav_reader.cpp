#include "wav_reader.h"

#include "failure.h"
#include "file_io.h"

#include <cstring>
#include <string>
#include <vector>

namespace mac {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The GUID of PCM in WAVE_FORMAT_EXTENSIBLE, after its leading format code.
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// A format chunk is a few dozen bytes; anything huge is not a WAV we can use.
constexpr uint32_t kMaxFormatChunk = 4096;
constexpr uint32_t kMinRate = 8000;
constexpr uint32_t kMaxRate = 192000;

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool tag_is(const uint8_t* p, const char* tag)
{
    return std::memcmp(p, tag, 4) == 0;
}

} // namespace

WavReader::WavReader(int fd) : fd_(fd)
{
    uint8_t riff[12];
    if (read_up_to(fd_, riff, sizeof riff) != sizeof riff || !tag_is(riff, "RIFF") || !tag_is(riff + 8, "WAVE"))
        throw Failure("input is not a RIFF WAVE stream");

    bool have_format = false;
    for (;;) {
        uint8_t chunk_header[8];
        read_header_bytes(chunk_header, sizeof chunk_header);
        const uint32_t size = le32(chunk_header + 4);

        if (tag_is(chunk_header, "fmt ")) {
            if (size < 16 || size > kMaxFormatChunk)
                throw Failure("the WAV format chunk has an invalid size (" + std::to_string(size) + " bytes)");
            std::vector<uint8_t> chunk(size + (size & 1));
            read_header_bytes(chunk.data(), chunk.size());
            parse_format_chunk(chunk.data(), size);
            have_format = true;
        } else if (tag_is(chunk_header, "data")) {
            if (!have_format)
                throw Failure("the WAV stream has no format chunk before its data");
            size_known_ = size != 0 && size != 0xFFFFFFFFu;
            bytes_left_ = size;
            return;
        } else {
            skip_bytes(uint64_t(size) + (size & 1));
        }
    }
}

void WavReader::read_header_bytes(uint8_t* out, std::size_t size)
{
    if (read_up_to(fd_, out, size) != size)
        throw Failure("the input ended inside the WAV header (no data chunk found)");
}

void WavReader::skip_bytes(uint64_t size)
{
    uint8_t scrap[4096];
    while (size > 0) {
        const std::size_t take = size < sizeof scrap ? static_cast<std::size_t>(size) : sizeof scrap;
        read_header_bytes(scrap, take);
        size -= take;
    }
}

void WavReader::parse_format_chunk(const uint8_t* chunk, std::size_t size)
{
    const uint16_t tag = le16(chunk);
    const uint16_t channels = le16(chunk + 2);
    const uint32_t rate = le32(chunk + 4);
    const uint16_t block_align = le16(chunk + 12);
    const uint16_t bits = le16(chunk + 14);

    if (tag == kFormatExtensible) {
        if (size < 40 || le16(chunk + 16) < 22)
            throw Failure("the WAV extensible format chunk is too short");
        const uint8_t* guid = chunk + 24;
        if (le16(guid) != kFormatPcm || std::memcmp(guid + 2, kPcmGuidTail, sizeof kPcmGuidTail) != 0)
            throw Failure("unsupported WAV sample format: only integer PCM can be encoded");
    } else if (tag != kFormatPcm) {
        throw Failure("unsupported WAV sample format " + std::to_string(tag) + ": only integer PCM can be encoded");
    }

    if (bits != 8 && bits != 16 && bits != 24)
        throw Failure("unsupported sample size of " + std::to_string(bits) + " bits: use 8, 16 or 24");
    if (channels != 1 && channels != 2)
        throw Failure("unsupported channel count " + std::to_string(channels) + ": use mono or stereo");
    if (rate < kMinRate || rate > kMaxRate)
        throw Failure("unsupported sample rate " + std::to_string(rate) + " Hz: use 8000 to 192000 Hz");

    format_.channels = channels;
    format_.bits = bits;
    format_.sample_rate = rate;
    if (block_align != format_.block_bytes())
        throw Failure("the WAV block size (" + std::to_string(block_align) + " bytes) does not match " +
                      std::to_string(channels) + " channels of " + std::to_string(bits) + " bits");
}

std::size_t WavReader::read_blocks(uint8_t* out, std::size_t max_blocks)
{
    if (ended_)
        return 0;
    const std::size_t block_bytes = format_.block_bytes();
    std::size_t wanted = max_blocks * block_bytes;
    if (size_known_ && bytes_left_ < wanted)
        wanted = static_cast<std::size_t>(bytes_left_ - bytes_left_ % block_bytes);

    const std::size_t got = read_up_to(fd_, out, wanted);
    if (size_known_)
        bytes_left_ -= got;
    if (got < wanted)
        ended_ = true; // a trailing partial block cannot be encoded and is dropped
    return got / block_bytes;
}

} // namespace mac
