// Sample-exact seeking: after a seek the next sample read is the one at that
// position. Lossless sources give the very samples decoded from the start;
// lossy ones give the same position with a primed decoder.
#include <gtest/gtest.h>

#include <cmath>

#include "shell/decoders.h"
#include "shell/list_texts.h"
#include "support/test_support.h"

using namespace sondrel;
using sondrel::test::fixture;

namespace {

std::unique_ptr<audio::Stream> openFloat(const audio::Engine& engine, const std::string& file) {
  const std::string path = fixture(file);
  return createStream(engine, decoderForExtension(ExtensionOf(path)) == kDecoderMP4 ? kDecoderPlain
                                                                                     : decoderForExtension(ExtensionOf(path)),
                      path, OpenPurpose::Conversion);
}

std::vector<float> readAll(audio::Stream& s) {
  std::vector<float> all;
  std::vector<float> block(4800);
  while (size_t got = s.read(block.data(), block.size() * sizeof(float)))
    all.insert(all.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got / sizeof(float)));
  return all;
}

std::vector<float> readFrames(audio::Stream& s, size_t frames) {
  std::vector<float> out(frames * static_cast<size_t>(s.channels()));
  size_t filled = 0;
  while (filled < out.size()) {
    size_t got = s.read(out.data() + filled, (out.size() - filled) * sizeof(float));
    if (got == 0) break;
    filled += got / sizeof(float);
  }
  out.resize(filled);
  return out;
}

class LosslessSeek : public ::testing::TestWithParam<const char*> {};

TEST_P(LosslessSeek, SamplesEqualThoseDecodedFromTheStart) {
  audio::Engine engine;
  auto stream = openFloat(engine, GetParam());
  ASSERT_TRUE(stream);
  const int ch = stream->channels();
  const auto reference = readAll(*stream);
  const int64_t total = static_cast<int64_t>(reference.size()) / ch;
  ASSERT_EQ(total * stream->blockAlign(), stream->length());
  const int64_t targets[] = {total / 2 + 4095, 1, 4096, total - 100, 3 * 44100 / 4 + 17, 0};
  for (int64_t target : targets) {
    ASSERT_TRUE(stream->setPosition(target * stream->blockAlign()));
    EXPECT_EQ(stream->position(), target * stream->blockAlign());
    const auto got = readFrames(*stream, 2000);
    const size_t expected = static_cast<size_t>(std::min<int64_t>(2000, total - target)) * ch;
    ASSERT_EQ(got.size(), expected) << "target " << target;
    for (size_t i = 0; i < got.size(); ++i)
      ASSERT_EQ(got[i], reference[static_cast<size_t>(target) * ch + i]) << GetParam() << " target " << target << " sample " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LosslessSeek,
                         ::testing::Values("sweep20.wav", "sweep20.flac", "sweep20.wv", "hires.flac", "truaudio.tta",
                                           "alac.m4a", "s16_44100_2.aiff"),
                         [](const auto& info) { return test::testName(info.param); });

class LossySeek : public ::testing::TestWithParam<const char*> {};

// Where the block read after a seek lines up best with the decode from the
// start: 0 when the position is exact.
int bestLag(const std::vector<float>& ref, int64_t target, const std::vector<float>& got, int ch, int range) {
  double best = -1e300;
  int bestLagValue = 0;
  for (int lag = -range; lag <= range; ++lag) {
    const int64_t start = (target + lag) * ch;
    if (start < 0 || start + static_cast<int64_t>(got.size()) > static_cast<int64_t>(ref.size())) continue;
    double dot = 0;
    for (size_t i = 0; i < got.size(); ++i) dot += static_cast<double>(got[i]) * ref[static_cast<size_t>(start) + i];
    if (dot > best) {
      best = dot;
      bestLagValue = lag;
    }
  }
  return bestLagValue;
}

TEST_P(LossySeek, PositionIsExactAndDecoderPrimed) {
  audio::Engine engine;
  auto stream = openFloat(engine, GetParam());
  ASSERT_TRUE(stream);
  const int ch = stream->channels();
  const auto reference = readAll(*stream);
  const int64_t total = static_cast<int64_t>(reference.size()) / ch;
  for (int64_t target : {total / 3 + 333, total / 2 + 1, 2 * total / 3 + 77}) {
    ASSERT_TRUE(stream->setPosition(target * stream->blockAlign()));
    const auto got = readFrames(*stream, 2048);
    ASSERT_EQ(got.size(), 2048u * ch);
    EXPECT_EQ(bestLag(reference, target, got, ch, 300), 0) << GetParam() << " target " << target;
    // Primed: the block is the same sound, not a start-up transient.
    double diff = 0, energy = 0;
    for (size_t i = 0; i < got.size(); ++i) {
      const double r = reference[static_cast<size_t>(target) * ch + i];
      diff += (got[i] - r) * (got[i] - r);
      energy += r * r;
    }
    EXPECT_LT(diff, 0.01 * energy) << GetParam() << " target " << target;
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LossySeek,
                         ::testing::Values("sweep20.mp3", "sweep20_noxing.mp3", "sweep20.mpc", "sweep20.aac",
                                           "sweep20.ogg", "sweep20.wma", "sweep20.m4a"),
                         [](const auto& info) { return test::testName(info.param); });

}  // namespace
