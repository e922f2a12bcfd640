// An attached filter keeps its state from block to block: a steady tone read
// through a stream in 19200-byte blocks comes out without a step at the block
// boundaries, and the same as if the whole signal had been filtered at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "audio/stream.h"
#include "effect_samples.h"
#include "effects/effect_chain.h"
#include "effects/pass_filters.h"
#include "settings/settings_model.h"
#include "support/test_support.h"

using namespace sondrel;
using namespace sondrel::effects;

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr size_t kBlock = 19200;

struct ContinuityCase {
  Effect filter;
  audio::SampleFormat layout;
  std::string name;
};

std::unique_ptr<audio::Stream> toneStream(audio::SampleFormat layout) {
  // 1 kHz at half scale, two seconds.
  return std::make_unique<audio::Stream>(std::make_unique<test::ToneSource>(kRate, kChannels, 1000.0, 0.5, 2 * kRate),
                                         layout);
}

// Reads the whole stream block by block.
std::vector<std::byte> readAll(audio::Stream& s, std::vector<size_t>* blockStarts = nullptr) {
  std::vector<std::byte> all, block(kBlock);
  while (size_t got = s.read(block.data(), block.size())) {
    if (blockStarts) blockStarts->push_back(all.size());
    all.insert(all.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got));
  }
  return all;
}

// The same filter, with the same settings, over the whole signal in one call.
void filterAtOnce(Effect filter, const EffectFormat& f, std::vector<std::byte>& bytes) {
  switch (filter) {
    case Effect::LowPass: PassFilter(PassKind::Low, f).process(bytes.data(), bytes.size(), 2000); break;
    case Effect::HighPass: PassFilter(PassKind::High, f).process(bytes.data(), bytes.size(), 200); break;
    default: BandPassFilter(f).process(bytes.data(), bytes.size(), 500, 3000); break;
  }
}

void PrintTo(const ContinuityCase& c, std::ostream* os) { *os << c.name; }

class FilterContinuity : public ::testing::TestWithParam<ContinuityCase> {};

TEST_P(FilterContinuity, SteadyToneHasNoStepAtBlockBoundaries) {
  const ContinuityCase& c = GetParam();
  const EffectFormat format{audio::formatBits(c.layout), kRate, kChannels};

  auto input = toneStream(c.layout);
  std::vector<std::byte> reference = readAll(*input);
  filterAtOnce(c.filter, format, reference);

  test::TempDir dir;
  settings::SettingsModel settings(dir.path() / "qorv", dir.path().string() + "/");
  // Low pass at 20 % of half the rate (4410 Hz), high pass at 2 % (441 Hz),
  // band pass 500 .. 3000 Hz: the 1 kHz tone passes all three.
  settings.setSlider("barlowcut", 2000);
  settings.setSlider("barhighcut", 200);
  settings.setSlider("barbandlowcut", 500);
  settings.setSlider("barbandhighcut", 3000);
  auto stream = toneStream(c.layout);
  EffectChain chain(format);
  chain.capture(c.filter, settings);
  ASSERT_NE(chain.attach(c.filter, *stream), 0);
  std::vector<size_t> blockStarts;
  const auto bytes = readAll(*stream, &blockStarts);
  ASSERT_GT(blockStarts.size(), 5u);
  EXPECT_TRUE(bytes == reference) << "blocks must not change what the filter does";

  // Once the filter has settled (after 0.1 s), the largest step between
  // neighbouring samples at a block boundary is no larger than anywhere else.
  const auto values = test::unpack(format.bits, bytes);
  const size_t bytesPerSample = static_cast<size_t>(format.bits / 8);
  const size_t settled = kRate / 10 * kChannels;
  std::vector<bool> atBoundary(values.size(), false);
  for (size_t start : blockStarts)
    for (int ch = 0; ch < kChannels; ++ch) atBoundary[start / bytesPerSample + static_cast<size_t>(ch)] = true;
  double boundaryStep = 0, interiorStep = 0, peak = 0;
  for (size_t i = settled; i < values.size(); ++i) {
    const double step = std::abs(values[i] - values[i - kChannels]);
    double& worst = atBoundary[i] ? boundaryStep : interiorStep;
    worst = std::max(worst, step);
    peak = std::max(peak, std::abs(values[i]));
  }
  EXPECT_GT(peak, (format.bits == 8 ? 128 : format.bits == 16 ? 32768 : 1.0) * 0.2) << "the tone must pass";
  EXPECT_LE(boundaryStep, interiorStep * 1.001 + (format.bits == 32 ? 1e-6 : 1.0));
}

std::vector<ContinuityCase> continuityCases() {
  std::vector<ContinuityCase> cases;
  const std::pair<Effect, const char*> filters[] = {
      {Effect::LowPass, "LowPass"}, {Effect::HighPass, "HighPass"}, {Effect::BandPass, "BandPass"}};
  const std::pair<audio::SampleFormat, const char*> layouts[] = {
      {audio::SampleFormat::U8, "U8"}, {audio::SampleFormat::S16, "S16"}, {audio::SampleFormat::F32, "Float"}};
  for (const auto& [filter, fname] : filters)
    for (const auto& [layout, lname] : layouts) cases.push_back({filter, layout, std::string(fname) + "_" + lname});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Filters, FilterContinuity, ::testing::ValuesIn(continuityCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
