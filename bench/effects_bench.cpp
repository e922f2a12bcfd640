// Times each effect processor, the ten-band equalizer and the whole chain on
// float stereo at 44100 Hz, worked through in the conversion's 19200-byte
// blocks. Prints each as times real time on one core, and the whole chain's
// seconds per second of audio for a script to set against an MP3 encoder.
// Usage: bench_effects [SECONDS]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "audio/peaking_equalizer.h"
#include "audio/stream.h"
#include "effects/effect_chain.h"
#include "effects/equalizer_bands.h"
#include "effects/gain.h"
#include "effects/normalizer.h"
#include "effects/pass_filters.h"
#include "settings/equalizer_presets.h"
#include "settings/settings_model.h"

using namespace sondrel;

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr size_t kBlock = 19200;

// Music-like material: two gliding tones and a little noise, well below full
// scale so the normalizer keeps working.
std::vector<float> material(int seconds) {
  std::vector<float> v(static_cast<size_t>(seconds) * kRate * kChannels);
  uint32_t noise = 1;
  for (size_t k = 0; k < v.size() / kChannels; ++k) {
    const double t = static_cast<double>(k) / kRate;
    noise = noise * 1664525u + 1013904223u;
    const double n = (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) * 0.05;
    v[2 * k] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * (220 + 30 * t) * t) + n);
    v[2 * k + 1] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * (330 + 10 * t) * t) - n);
  }
  return v;
}

// Best of three runs of `work` over fresh copies of the material, in blocks.
double bestSeconds(const std::vector<float>& input, const std::function<std::function<void(void*, size_t)>()>& make) {
  double best = 1e30;
  std::vector<float> buffer;
  for (int run = 0; run < 3; ++run) {
    buffer = input;
    auto work = make();
    const auto start = std::chrono::steady_clock::now();
    auto* bytes = reinterpret_cast<std::byte*>(buffer.data());
    const size_t total = buffer.size() * sizeof(float);
    for (size_t at = 0; at < total; at += kBlock) work(bytes + at, std::min(kBlock, total - at));
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// Hands out the material to a stream, so that the chain runs as it does in a
// conversion.
class MemorySource : public audio::Source {
 public:
  explicit MemorySource(const std::vector<float>& v)
      : v_(v), info_{kRate, kChannels, 0, static_cast<int64_t>(v.size() / kChannels)} {}
  const audio::SourceInfo& info() const override { return info_; }
  size_t readFrames(float* out, size_t maxFrames) override {
    const size_t n = std::min<size_t>(maxFrames, static_cast<size_t>(info_.frames) - next_);
    std::memcpy(out, v_.data() + next_ * kChannels, n * kChannels * sizeof(float));
    next_ += n;
    return n;
  }
  bool seekFrame(int64_t frame) override {
    next_ = static_cast<size_t>(frame);
    return true;
  }

 private:
  const std::vector<float>& v_;
  audio::SourceInfo info_;
  size_t next_ = 0;
};

double streamSeconds(const std::vector<float>& input, const settings::SettingsModel* settings) {
  double best = 1e30;
  std::vector<std::byte> block(kBlock);
  for (int run = 0; run < 3; ++run) {
    audio::Stream stream(std::make_unique<MemorySource>(input), audio::SampleFormat::F32);
    effects::EffectChain chain({32, kRate, kChannels});
    if (settings) chain.attachForConversion(stream, *settings);
    const auto start = std::chrono::steady_clock::now();
    while (stream.read(block.data(), block.size()) > 0) {
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  const auto input = material(seconds);
  const effects::EffectFormat f{32, kRate, kChannels};
  const auto& rock = settings::kEqualizerPresets[14].positions;  // every band off 0 dB

  struct Case {
    const char* name;
    std::function<std::function<void(void*, size_t)>()> make;
  };
  const Case cases[] = {
      {"low pass", [&] {
         return [filter = std::make_shared<effects::PassFilter>(effects::PassKind::Low, f)](void* d, size_t n) {
           filter->process(d, n, 5000);
         };
       }},
      {"high pass", [&] {
         return [filter = std::make_shared<effects::PassFilter>(effects::PassKind::High, f)](void* d, size_t n) {
           filter->process(d, n, 500);
         };
       }},
      {"band pass", [&] {
         return [filter = std::make_shared<effects::BandPassFilter>(f)](void* d, size_t n) {
           filter->process(d, n, 2000, 8000);
         };
       }},
      {"gain", [&] { return [f](void* d, size_t n) { effects::applyGain(d, n, f, 0.5f); }; }},
      {"normalize", [&] {
         return [f, st = std::make_shared<effects::NormalizerState>()](void* d, size_t n) {
           effects::normalize(d, n, f, *st);
         };
       }},
      {"equalizer (10 bands)", [&] {
         auto eq = std::make_shared<audio::PeakingEqualizer>(audio::SampleFormat::F32, kRate, kChannels);
         for (int b = 0; b < 10; ++b) eq->setBand(effects::equalizerBand(b, rock[static_cast<size_t>(b)]));
         return [eq](void* d, size_t n) { eq->process(d, n); };
       }},
  };
  for (const Case& c : cases) {
    const double s = bestSeconds(input, c.make);
    std::printf("%-22s %8.0fx real time\n", c.name, seconds / s);
  }

  // The whole chain as a conversion attaches it, every effect on.
  const auto dir = std::filesystem::temp_directory_path() / "sondrel-effects-bench";
  settings::SettingsModel settings(dir, dir.string() + "/");
  settings.setCheck("clowpass", true);
  settings.setCheck("chighpass", true);
  settings.setCheck("cbandpass", true);
  settings.setCheck("ceq", true);
  settings.setList("equcom", 14);
  settings.setSlider("bargain", -3);
  settings.setCheck("cnorm", true);
  const double bare = streamSeconds(input, nullptr);
  const double withChain = streamSeconds(input, &settings);
  const double chain = std::max(withChain - bare, 0.0);
  std::printf("%-22s %8.0fx real time\n", "whole chain", seconds / chain);
  std::printf("chain_seconds_per_audio_second %.6f\n", chain / seconds);
  return 0;
}
