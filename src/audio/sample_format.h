// Sample layouts a stream can deliver, and the conversions between them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sondrel::audio {

// The three layouts streams deliver: unsigned 8-bit, signed 16-bit and 32-bit
// float, interleaved, in the machine's (little-endian) byte order.
enum class SampleFormat { U8, S16, F32 };

constexpr int bytesPerSample(SampleFormat f) {
  return f == SampleFormat::U8 ? 1 : f == SampleFormat::S16 ? 2 : 4;
}

// Bits a processor sees for each layout: 8, 16, or 32 for float.
constexpr int formatBits(SampleFormat f) { return bytesPerSample(f) * 8; }

// Converts float samples to the target layout, rounding to the nearest value
// and clipping at full scale. `out` must hold count * bytesPerSample(target).
void convertFromFloat(const float* in, size_t count, SampleFormat target, void* out);

}  // namespace sondrel::audio
