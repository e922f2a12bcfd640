// The peaking equalizer: a sine at a band's centre changes by the band's gain;
// state carries across blocks; bands reach the equalizer from the sliders and
// presets as position / 5 dB.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "audio/peaking_equalizer.h"
#include "audio/stream.h"
#include "effect_samples.h"
#include "effects/effect_chain.h"
#include "effects/equalizer_bands.h"
#include "settings/equalizer_presets.h"
#include "settings/settings_model.h"
#include "support/test_support.h"

using namespace sondrel;
using namespace sondrel::effects;

namespace {

constexpr int kRate = 44100;

std::vector<double> stereoSine(double hz, double amplitude, size_t frames) {
  std::vector<double> v(frames * 2);
  for (size_t k = 0; k < frames; ++k)
    v[2 * k] = v[2 * k + 1] = amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(k) / kRate);
  return v;
}

// Root mean square of the last second of both channels.
double lastSecondRms(const std::vector<double>& v) {
  double sum = 0;
  const size_t from = v.size() - kRate * 2;
  for (size_t i = from; i < v.size(); ++i) sum += v[i] * v[i];
  return std::sqrt(sum / static_cast<double>(v.size() - from));
}

// The change in dB that the equalizer makes to a sine at `hz`.
double measuredGainDb(audio::PeakingEqualizer& eq, int bits, double hz, double amplitude) {
  auto in = test::pack(bits, stereoSine(hz, amplitude, kRate * 3 / 2));
  const auto before = test::unpack(bits, in);
  eq.process(in.data(), in.size());
  return 20 * std::log10(lastSecondRms(test::unpack(bits, in)) / lastSecondRms(before));
}

struct CentreCase {
  audio::SampleFormat layout;
  int band;
  int position;  // slider position: dB * 5
};

void PrintTo(const CentreCase& c, std::ostream* os) {
  *os << "bits " << audio::formatBits(c.layout) << " band " << c.band << " position " << c.position;
}

class EqualizerCentre : public ::testing::TestWithParam<CentreCase> {};

TEST_P(EqualizerCentre, SineAtTheCentreChangesByTheBandsGain) {
  const CentreCase& c = GetParam();
  audio::PeakingEqualizer eq(c.layout, kRate, 2);
  ASSERT_TRUE(eq.setBand(equalizerBand(c.band, c.position)));
  const int bits = audio::formatBits(c.layout);
  // Loud enough to measure, quiet enough not to clip at +18 dB.
  const double amplitude = bits == 8 ? 60 : bits == 16 ? 3000 : 0.25;
  const double hz = settings::kEqualizerBands[static_cast<size_t>(c.band)].centreHz;
  EXPECT_NEAR(measuredGainDb(eq, bits, hz, amplitude), c.position / 5.0, 0.1);
}

std::vector<CentreCase> centreCases() {
  std::vector<CentreCase> cases;
  for (int band = 0; band < 10; ++band) {
    for (int position : {90, -90, 30}) {
      cases.push_back({audio::SampleFormat::F32, band, position});
      cases.push_back({audio::SampleFormat::S16, band, position});
    }
    for (int position : {30, -30}) cases.push_back({audio::SampleFormat::U8, band, position});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Bands, EqualizerCentre, ::testing::ValuesIn(centreCases()), [](const auto& info) {
  const auto& c = info.param;
  const char* layout = c.layout == audio::SampleFormat::U8 ? "U8" : c.layout == audio::SampleFormat::S16 ? "S16" : "Float";
  return std::string(layout) + "_band" + std::to_string(c.band) + (c.position < 0 ? "_cut" : "_boost") +
         std::to_string(std::abs(c.position) / 5) + "dB";
});

TEST(PeakingEqualizer, WidthFromQWhenQIsGiven) {
  audio::PeakingEqualizer eq(audio::SampleFormat::F32, kRate, 2);
  audio::PeakingBand band = equalizerBand(4, 60);
  band.q = 4.0f;
  band.bandwidth = 0.0f;
  ASSERT_TRUE(eq.setBand(band));
  EXPECT_NEAR(measuredGainDb(eq, 32, 1000, 0.25), 12.0, 0.1);
  // Narrower than half an octave: an octave away it does almost nothing.
  audio::PeakingEqualizer narrow(audio::SampleFormat::F32, kRate, 2);
  ASSERT_TRUE(narrow.setBand(band));
  EXPECT_LT(measuredGainDb(narrow, 32, 2000, 0.25), 0.5);
}

TEST(PeakingEqualizer, BlocksOfAnySizeGiveTheSameOutputAsOnePass) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(-0.3, 0.3);
  std::vector<double> signal(kRate * 2);
  for (double& v : signal) v = noise(random);
  auto whole = test::pack(32, signal);
  auto blocks = whole;

  auto makeEq = [] {
    auto eq = std::make_unique<audio::PeakingEqualizer>(audio::SampleFormat::F32, kRate, 2);
    const auto& rock = settings::kEqualizerPresets[14].positions;
    for (int b = 0; b < 10; ++b) eq->setBand(equalizerBand(b, rock[static_cast<size_t>(b)]));
    return eq;
  };
  makeEq()->process(whole.data(), whole.size());
  auto eq = makeEq();
  size_t at = 0;
  for (size_t frames : {1u, 7u, 1023u, 1024u, 1025u, 4800u, 19u}) {
    const size_t n = std::min(frames * 8, blocks.size() - at);
    eq->process(blocks.data() + at, n);
    at += n;
  }
  eq->process(blocks.data() + at, blocks.size() - at);
  EXPECT_TRUE(whole == blocks);
}

TEST(PeakingEqualizer, ChannelMaskLeavesOtherChannelsAlone) {
  audio::PeakingEqualizer eq(audio::SampleFormat::S16, kRate, 2);
  audio::PeakingBand band = equalizerBand(4, 60);
  band.channel = 1;  // channel 0 only
  ASSERT_TRUE(eq.setBand(band));
  auto bytes = test::pack(16, stereoSine(1000, 3000, 4410));
  const auto before = test::unpack(16, bytes);
  eq.process(bytes.data(), bytes.size());
  const auto after = test::unpack(16, bytes);
  bool leftChanged = false;
  for (size_t i = 0; i < after.size(); i += 2) {
    ASSERT_EQ(after[i + 1], before[i + 1]);
    leftChanged |= after[i] != before[i];
  }
  EXPECT_TRUE(leftChanged);
}

TEST(PeakingEqualizer, RefusesBandsItCannotBuildAndKeepsThePrevious) {
  audio::PeakingEqualizer eq(audio::SampleFormat::F32, 22050, 2);
  audio::PeakingBand outOfRange = equalizerBand(0, 10);
  outOfRange.band = 10;
  EXPECT_FALSE(eq.setBand(outOfRange));
  EXPECT_FALSE(eq.setBand(equalizerBand(9, 10)));  // 16 kHz: above half of 22050 Hz
  EXPECT_FALSE(eq.band(9).has_value());
  ASSERT_TRUE(eq.setBand(equalizerBand(3, 10)));
  audio::PeakingBand noWidth = equalizerBand(3, 50);
  noWidth.bandwidth = 0;
  EXPECT_FALSE(eq.setBand(noWidth));
  audio::PeakingBand notFinite = equalizerBand(3, 50);
  notFinite.gain = std::nanf("");
  EXPECT_FALSE(eq.setBand(notFinite));
  EXPECT_EQ(eq.band(3)->gain, 2.0f);
}

// --- Bands from the settings ----------------------------------------------

struct SettingsFixture : ::testing::Test {
  test::TempDir dir;
  settings::SettingsModel settings{dir.path() / "qorv", dir.path().string() + "/"};

  static std::unique_ptr<audio::Stream> stream(int rate) {
    return std::make_unique<audio::Stream>(std::make_unique<test::ToneSource>(rate, 2, 440, 0.1, rate),
                                           audio::SampleFormat::F32);
  }
};

using EqualizerSettings = SettingsFixture;

// Every preset reaches the equalizer as its ten positions / 5 dB, on the ten
// centres, half an octave wide, on every channel.
TEST_F(EqualizerSettings, PresetsSendTheirPositionsAsFifthsOfADecibel) {
  const float centres[] = {60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000, 16000};
  settings.setCheck("ceq", true);
  for (int preset = 0; preset < static_cast<int>(settings::kEqualizerPresets.size()); ++preset) {
    settings.setList("equcom", preset);
    auto s = stream(kRate);
    EffectChain chain({32, kRate, 2});
    chain.AttachEqualizer(*s, settings);
    ASSERT_NE(chain.equalizer(), nullptr);
    for (int b = 0; b < 10; ++b) {
      const auto band = chain.equalizer()->band(b);
      ASSERT_TRUE(band.has_value()) << preset << " " << b;
      EXPECT_EQ(band->band, b);
      EXPECT_EQ(band->gain, settings::kEqualizerPresets[static_cast<size_t>(preset)].positions[static_cast<size_t>(b)] / 5.0f)
          << settings::kEqualizerPresets[static_cast<size_t>(preset)].name << " band " << b;
      EXPECT_EQ(band->centre, centres[b]);
      EXPECT_EQ(band->bandwidth, 0.5f);
      EXPECT_EQ(band->q, 0.0f);
      EXPECT_EQ(band->channel, -1);
    }
  }
  settings.setList("equcom", 10);  // "Loudness"
  auto s = stream(kRate);
  EffectChain chain({32, kRate, 2});
  chain.AttachEqualizer(*s, settings);
  EXPECT_EQ(chain.equalizer()->band(0)->gain, -18.0f);
  EXPECT_EQ(chain.equalizer()->band(9)->gain, -18.0f);
}

TEST_F(EqualizerSettings, NothingIsAttachedWhileTheEqualizerIsOff) {
  settings.setList("equcom", 3);
  auto s = stream(kRate);
  EffectChain chain({32, kRate, 2});
  chain.AttachEqualizer(*s, settings);
  EXPECT_EQ(chain.equalizer(), nullptr);
  EXPECT_EQ(chain.handle(Effect::Equalizer), 0);
}

// At 8000 Hz the bands above 4 kHz cannot be built; the others still are.
TEST_F(EqualizerSettings, BandsAboveHalfTheRateAreLeftOut) {
  settings.setCheck("ceq", true);
  settings.setList("equcom", 1);  // "Classical"
  auto s = stream(8000);
  EffectChain chain({32, 8000, 2});
  chain.AttachEqualizer(*s, settings);
  ASSERT_NE(chain.equalizer(), nullptr);
  EXPECT_EQ(chain.equalizer()->band(5)->gain, -2.0f);
  for (int b = 6; b < 10; ++b) EXPECT_FALSE(chain.equalizer()->band(b).has_value()) << b;
  // And the stream still plays through it.
  std::vector<float> block(4800);
  EXPECT_GT(s->read(block.data(), block.size() * 4), 0u);
  for (float v : block) ASSERT_TRUE(std::isfinite(v));
}

}  // namespace
