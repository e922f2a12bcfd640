#include "pcm_to_float.h"

#include <bit>
#include <cmath>

namespace sondrel::faac {

namespace {

int32_t signedLittleEndian(const uint8_t* p, size_t bytes) {
  // Gather into the top bytes of 32 bits, then shift down to sign-extend.
  uint32_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(p[i]) << (8 * (4 - bytes + i));
  return static_cast<int32_t>(value) >> (8 * (4 - bytes));
}

float sampleValue(const uint8_t* p, const PcmFormat& format) {
  if (format.isFloat) {
    const uint32_t bits = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                          static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    const float value = std::bit_cast<float>(bits);
    // FFmpeg's encoder gives up on a frame holding NaN or infinity.
    return std::isfinite(value) ? value : 0.0f;
  }
  switch (format.bitsPerSample) {
    case 8: return (static_cast<int>(p[0]) - 128) / 128.0f;  // 8-bit WAV samples are unsigned
    case 16: return static_cast<float>(signedLittleEndian(p, 2)) / 32768.0f;
    case 24: return static_cast<float>(signedLittleEndian(p, 3)) / 8388608.0f;
    default: return static_cast<float>(static_cast<double>(signedLittleEndian(p, 4)) / 2147483648.0);
  }
}

}  // namespace

void pcmToFloatPlanes(const uint8_t* pcm, size_t frames, const PcmFormat& format, float* const* planes) {
  const size_t sampleBytes = format.bytesPerSample();
  for (size_t frame = 0; frame < frames; ++frame)
    for (int channel = 0; channel < format.channels; ++channel) {
      planes[channel][frame] = sampleValue(pcm, format);
      pcm += sampleBytes;
    }
}

}  // namespace sondrel::faac
