// Small helpers for the effect tests: sample vectors in the three layouts, and
// a source of steady tones to make streams from.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "audio/source.h"

namespace sondrel::test {

// Values as the effects see them (8-bit centred on 0) packed into a layout.
inline std::vector<std::byte> pack(int bits, const std::vector<double>& values) {
  std::vector<std::byte> out(values.size() * static_cast<size_t>(bits / 8));
  for (size_t i = 0; i < values.size(); ++i) {
    if (bits == 8) {
      out[i] = static_cast<std::byte>(static_cast<int>(values[i]) + 128);
    } else if (bits == 16) {
      const auto v = static_cast<int16_t>(values[i]);
      std::memcpy(&out[i * 2], &v, 2);
    } else {
      const auto v = static_cast<float>(values[i]);
      std::memcpy(&out[i * 4], &v, 4);
    }
  }
  return out;
}

inline std::vector<double> unpack(int bits, const std::vector<std::byte>& bytes) {
  std::vector<double> out(bytes.size() / static_cast<size_t>(bits / 8));
  for (size_t i = 0; i < out.size(); ++i) {
    if (bits == 8) {
      out[i] = std::to_integer<int>(bytes[i]) - 128;
    } else if (bits == 16) {
      int16_t v;
      std::memcpy(&v, &bytes[i * 2], 2);
      out[i] = v;
    } else {
      float v;
      std::memcpy(&v, &bytes[i * 4], 4);
      out[i] = v;
    }
  }
  return out;
}

// A sine on every channel (the same on each), for a fixed number of frames.
class ToneSource : public audio::Source {
 public:
  ToneSource(int rate, int channels, double hz, double amplitude, int64_t frames)
      : info_{rate, channels, 0, frames}, hz_(hz), amplitude_(amplitude) {}
  const audio::SourceInfo& info() const override { return info_; }
  size_t readFrames(float* out, size_t maxFrames) override {
    size_t n = 0;
    for (; n < maxFrames && next_ < info_.frames; ++n, ++next_) {
      const double v = amplitude_ * std::sin(2.0 * std::numbers::pi * hz_ * static_cast<double>(next_) / info_.rate);
      for (int c = 0; c < info_.channels; ++c) out[n * static_cast<size_t>(info_.channels) + static_cast<size_t>(c)] = static_cast<float>(v);
    }
    return n;
  }
  bool seekFrame(int64_t frame) override {
    next_ = frame;
    return true;
  }

 private:
  audio::SourceInfo info_;
  double hz_;
  double amplitude_;
  int64_t next_ = 0;
};

}  // namespace sondrel::test
