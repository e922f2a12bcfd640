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
  if (floatBits <= 24) {
    // Up to 24 bits every value is exact in a float, so the common widths take
    // the fast single-precision path: scale, clip, round to nearest. One loop
    // per width keeps the inner loop free of branches.
    const float scale = static_cast<float>(1 << (floatBits - 1));
    const float top = scale - 1.0f;
    auto quantise = [scale, top](float x) {
      const float v = x * scale;
      return static_cast<int32_t>(std::lrintf(v > top ? top : (v < -scale ? -scale : v)));
    };
    if (floatBits == 8) {
      for (size_t i = 0; i < count; ++i) o[i] = static_cast<uint8_t>(quantise(in[i]) + 128);  // unsigned
    } else if (floatBits == 16) {
      auto* o16 = reinterpret_cast<int16_t*>(o);  // the machine is little-endian, as WAV is
      for (size_t i = 0; i < count; ++i) o16[i] = static_cast<int16_t>(quantise(in[i]));
    } else {
      for (size_t i = 0; i < count; ++i) {
        const int32_t s = quantise(in[i]);
        o[3 * i] = static_cast<uint8_t>(s);
        o[3 * i + 1] = static_cast<uint8_t>(s >> 8);
        o[3 * i + 2] = static_cast<uint8_t>(s >> 16);
      }
    }
    return;
  }
  // 32 bits need double precision to reach full scale without overflow.
  const double scale = std::ldexp(1.0, floatBits - 1);
  const double maxValue = scale - 1.0;
  for (size_t i = 0; i < count; ++i) {
    double v = std::nearbyint(static_cast<double>(in[i]) * scale);
    v = v > maxValue ? maxValue : (v < -scale ? -scale : v);
    const auto s = static_cast<int64_t>(v);
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
