#include "audio/pcm_pack.h"

#include <cmath>
#include <cstring>

namespace sondrel::audio {

int packedBits(SampleFormat format, int floatBits) {
  switch (format) {
    case SampleFormat::U8: return 8;
    case SampleFormat::S16: return 16;
    case SampleFormat::F32: return floatBits;
  }
  return 16;
}

void packPcm(const void* data, size_t bytes, SampleFormat format, int floatBits, std::vector<uint8_t>& out) {
  if (format != SampleFormat::F32) {
    out.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + bytes);
    return;
  }
  const auto* in = static_cast<const float*>(data);
  const size_t count = bytes / sizeof(float);
  const int width = floatBits / 8;
  out.resize(count * static_cast<size_t>(width));
  uint8_t* o = out.data();
  // Full scale of the target width; rounding to nearest, clipping at the ends.
  const double scale = std::ldexp(1.0, floatBits - 1);
  const double maxValue = scale - 1.0;
  for (size_t i = 0; i < count; ++i) {
    double v = std::nearbyint(static_cast<double>(in[i]) * scale);
    v = v > maxValue ? maxValue : (v < -scale ? -scale : v);
    int64_t s = static_cast<int64_t>(v);
    if (floatBits == 8) {
      *o++ = static_cast<uint8_t>(s + 128);  // 8-bit WAV is unsigned
      continue;
    }
    for (int b = 0; b < width; ++b) *o++ = static_cast<uint8_t>(static_cast<uint64_t>(s) >> (8 * b));
  }
}

std::vector<uint8_t> wavHeader(int rate, int channels, int bits, uint32_t dataBytes) {
  std::vector<uint8_t> h;
  auto put = [&h](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) h.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto tag = [&h](const char* t) { h.insert(h.end(), t, t + 4); };
  const uint32_t blockAlign = static_cast<uint32_t>(channels * bits / 8);
  tag("RIFF");
  put(dataBytes == 0xFFFFFFFFu ? 0xFFFFFFFFu : dataBytes + 36, 4);
  tag("WAVE");
  tag("fmt ");
  put(16, 4);
  put(1, 2);  // integer PCM
  put(static_cast<uint32_t>(channels), 2);
  put(static_cast<uint32_t>(rate), 4);
  put(static_cast<uint32_t>(rate) * blockAlign, 4);
  put(blockAlign, 2);
  put(static_cast<uint32_t>(bits), 2);
  tag("data");
  put(dataBytes, 4);
  return h;
}

}  // namespace sondrel::audio
