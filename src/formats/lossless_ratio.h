// Compression ratio shared by the lossless readers.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace sondrel {

// File size against the same audio as PCM in a WAV file (with its 44-byte
// header), in percent. Floating-point sample types count by their size.
inline double LosslessRatio(int64_t fileSize, uint64_t samples, int channels, int bits) {
  double pcm = double(samples) * (channels * std::abs(bits) / 8) + 44;
  return double(fileSize) / pcm * 100;
}

}  // namespace sondrel
