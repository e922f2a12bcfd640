// The effect chain: each chain's state is its own, a kept effect comes off
// again, and a normalizer attached anew starts again from gain 1.0.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "audio/stream.h"
#include "effect_samples.h"
#include "effects/effect_chain.h"
#include "settings/settings_model.h"
#include "support/test_support.h"

using namespace sondrel;
using namespace sondrel::effects;

namespace {

constexpr int kRate = 44100;
constexpr size_t kBlock = 19200;

struct ChainFixture : ::testing::Test {
  test::TempDir dir;
  settings::SettingsModel settings{dir.path() / "qorv", dir.path().string() + "/"};

  static std::unique_ptr<audio::Stream> tone(double amplitude, audio::SampleFormat layout = audio::SampleFormat::S16) {
    return std::make_unique<audio::Stream>(std::make_unique<test::ToneSource>(kRate, 2, 440, amplitude, 3 * kRate),
                                           layout);
  }
  static std::vector<double> readBlock(audio::Stream& s) {
    std::vector<std::byte> block(kBlock);
    block.resize(s.read(block.data(), block.size()));
    return test::unpack(audio::formatBits(s.format()), block);
  }
};

using EffectChainTest = ChainFixture;

// Two conversions side by side: a loud and a quiet stream, each normalized by
// its own chain, read in turns, come out as each does alone.
TEST_F(EffectChainTest, ChainsSideBySideDoNotShareTheNormalizer) {
  auto normalizedAlone = [&](double amplitude) {
    auto s = tone(amplitude);
    EffectChain chain({16, kRate, 2});
    chain.attachForConversion(*s, settings);
    std::vector<std::vector<double>> blocks;
    for (int i = 0; i < 20; ++i) blocks.push_back(readBlock(*s));
    return blocks;
  };
  const auto loudAlone = normalizedAlone(0.9), quietAlone = normalizedAlone(0.1);

  auto loud = tone(0.9), quiet = tone(0.1);
  EffectChain loudChain({16, kRate, 2}), quietChain({16, kRate, 2});
  loudChain.attachForConversion(*loud, settings);
  quietChain.attachForConversion(*quiet, settings);
  for (size_t i = 0; i < 20; ++i) {
    ASSERT_EQ(readBlock(*loud), loudAlone[i]) << i;
    ASSERT_EQ(readBlock(*quiet), quietAlone[i]) << i;
  }
}

TEST_F(EffectChainTest, DetachTakesOffOnlyTheKeptEffect) {
  settings.setSlider("barlowcut", 100);
  settings.setSlider("bargain", 6);
  auto plain = tone(0.5), s = tone(0.5);
  EffectChain chain({16, kRate, 2});
  chain.capture(Effect::LowPass, settings);
  chain.capture(Effect::Gain, settings);
  const int low = chain.attach(Effect::LowPass, *s);
  const int gain = chain.attach(Effect::Gain, *s);
  EXPECT_NE(low, 0);
  EXPECT_NE(gain, low);
  EXPECT_NE(readBlock(*s), readBlock(*plain));
  chain.detach(Effect::LowPass, *s);
  chain.detach(Effect::Gain, *s);
  EXPECT_EQ(chain.handle(Effect::LowPass), 0);
  EXPECT_EQ(readBlock(*s), readBlock(*plain));
  chain.detach(Effect::Gain, *s);  // nothing kept: nothing happens
}

TEST_F(EffectChainTest, NormalizerAttachedAgainStartsFromGainOne) {
  auto s = tone(0.9);
  EffectChain chain({16, kRate, 2});
  chain.capture(Effect::Normalize, settings);
  chain.attach(Effect::Normalize, *s);
  readBlock(*s);  // could take gain 1.04: held at 1.0
  settings.setNumber("spinnorm", 50);
  chain.setNormalizeLevel(0.5);
  const auto lowered = readBlock(*s);  // the new level pulls the gain down to about 0.56
  chain.detach(Effect::Normalize, *s);
  chain.capture(Effect::Normalize, settings);
  chain.attach(Effect::Normalize, *s);
  auto plain = tone(0.9);
  plain->setPosition(s->position());
  const auto reference = readBlock(*plain);
  const auto again = readBlock(*s);
  // The ramp starts at gain 1.0 on the first frame.
  ASSERT_GT(std::abs(reference[0]), 1000);
  EXPECT_EQ(again[0], reference[0]);
  EXPECT_EQ(again[1], reference[1]);
  EXPECT_LT(std::abs(lowered.back()), 0.6 * 32768);
}

}  // namespace
