#include "audio/peaking_equalizer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/sample_access.h"

namespace sondrel::audio {
namespace {

// Frames converted to double at a time; bounds the stack buffer.
constexpr size_t kChunkSamples = 2048;

// Values this small only keep a decaying filter busy with denormal numbers;
// they are far below anything a sample can show.
constexpr double kNegligible = 1e-30;

}  // namespace

PeakingEqualizer::PeakingEqualizer(SampleFormat format, int rate, int channels)
    : format_(format),
      rate_(rate),
      channels_(std::max(channels, 0)),
      state_(static_cast<size_t>(kBands) * static_cast<size_t>(channels_) * 2, 0.0) {}

bool PeakingEqualizer::setBand(const PeakingBand& band) {
  if (band.band < 0 || band.band >= kBands) return false;
  if (!design(band).active) return false;
  std::lock_guard lock(mutex_);
  settings_[static_cast<size_t>(band.band)] = band;
  changed_ = true;
  return true;
}

std::optional<PeakingBand> PeakingEqualizer::band(int index) const {
  if (index < 0 || index >= kBands) return std::nullopt;
  std::lock_guard lock(mutex_);
  return settings_[static_cast<size_t>(index)];
}

// The peaking filter of the audio-EQ cookbook: unity far from the centre and
// exactly the band's gain at it; its width from Q, or from the bandwidth in
// octaves when Q is 0.
PeakingEqualizer::Coefficients PeakingEqualizer::design(const PeakingBand& band) const {
  Coefficients c;
  const double centre = band.centre, gain = band.gain, q = band.q, octaves = band.bandwidth;
  if (rate_ <= 0 || !std::isfinite(centre) || !std::isfinite(gain) || !std::isfinite(q) || !std::isfinite(octaves))
    return c;
  if (centre <= 0.0 || centre >= rate_ / 2.0) return c;
  if (q <= 0.0 && octaves <= 0.0) return c;
  const double a = std::pow(10.0, gain / 40.0);
  if (!(a > 0.0) || !std::isfinite(a)) return c;
  const double w0 = 2.0 * std::numbers::pi * centre / rate_;
  const double sinW0 = std::sin(w0), cosW0 = std::cos(w0);
  const double alpha =
      q > 0.0 ? sinW0 / (2.0 * q) : sinW0 * std::sinh(std::numbers::ln2 / 2.0 * octaves * w0 / sinW0);
  if (!std::isfinite(alpha) || alpha <= 0.0) return c;
  const double a0 = 1.0 + alpha / a;
  c.b0 = (1.0 + alpha * a) / a0;
  c.b1 = -2.0 * cosW0 / a0;
  c.b2 = (1.0 - alpha * a) / a0;
  c.a1 = -2.0 * cosW0 / a0;
  c.a2 = (1.0 - alpha / a) / a0;
  c.channelMask = band.channel;
  c.active = true;
  return c;
}

void PeakingEqualizer::takePendingChanges() {
  // Never wait for the thread that sets bands: try again on the next block.
  std::unique_lock lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock() || !changed_) return;
  const size_t channels = static_cast<size_t>(channels_);
  for (size_t b = 0; b < bands_.size(); ++b) {
    const auto& s = settings_[b];
    Coefficients c = s ? design(*s) : Coefficients{};
    // A band at 0 dB passes the signal unchanged; skipping it saves the work.
    if (s && s->gain == 0.0f) c.active = false;
    // A band that comes back starts from rest, not from what it held when it
    // was last used.
    if (c.active && !bands_[b].active)
      std::fill_n(state_.begin() + static_cast<std::ptrdiff_t>(b * channels * 2), channels * 2, 0.0);
    bands_[b] = c;
  }
  changed_ = false;
}

namespace {

// Two channels side by side in one vector; GCC and Clang map it to the
// machine's vector registers, each lane computed exactly as a scalar would be.
using Pair = double __attribute__((vector_size(16)));

bool appliesTo(int channelMask, size_t ch) {
  // Channels past the mask's bits follow "every channel" only.
  return ch < 31 ? (channelMask & (1 << ch)) != 0 : channelMask == -1;
}

}  // namespace

// Channels go two at a time, and every band runs on a frame before the next
// frame is taken: the bands' recursions then overlap instead of each waiting
// on its own previous sample.
void PeakingEqualizer::filterChunk(double* samples, size_t frames) {
  const size_t channels = static_cast<size_t>(channels_);
  for (size_t ch = 0; ch < channels; ch += 2) {
    const bool second = ch + 1 < channels;
    Pair b0[kBands], b1[kBands], b2[kBands], a1[kBands], a2[kBands], s1[kBands], s2[kBands];
    bool lane[kBands][2];
    size_t bandOf[kBands];
    size_t used = 0;
    for (size_t b = 0; b < bands_.size(); ++b) {
      const Coefficients& c = bands_[b];
      lane[used][0] = c.active && appliesTo(c.channelMask, ch);
      lane[used][1] = c.active && second && appliesTo(c.channelMask, ch + 1);
      if (!lane[used][0] && !lane[used][1]) continue;
      for (int l = 0; l < 2; ++l) {
        // A lane the band does not touch passes unchanged: y = 1 * x + 0.
        const bool on = lane[used][l];
        const double* st = &state_[(b * channels + ch + static_cast<size_t>(l)) * 2];
        b0[used][l] = on ? c.b0 : 1.0;
        b1[used][l] = on ? c.b1 : 0.0;
        b2[used][l] = on ? c.b2 : 0.0;
        a1[used][l] = on ? c.a1 : 0.0;
        a2[used][l] = on ? c.a2 : 0.0;
        s1[used][l] = on ? st[0] : 0.0;
        s2[used][l] = on ? st[1] : 0.0;
      }
      bandOf[used++] = b;
    }
    if (used == 0) continue;
    for (size_t k = 0, i = ch; k < frames; ++k, i += channels) {
      Pair x = {samples[i], second ? samples[i + 1] : 0.0};
      // Transposed direct form II: two state values, good numerical behaviour.
      for (size_t j = 0; j < used; ++j) {
        const Pair y = b0[j] * x + s1[j];
        s1[j] = b1[j] * x - a1[j] * y + s2[j];
        s2[j] = b2[j] * x - a2[j] * y;
        x = y;
      }
      samples[i] = x[0];
      if (second) samples[i + 1] = x[1];
    }
    for (size_t j = 0; j < used; ++j)
      for (int l = 0; l < 2; ++l) {
        if (!lane[j][l]) continue;
        double* st = &state_[(bandOf[j] * channels + ch + static_cast<size_t>(l)) * 2];
        st[0] = std::abs(s1[j][l]) < kNegligible ? 0.0 : s1[j][l];
        st[1] = std::abs(s2[j][l]) < kNegligible ? 0.0 : s2[j][l];
      }
  }
}

template <class Layout>
void PeakingEqualizer::run(void* data, size_t samples) {
  auto* bytes = static_cast<std::byte*>(data);
  const size_t channels = static_cast<size_t>(channels_);
  const size_t chunkFrames = kChunkSamples / channels;
  double chunk[kChunkSamples];
  for (size_t frame = 0, frames = samples / channels; frame < frames;) {
    const size_t n = std::min(chunkFrames, frames - frame);
    std::byte* at = bytes + frame * channels * Layout::kBytes;
    for (size_t i = 0; i < n * channels; ++i) chunk[i] = Layout::get(at, i);
    filterChunk(chunk, n);
    for (size_t i = 0; i < n * channels; ++i) samples::putRounded<Layout>(at, i, chunk[i]);
    frame += n;
  }
}

void PeakingEqualizer::process(void* data, size_t bytes) {
  if (channels_ <= 0 || static_cast<size_t>(channels_) > kChunkSamples) return;
  takePendingChanges();
  if (std::none_of(bands_.begin(), bands_.end(), [](const Coefficients& c) { return c.active; })) return;
  samples::withLayout(formatBits(format_), [&](auto layout) {
    using Layout = decltype(layout);
    run<Layout>(data, bytes / Layout::kBytes);
  });
}

}  // namespace sondrel::audio
