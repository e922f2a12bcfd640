#pragma once

#include <cstddef>
#include <cstdint>

#include "pcm_format.h"

namespace sondrel::mac {

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

  // Reads up to maxBlocks whole blocks of interleaved PCM into `out`
  // (maxBlocks * blockBytes() bytes); returns how many arrived, 0 at the end.
  std::size_t readBlocks(uint8_t* out, std::size_t maxBlocks);

 private:
  void readHeaderBytes(uint8_t* out, std::size_t size);
  void skipBytes(uint64_t size);
  void parseFormatChunk(const uint8_t* chunk, std::size_t size);

  int fd_;
  PcmFormat format_;
  bool sizeKnown_ = false;
  uint64_t bytesLeft_ = 0;
  bool ended_ = false;
};

}  // namespace sondrel::mac
