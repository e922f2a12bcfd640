#pragma once

#include <cstddef>
#include <cstdint>

namespace sondrel::mac {

// The layout of the integer PCM the encoder takes in, as the WAV stream
// declares it.
struct PcmFormat {
  int channels = 0;         // 1 or 2
  int bits = 0;             // 8 (unsigned), 16 or 24 (signed)
  uint32_t sampleRate = 0;  // Hz

  int bytesPerSample() const { return bits / 8; }
  std::size_t blockBytes() const { return static_cast<std::size_t>(channels) * bytesPerSample(); }
};

}  // namespace sondrel::mac
