#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "compression_level.h"
#include "pcm_format.h"

namespace sondrel::mac {

class RangeEncoder;

// Turns one frame of interleaved WAV-layout PCM into a coded Monkey's Audio
// frame: CRC word, optional special-frame flags, then the range-coded
// residuals. Every frame starts from fresh predictor and filter state, so
// frames can be coded independently.
class FrameEncoder {
 public:
  FrameEncoder(CompressionLevel level, PcmFormat format);

  // Appends the frame's bytes, in the order the decoder reads them, to `out`.
  void encode(const uint8_t* pcm, std::size_t blocks, std::vector<uint8_t>& out);

 private:
  void unpack(const uint8_t* pcm, std::size_t blocks);
  void codeMono(std::size_t blocks, RangeEncoder& coder);
  void codeStereo(std::size_t blocks, RangeEncoder& coder);
  void runFilters(std::vector<int32_t>& values, std::size_t blocks) const;

  CompressionLevel level_;
  PcmFormat format_;
  // Samples of the first and second channel, as signed values.
  std::vector<int32_t> first_;
  std::vector<int32_t> second_;
};

}  // namespace sondrel::mac
