// Streams: sample layouts, byte and second conversion, processors called in
// place, syncs that fire inside the read that reaches them, and the limits of
// a cue-track row.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "shell/decoders.h"
#include "support/test_support.h"

using namespace sondrel;
using sondrel::test::fixture;

namespace {

TEST(Stream, SixteenBitReadIsTheFilesOwnSamples) {
  audio::Engine engine;
  auto s = createStream(engine, kDecoderFLAC, fixture("lossless.flac"), OpenPurpose::Playback);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->format(), audio::SampleFormat::S16);
  std::vector<uint8_t> all;
  std::vector<uint8_t> block(19200);
  while (size_t got = s->read(block.data(), block.size())) all.insert(all.end(), block.begin(), block.begin() + got);
  EXPECT_EQ(all, test::ffmpegDecode(fixture("lossless.flac"), "s16le"));
  EXPECT_TRUE(s->ended());
}

TEST(Stream, BytesAndSeconds) {
  audio::Engine engine;
  auto s = createStream(engine, kDecoderPlain, fixture("s16_44100_2.wav"), OpenPurpose::Conversion);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->blockAlign(), 8);
  EXPECT_EQ(s->length(), 3 * 44100 * 8);
  EXPECT_EQ(s->secondsToBytes(120.0), 120LL * 44100 * 8);
  EXPECT_EQ(s->secondsToBytes(0.5), 22050 * 8);
  EXPECT_DOUBLE_EQ(s->bytesToSeconds(44100 * 8), 1.0);
  EXPECT_DOUBLE_EQ(s->bytesToSeconds(44100 * 8 + 7), 1.0);  // a partial frame counts for nothing
}

TEST(Stream, ProcessorsWorkInPlaceAndEndSyncFires) {
  audio::Engine engine;
  auto s = createStream(engine, kDecoderPlain, fixture("s16_44100_2.wav"), OpenPurpose::Conversion);
  ASSERT_TRUE(s);
  size_t seen = 0;
  const int halve = s->addProcessor([&](void* data, size_t bytes) {
    auto* f = static_cast<float*>(data);
    for (size_t i = 0; i < bytes / 4; ++i) f[i] = 0.0f;
    seen += bytes;
  });
  int ends = 0;
  s->addSync(audio::SyncKind::End, 0, [&] { ++ends; });
  std::vector<float> block(4800);
  size_t total = 0;
  while (size_t got = s->read(block.data(), block.size() * 4)) {
    for (size_t i = 0; i < got / 4; ++i) ASSERT_EQ(block[i], 0.0f);
    total += got;
  }
  EXPECT_EQ(seen, total);
  EXPECT_EQ(static_cast<int64_t>(total), s->length());
  EXPECT_EQ(ends, 1);
  s->removeProcessor(halve);
  ASSERT_TRUE(s->setPosition(0));
  ASSERT_GT(s->read(block.data(), block.size() * 4), 0u);
  EXPECT_NE(block[100], 0.0f);
}

// A cue-track row decodes only its stretch: it starts at the byte of its start
// and its end sync fires exactly at start + length, in float and in 16 bits.
TEST(Stream, CueTrackLimits) {
  audio::Engine engine;
  TAudioItem item;
  item.rowKind = RowKind::CueTrack;
  item.decoder = kDecoderFLAC;
  item.fileName = fixture("sweep20.flac");
  item.trackStart = 12;
  item.trackLength = 5;
  const auto reference = test::ffmpegDecode(item.fileName, "s16le");
  for (auto purpose : {OpenPurpose::Conversion, OpenPurpose::PeakScan}) {
    TrackLimits limits;
    auto s = openRowStream(engine, item, purpose, &limits);
    ASSERT_TRUE(s);
    EXPECT_EQ(limits.start, s->secondsToBytes(12));
    EXPECT_EQ(limits.end, s->secondsToBytes(17));
    EXPECT_EQ(s->position(), limits.start);
    bool endReached = false;
    s->addSync(audio::SyncKind::Position, limits.end, [&] { endReached = true; });
    std::vector<uint8_t> got;
    std::vector<uint8_t> block(19200);
    while (!endReached) {
      size_t n = s->read(block.data(), block.size());
      ASSERT_GT(n, 0u);
      got.insert(got.end(), block.begin(), block.begin() + n);
    }
    ASSERT_EQ(static_cast<int64_t>(got.size()), limits.end - limits.start);
    if (purpose == OpenPurpose::PeakScan) {
      const size_t from = 12 * 44100 * 4;
      EXPECT_TRUE(std::equal(got.begin(), got.end(), reference.begin() + from));
    }
  }
}

TEST(Stream, LevelsReportPeaksPerChannel) {
  audio::Engine engine;
  auto s = createStream(engine, kDecoderPlain, fixture("s16_44100_2.wav"), OpenPurpose::PeakScan);
  ASSERT_TRUE(s);
  auto levels = s->readLevels(0.1);
  ASSERT_EQ(levels.size(), 2u);
  const auto pcm = test::ffmpegDecode(fixture("s16_44100_2.wav"), "s16le");
  float expected[2] = {0, 0};
  for (size_t i = 0; i < 4410 * 2; ++i) {
    const int16_t v = static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8);
    expected[i % 2] = std::max(expected[i % 2], std::abs(v / 32768.0f));
  }
  EXPECT_FLOAT_EQ(levels[0], expected[0]);
  EXPECT_FLOAT_EQ(levels[1], expected[1]);
}

}  // namespace
