// The sample processors' arithmetic on small vectors in the three layouts:
// coefficients and their clamps, the filter step, rounding, clipping, and the
// normalizer's attack, hold and release.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>

#include "effect_samples.h"
#include "effects/gain.h"
#include "effects/normalizer.h"
#include "effects/pass_filters.h"

using namespace sondrel;
using namespace sondrel::effects;
using test::pack;
using test::unpack;

namespace {

using Apply = std::function<void(void* data, size_t bytes, const EffectFormat& format)>;

Apply lowPass(int cutoff) {
  return [cutoff](void* d, size_t n, const EffectFormat& f) { PassFilter(PassKind::Low, f).process(d, n, cutoff); };
}
Apply highPass(int cutoff) {
  return [cutoff](void* d, size_t n, const EffectFormat& f) { PassFilter(PassKind::High, f).process(d, n, cutoff); };
}
Apply bandPass(int lower, int upper) {
  return [=](void* d, size_t n, const EffectFormat& f) { BandPassFilter(f).process(d, n, lower, upper); };
}
Apply gain(float factor) {
  return [factor](void* d, size_t n, const EffectFormat& f) { applyGain(d, n, f, factor); };
}

struct ProcessorCase {
  std::string name;
  EffectFormat format;
  Apply apply;
  std::vector<double> in;
  std::vector<double> out;
};

void PrintTo(const ProcessorCase& c, std::ostream* os) { *os << c.name; }

std::string layoutName(int bits) { return bits == 8 ? "U8" : bits == 16 ? "S16" : "Float"; }

std::vector<ProcessorCase> processorCases() {
  std::vector<ProcessorCase> cases;
  auto each = [&](const std::string& name, EffectFormat f, Apply a, std::vector<double> in,
                  std::vector<double> outU8, std::vector<double> outS16, std::vector<double> outFloat) {
    for (int bits : {8, 16, 32}) {
      f.bits = bits;
      cases.push_back({name + "_" + layoutName(bits), f, a, in, bits == 8 ? outU8 : bits == 16 ? outS16 : outFloat});
    }
  };
  // High pass at v = 10000 and 44100 Hz: fc = 22050, f = 1, so the output is
  // the second difference of the input (exact in every layout), clipped for
  // the integer layouts.
  each("HighPassAtFullCutOff", {0, 44100, 1}, highPass(10000), {100, -100, 100, 0},  //
       {100, -128, 127, -128}, {100, -300, 400, -300}, {100, -300, 400, -300});
  // Channel 1 gets the same coefficient as channel 0, with its own state.
  each("HighPassStereoSameCoefficient", {0, 44100, 2}, highPass(10000), {100, 50, -100, -50, 100, 25},
       {100, 50, -128, -128, 127, 127}, {100, 50, -300, -150, 400, 175}, {100, 50, -300, -150, 400, 175});
  // Low pass at v = 0: float goes to 0 Hz (silence); integers stop at 1 Hz,
  // which at a rate of 2 Hz is half the rate: f = 1, a one-sample delay.
  each("LowPassAtZero", {0, 2, 1}, lowPass(0), {10, 20, -30, 40},  //
       {0, 10, 20, -30}, {0, 10, 20, -30}, {0, 0, 0, 0});
  // Band pass at 6 Hz: an edge of 1 Hz gives f = sin(pi/6) = 0.5, an edge of
  // 3 Hz gives f = 1. Ordered edges: a delay, then a high pass at f = 0.5.
  each("BandPassOrderedEdges", {0, 6, 1}, bandPass(1, 3), {64, 0, 0, 0},  //
       {0, 64, -48, -28}, {0, 64, -48, -28}, {0, 64, -48, -28});
  // Crossed edges: both stages still run, a low pass at f = 0.5 then a high
  // pass at f = 1.
  each("BandPassCrossedEdges", {0, 6, 1}, bandPass(3, 1), {64, 0, 0, 0},  //
       {0, 16, -12, -7}, {0, 16, -12, -7}, {0, 16, -12, -7});
  // Edges outside 1 Hz .. rate/2 are brought back to them.
  each("BandPassEdgesClamped", {0, 6, 1}, bandPass(0, 10000), {64, 0, 0, 0},  //
       {0, 64, -48, -28}, {0, 64, -48, -28}, {0, 64, -48, -28});
  // Halves round to the even neighbour in the integer layouts.
  each("GainRoundsTiesToEven", {0, 44100, 1}, gain(0.5f), {3, 5, -3, -5, 1},  //
       {2, 2, -2, -2, 0}, {2, 2, -2, -2, 0}, {1.5, 2.5, -1.5, -2.5, 0.5});
  // Integer layouts clip, floats never do.
  each("GainClips", {0, 44100, 1}, gain(4.0f), {40, -40, 10},  //
       {127, -128, 40}, {160, -160, 40}, {160, -160, 40});
  cases.push_back({"GainClips_S16_FullScale", {16, 44100, 1}, gain(4.0f), {10000, -10000}, {32767, -32768}});
  cases.push_back({"GainNeverClipsFloat", {32, 44100, 1}, gain(4.0f), {0.75, -1.0}, {3.0, -4.0}});
  return cases;
}

class Processor : public ::testing::TestWithParam<ProcessorCase> {};

TEST_P(Processor, GivesTheExpectedSamples) {
  const ProcessorCase& c = GetParam();
  auto bytes = pack(c.format.bits, c.in);
  c.apply(bytes.data(), bytes.size(), c.format);
  EXPECT_EQ(unpack(c.format.bits, bytes), c.out);
}

INSTANTIATE_TEST_SUITE_P(Cases, Processor, ::testing::ValuesIn(processorCases()),
                         [](const auto& info) { return info.param.name; });

TEST(Processor, UnsupportedLayoutPassesUnchanged) {
  std::vector<std::byte> bytes(24, std::byte{0x55});
  const auto before = bytes;
  for (const Apply& a : {lowPass(100), highPass(100), bandPass(10, 20), gain(2.0f)})
    a(bytes.data(), bytes.size(), {24, 44100, 2});
  NormalizerState st;
  normalize(bytes.data(), bytes.size(), {24, 44100, 2}, st);
  EXPECT_EQ(bytes, before);
}

TEST(PassCoefficient, CutOffClampsDependOnTheLayout) {
  EXPECT_DOUBLE_EQ(passCoefficient(44100, 16, 0), std::sin(std::numbers::pi / 44100));  // 1 Hz
  EXPECT_DOUBLE_EQ(passCoefficient(44100, 8, 0), std::sin(std::numbers::pi / 44100));
  EXPECT_EQ(passCoefficient(44100, 32, 0), 0.0);
  EXPECT_EQ(passCoefficient(44100, 16, 10000), 1.0);
  EXPECT_EQ(passCoefficient(44100, 32, 10000), 1.0);
  // 50 %: a quarter of the rate; integer division for half and for fc.
  EXPECT_DOUBLE_EQ(passCoefficient(44100, 32, 5000), std::sin(std::numbers::pi * 11025 / 44100));
  EXPECT_DOUBLE_EQ(passCoefficient(22051, 32, 3333), std::sin(std::numbers::pi * 3674 / 22051));
}

TEST(PassCoefficient, BandEdgesClampToOneHertzAndHalfTheRate) {
  // At an odd rate the upper clamp is rate / 2.0, not the integer half.
  const auto c = bandPassCoefficients(5, 0, 4);
  EXPECT_EQ(c.upper, 1.0f);
  EXPECT_EQ(c.lower, static_cast<float>(std::sin(std::numbers::pi / 5)));
}

// --- Normalizer ---------------------------------------------------------

std::vector<std::byte> constantPiece(int bits, size_t samples, double value) {
  return pack(bits, std::vector<double>(samples, value));
}

// A 16-bit piece peaking at 16384 wants gain 1.88 at level 0.94: not below the
// gain, so it is held; once the hold counter passes 10 ms of audio the gain
// rises by the piece's duration in seconds, spread over the piece.
TEST(Normalizer, HoldsThenRisesByTheDurationOfEachPiece) {
  const EffectFormat f{16, 44100, 2};
  NormalizerState st;
  st.level = 0.94;
  const size_t frames = 441;  // 10 ms: exactly the hold limit in bytes (1764)
  for (int held = 0; held < 2; ++held) {
    auto piece = constantPiece(16, frames * 2, 16384);
    normalize(piece.data(), piece.size(), f, st);
    EXPECT_EQ(unpack(16, piece), std::vector<double>(frames * 2, 16384)) << "held piece " << held;
    EXPECT_EQ(st.gain, 1.0f);
  }
  EXPECT_EQ(st.holdLimit, 1764);
  EXPECT_EQ(st.holdCount, 3528);  // now above the limit

  auto piece = constantPiece(16, frames * 2, 16384);
  normalize(piece.data(), piece.size(), f, st);
  EXPECT_EQ(st.gain, static_cast<float>(1.0f + 0.01));
  const auto out = unpack(16, piece);
  EXPECT_EQ(out.front(), 16384);
  EXPECT_EQ(out[1], 16384);  // both channels follow the same ramp
  for (size_t k = 1; k < frames; ++k) {
    EXPECT_GE(out[2 * k], out[2 * k - 2]);
    EXPECT_EQ(out[2 * k + 1], out[2 * k]);
  }
  EXPECT_NEAR(out.back(), 16384 * (1.0 + 0.01 * 440 / 441), 1.0);

  // The next piece carries on from 1.01.
  piece = constantPiece(16, frames * 2, 16384);
  normalize(piece.data(), piece.size(), f, st);
  EXPECT_EQ(unpack(16, piece).front(), std::trunc(16384 * static_cast<double>(1.01f)));
  EXPECT_NEAR(st.gain, 1.02, 1e-6);
}

// Loud material (0.9 of full scale) can take gain 1.044. The release stops
// there: no piece is lifted past the level, so nothing reaches full scale,
// even with the 16-bit pieces of a mixer that rise 0.11 at a time.
TEST(Normalizer, ReleaseStopsAtTheGainThePieceCanTake) {
  const EffectFormat f{16, 44100, 2};
  NormalizerState st;
  const size_t frames = 4800;  // one 19200-byte block
  double peak = 0;
  for (int piece = 0; piece < 100; ++piece) {
    std::vector<double> tone(frames * 2);
    for (size_t k = 0; k < frames; ++k)
      tone[2 * k] = tone[2 * k + 1] =
          std::lrint(29491 * std::sin(2 * std::numbers::pi * 440 * static_cast<double>(piece * frames + k) / 44100));
    auto bytes = pack(16, tone);
    normalize(bytes.data(), bytes.size(), f, st);
    for (double v : unpack(16, bytes)) peak = std::max(peak, std::abs(v));
  }
  EXPECT_EQ(st.gain, static_cast<float>(32768.0 / 29491 * 0.94));
  EXPECT_LE(peak, 0.94 * 32768);
  EXPECT_GT(peak, 0.93 * 32768);
}

// A piece with one full-scale sample while the gain is 2.0: the gain falls to
// the level within the piece, ramping from 2.0 at its first frame. The
// products are truncated and the integer layouts clipped; floats are not.
struct DropCase {
  std::string name;
  int bits;
  std::vector<double> in, out;
  float gainAfter;
};

void PrintTo(const DropCase& c, std::ostream* os) { *os << c.name; }

class NormalizerDrop : public ::testing::TestWithParam<DropCase> {};

TEST_P(NormalizerDrop, FallsToTheLevelWithinThePiece) {
  const DropCase& c = GetParam();
  NormalizerState st;
  st.gain = 2.0f;
  st.holdCount = 100000;
  auto piece = pack(c.bits, c.in);
  normalize(piece.data(), piece.size(), {c.bits, 44100, 1}, st);
  const auto out = unpack(c.bits, piece);
  ASSERT_EQ(out.size(), c.out.size());
  for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], c.out[i], c.bits == 32 ? 1e-6 : 0.0) << i;
  EXPECT_EQ(st.gain, c.gainAfter);
  EXPECT_EQ(st.holdCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, NormalizerDrop,
    ::testing::Values(
        // Gains 2, 1.735, 1.470, 1.205 toward 32768/32767 * 0.94.
        DropCase{"S16", 16, {1000, 1000, 32767, 1000}, {2000, 1735, 32767, 1205},
                 static_cast<float>(32768.0 / 32767 * 0.94)},
        // A float peak counts on a scale of 32767, so float aims a hair higher.
        DropCase{"Float", 32, {0.25, 0.25, 1.0, 0.25},
                 {0.5, 0.25 * 1.7350072, 1.4700143, 0.25 * 1.2050215},
                 static_cast<float>(32768.0 / 32767 * 0.94)},
        // Toward 128/127 * 0.94: gains 2, 1.737, 1.474, 1.211.
        DropCase{"U8", 8, {10, 10, 127, 10}, {20, 17, 127, 12}, static_cast<float>(128.0 / 127 * 0.94)}),
    [](const auto& info) { return info.param.name; });

// Every layout aims its peak at the level times its own full scale: a steady
// full-scale piece ends at 0.94 of it.
TEST(Normalizer, EveryLayoutAimsAtTheLevelOfItsFullScale) {
  struct Case {
    int bits;
    double fullScale, settled;
  };
  for (const Case c : {Case{8, -128, -120}, Case{16, -32768, -30801}, Case{32, -1.0, -32768.0 / 32767 * 0.94}}) {
    NormalizerState st;
    auto first = constantPiece(c.bits, 64, c.fullScale);
    normalize(first.data(), first.size(), {c.bits, 8000, 1}, st);
    auto second = constantPiece(c.bits, 64, c.fullScale);
    normalize(second.data(), second.size(), {c.bits, 8000, 1}, st);
    for (double v : unpack(c.bits, second)) ASSERT_NEAR(v, c.settled, 1e-6) << c.bits;
  }
}

TEST(Normalizer, SilenceStaysSilentAndTheGainStopsAtOneHundred) {
  const EffectFormat f{16, 8000, 1};
  NormalizerState st;
  for (int i = 0; i < 120; ++i) {  // 120 seconds
    auto piece = constantPiece(16, 8000, 0);
    normalize(piece.data(), piece.size(), f, st);
    ASSERT_EQ(unpack(16, piece), std::vector<double>(8000, 0)) << i;
  }
  EXPECT_EQ(st.gain, 100.0f);
}

// A block is worked through in pieces of at most 8192 frames: 19200 bytes of
// 8-bit mono are three pieces, the first held and the other two rising.
TEST(Normalizer, BlocksAreWorkedInPiecesOf8192Frames) {
  NormalizerState st;
  auto block = constantPiece(8, 19200, 0);
  normalize(block.data(), block.size(), {8, 44100, 1}, st);
  EXPECT_NEAR(st.gain, 1.0 + (8192.0 + 2816.0) / 44100, 1e-6);
}

}  // namespace
