#include "audio/sample_format.h"

#include <cmath>
#include <cstring>

namespace sondrel::audio {

void convertFromFloat(const float* in, size_t count, SampleFormat target, void* out) {
  switch (target) {
    case SampleFormat::F32:
      if (out != in) std::memmove(out, in, count * sizeof(float));
      return;
    case SampleFormat::S16: {
      auto* o = static_cast<int16_t*>(out);
      for (size_t i = 0; i < count; ++i) {
        float v = std::nearbyint(in[i] * 32768.0f);
        o[i] = static_cast<int16_t>(v > 32767.0f ? 32767.0f : (v < -32768.0f ? -32768.0f : v));
      }
      return;
    }
    case SampleFormat::U8: {
      auto* o = static_cast<uint8_t*>(out);
      for (size_t i = 0; i < count; ++i) {
        float v = std::nearbyint(in[i] * 128.0f);
        v = v > 127.0f ? 127.0f : (v < -128.0f ? -128.0f : v);
        o[i] = static_cast<uint8_t>(static_cast<int>(v) + 128);
      }
      return;
    }
  }
}

}  // namespace sondrel::audio
