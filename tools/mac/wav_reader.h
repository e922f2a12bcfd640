#pragma once

#include "pcm_format.h"

#include <cstddef>
#include <cstdint>

namespace mac {

// Reads a RIFF WAVE stream of integer PCM from a file or a pipe, front to back
// without seeking. Chunks before "data" that it does not need are skipped.
// A data size of 0 or 0xFFFFFFFF, as streaming writers leave it, means the
// audio runs until the input ends; a declared size that the input does not
// reach is taken as the end too.
class WavReader {
public:
    // Parses the header up to the start of the audio; throws Failure on
    // anything it cannot encode.
    explicit WavReader(int fd);

    const PcmFormat& format() const { return format_; }

    // Reads up to max_blocks whole blocks of interleaved PCM into `out`
    // (max_blocks * block_bytes() bytes); returns how many arrived, 0 at the end.
    std::size_t read_blocks(uint8_t* out, std::size_t max_blocks);

private:
    void read_header_bytes(uint8_t* out, std::size_t size);
    void skip_bytes(uint64_t size);
    void parse_format_chunk(const uint8_t* chunk, std::size_t size);

    int fd_;
    PcmFormat format_;
    bool size_known_ = false;
    uint64_t bytes_left_ = 0;
    bool ended_ = false;
};

} // namespace mac
