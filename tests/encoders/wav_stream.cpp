#include "encoders/wav_stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace sondrel::test {

namespace {

void put16(std::string& out, uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

double sweep(double t, double seconds, double from, double to) {
  return std::sin(2 * std::numbers::pi * (from * t + (to - from) * t * t / (2 * seconds)));
}

TestSignal build(const PcmLayout& layout, double seconds, double extraHz, double extraAmplitude) {
  TestSignal signal;
  signal.layout = layout;
  signal.frames = static_cast<size_t>(seconds * layout.rate);
  const double top = std::min(3000.0, layout.rate / 2.0 - 500);
  const double fullScale = std::ldexp(1.0, layout.bits - 1) - 1;
  for (size_t i = 0; i < signal.frames; ++i) {
    const double t = static_cast<double>(i) / layout.rate;
    for (int c = 0; c < layout.channels; ++c) {
      double v = c % 2 == 0 ? 0.4 * std::sin(2 * std::numbers::pi * 440 * t) + 0.3 * sweep(t, seconds, 300, top)
                            : 0.4 * std::sin(2 * std::numbers::pi * 660 * t) + 0.3 * sweep(t, seconds, top, 300);
      if (extraAmplitude > 0) v = 0.7 * v + extraAmplitude * std::sin(2 * std::numbers::pi * extraHz * t);
      const auto q = static_cast<int64_t>(std::lround(v * fullScale));
      signal.samples.push_back(static_cast<float>(static_cast<double>(q) / (fullScale + 1)));
      const uint32_t stored = layout.bits == 8 ? static_cast<uint32_t>(q + 128) : static_cast<uint32_t>(q);
      for (int b = 0; b < layout.bits / 8; ++b) signal.pcm += static_cast<char>((stored >> (8 * b)) & 0xFF);
    }
  }
  return signal;
}

}  // namespace

TestSignal TestSignal::make(const PcmLayout& layout, double seconds) { return build(layout, seconds, 0, 0); }

TestSignal TestSignal::withTone(const PcmLayout& layout, double seconds, double hz, double amplitude) {
  return build(layout, seconds, hz, amplitude);
}

std::string TestSignal::wavStream(DataSize size) const {
  const uint32_t blockAlign = static_cast<uint32_t>(layout.channels * layout.bits / 8);
  const uint32_t dataBytes = size == DataSize::Exact  ? static_cast<uint32_t>(pcm.size())
                             : size == DataSize::Zero ? 0
                                                      : 0xFFFFFFFFu;
  const uint32_t fmtBytes = layout.extensible ? 40 : 16;
  std::string out = "RIFF";
  put32(out, size == DataSize::Exact ? 4 + 8 + fmtBytes + 8 + dataBytes : dataBytes);
  out += "WAVEfmt ";
  put32(out, fmtBytes);
  put16(out, layout.extensible ? 0xFFFE : 1);
  put16(out, static_cast<uint32_t>(layout.channels));
  put32(out, static_cast<uint32_t>(layout.rate));
  put32(out, static_cast<uint32_t>(layout.rate) * blockAlign);
  put16(out, blockAlign);
  put16(out, static_cast<uint32_t>(layout.bits));
  if (layout.extensible) {
    put16(out, 22);                                  // extension size
    put16(out, static_cast<uint32_t>(layout.bits));  // valid bits
    put32(out, layout.channels == 1 ? 0x4 : 0x3);    // speaker mask: centre, or left and right
    static const unsigned char kPcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                               0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    out.append(reinterpret_cast<const char*>(kPcmGuid), sizeof kPcmGuid);
  }
  out += "data";
  put32(out, dataBytes);
  return out + pcm;
}

Match bestMatch(const std::vector<float>& reference, const std::vector<float>& decoded, int channels, long maxLag) {
  const long refFrames = static_cast<long>(reference.size()) / channels;
  const long decFrames = static_cast<long>(decoded.size()) / channels;
  auto correlation = [&](int channel, long lag, long from, long count) {
    double sxy = 0, sxx = 0, syy = 0;
    for (long i = from; i < from + count; ++i) {
      const long j = i + lag;
      if (j < 0 || j >= decFrames) continue;
      const double x = reference[static_cast<size_t>(i * channels + channel)];
      const double y = decoded[static_cast<size_t>(j * channels + channel)];
      sxy += x * y;
      sxx += x * x;
      syy += y * y;
    }
    return sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0.0;
  };
  // The delay is found on a stretch of the first channel, then every channel
  // is judged over the whole signal at that delay.
  const long probeFrom = std::min(refFrames / 4, 8192L);
  const long probeCount = std::min(refFrames - probeFrom, 8192L);
  Match best{-2, 0};
  for (long lag = -maxLag; lag <= maxLag; ++lag) {
    const double c = correlation(0, lag, probeFrom, probeCount);
    if (c > best.correlation) best = {c, lag};
  }
  double worst = 1;
  for (int channel = 0; channel < channels; ++channel)
    worst = std::min(worst, correlation(channel, best.lag, 0, refFrames));
  return {worst, best.lag};
}

double tonePower(const std::vector<float>& samples, int channels, int rate, double hz) {
  // Goertzel's filter over the whole signal.
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / rate);
  double s1 = 0, s2 = 0;
  const size_t frames = samples.size() / static_cast<size_t>(channels);
  for (size_t i = 0; i < frames; ++i) {
    const double s0 = samples[i * static_cast<size_t>(channels)] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / (static_cast<double>(frames) * static_cast<double>(frames));
}

std::vector<float> floatsOf(const std::vector<uint8_t>& f32le) {
  std::vector<float> out(f32le.size() / 4);
  std::memcpy(out.data(), f32le.data(), out.size() * 4);
  return out;
}

}  // namespace sondrel::test
