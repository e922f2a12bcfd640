#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "compression_level.h"
#include "md5.h"
#include "pcm_format.h"

namespace sondrel::mac {

// Assembles a Monkey's Audio file (format version 3.99): descriptor, header,
// seek table, then the frames as one stream of little-endian 32-bit words.
//
// The seek table sits in front of the frames but its size is known only at
// the end of a streamed input, so frames go to an unnamed scratch file first
// and are copied behind the table by finish(). The output appears under its
// name only when finish() succeeds.
class ApeWriter {
 public:
  ApeWriter(const std::string& outputPath, const PcmFormat& format, const CompressionLevel& level);

  // Takes one coded frame, in the byte order the decoder reads.
  void addFrame(const std::vector<uint8_t>& frame, std::size_t blocks);
  void finish();

 private:
  void putByte(uint8_t byte);
  void flushWords();

  PcmFormat format_;
  CompressionLevel level_;
  tools::PendingFile output_;
  tools::FileDescriptor scratch_;
  Md5 md5_;

  std::vector<uint64_t> frameOffsets_;  // byte offsets into the frame stream
  uint64_t streamBytes_ = 0;
  uint64_t totalBlocks_ = 0;
  std::size_t lastFrameBlocks_ = 0;
  uint8_t word_[4] = {};
  std::vector<uint8_t> buffered_;  // whole words waiting for the scratch file
};

}  // namespace sondrel::mac
