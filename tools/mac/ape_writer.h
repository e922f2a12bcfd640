#pragma once

#include "compression_level.h"
#include "file_io.h"
#include "md5.h"
#include "pcm_format.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mac {

// Assembles a Monkey's Audio file (format version 3.99): descriptor, header,
// seek table, then the frames as one stream of little-endian 32-bit words.
//
// The seek table sits in front of the frames but its size is known only at
// the end of a streamed input, so frames go to an unnamed scratch file first
// and are copied behind the table by finish(). The output appears under its
// name only when finish() succeeds.
class ApeWriter {
public:
    ApeWriter(const std::string& output_path, const PcmFormat& format, const CompressionLevel& level);

    // Takes one coded frame, in the byte order the decoder reads.
    void add_frame(const std::vector<uint8_t>& frame, std::size_t blocks);
    void finish();

private:
    void put_byte(uint8_t byte);
    void flush_words();

    PcmFormat format_;
    CompressionLevel level_;
    PendingFile output_;
    FileDescriptor scratch_;
    Md5 md5_;

    std::vector<uint64_t> frame_offsets_; // byte offsets into the frame stream
    uint64_t stream_bytes_ = 0;
    uint64_t total_blocks_ = 0;
    std::size_t last_frame_blocks_ = 0;
    uint8_t word_[4] = {};
    std::vector<uint8_t> buffered_; // whole words waiting for the scratch file
};

} // namespace mac
