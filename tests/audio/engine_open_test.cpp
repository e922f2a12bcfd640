// The information open against real files: rate and channels as FFmpeg's own
// probe reports them, and a length within one frame of what decoding the
// whole file yields.
#include <gtest/gtest.h>

#include <cmath>

#include "shell/decoders.h"
#include "shell/list_texts.h"
#include "support/test_support.h"

using namespace sondrel;
using sondrel::test::fixture;

namespace {

struct OpenCase {
  const char* file;
  uint8_t decoder;
  int bits;            // resolution the row shows; 0 = undefined
  int frameTolerance;  // one codec frame
};

class InformationOpen : public ::testing::TestWithParam<OpenCase> {};

// Frames FFmpeg's command-line decoder delivers for the whole file.
int64_t decodedFrames(const std::string& path, int channels) {
  return static_cast<int64_t>(test::ffmpegDecode(path, "f32le").size() / 4 / static_cast<size_t>(channels));
}

TEST_P(InformationOpen, MatchesProbeAndDecodedLength) {
  const auto& c = GetParam();
  const std::string path = fixture(c.file);
  audio::Engine engine;
  auto info = readStreamInfo(engine, ExtensionOf(path), path);
  ASSERT_TRUE(info.has_value()) << c.file;
  EXPECT_EQ(info->decoder, c.decoder);
  EXPECT_EQ(std::to_string(info->sampleRate), test::ffprobeStream(path, "sample_rate"));
  EXPECT_EQ(std::to_string(info->channels), test::ffprobeStream(path, "channels"));
  EXPECT_EQ(info->bitsPerSample, c.bits);
  const int64_t decoded = decodedFrames(path, info->channels);
  const double decodedSeconds = static_cast<double>(decoded) / info->sampleRate;
  EXPECT_NEAR(info->duration, decodedSeconds, static_cast<double>(c.frameTolerance) / info->sampleRate) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, InformationOpen,
    ::testing::Values(OpenCase{"s16_44100_2.wav", kDecoderPlain, 16, 1}, OpenCase{"s24_48000_2.wav", kDecoderPlain, 24, 1},
                      OpenCase{"u8_8000_1.wav", kDecoderPlain, 8, 1}, OpenCase{"f32_44100_2.wav", kDecoderPlain, 0, 1},
                      OpenCase{"s16_44100_2.aiff", kDecoderPlain, 16, 1}, OpenCase{"cbr.mp3", kDecoderPlain, 0, 1152},
                      OpenCase{"vbr.mp3", kDecoderPlain, 0, 1152}, OpenCase{"noxing.mp3", kDecoderPlain, 0, 1152},
                      OpenCase{"sweep20_noxing.mp3", kDecoderPlain, 0, 1152},
                      OpenCase{"layer2.mp2", kDecoderPlain, 0, 1152}, OpenCase{"vorbis.ogg", kDecoderPlain, 0, 2048},
                      OpenCase{"musepack.mpc", kDecoderMusepack, 0, 1152},
                      OpenCase{"sweep20.mpc", kDecoderMusepack, 0, 1152}, OpenCase{"speex.spx", kDecoderSpeex, 0, 640},
                      OpenCase{"wma2.wma", kDecoderWMA, 0, 2048}, OpenCase{"adts.aac", kDecoderAAC, 0, 1024},
                      OpenCase{"sweep20.aac", kDecoderAAC, 0, 1024}, OpenCase{"aac.m4a", kDecoderMP4, 0, 1024},
                      OpenCase{"alac.m4a", kDecoderALAC, 16, 1}, OpenCase{"dolby.ac3", kDecoderAC3, 0, 1536},
                      OpenCase{"cri.adx", kDecoderADX, 0, 33}, OpenCase{"lossless.flac", kDecoderFLAC, 16, 1},
                      OpenCase{"hires.flac", kDecoderFLAC, 24, 1}, OpenCase{"pack.wv", kDecoderWavPack, 16, 1},
                      OpenCase{"truaudio.tta", kDecoderTTA, 16, 1}),
    [](const auto& info) { return test::testName(info.param.file); });

TEST(InformationOpen, SynthesisedFormatsHaveTheirOwnLengths) {
  audio::Engine engine;
  // The MIDI fixture runs 2 s at 120 bpm, 2 s at 60 bpm and ends half a beat later.
  auto midi = readStreamInfo(engine, ".mid", fixture("melody.mid"));
  ASSERT_TRUE(midi.has_value());
  EXPECT_EQ(midi->decoder, kDecoderMIDI);
  EXPECT_NEAR(midi->duration, 4.5, 0.01);
  EXPECT_EQ(midi->sampleRate, engine.defaultRate());
  EXPECT_EQ(midi->channels, 2);
  // One pattern of 64 rows at speed 6 and 125 bpm: 64 * 6 * 0.02 s.
  auto mod = readStreamInfo(engine, ".MOD", fixture("tune.mod"));
  ASSERT_TRUE(mod.has_value());
  EXPECT_EQ(mod->decoder, kDecoderModule);
  EXPECT_NEAR(mod->duration, 7.68, 0.05);
}

TEST(InformationOpen, RefusesWhatItCannotDecode) {
  audio::Engine engine;
  for (const char* bad : {"empty.mp3", "random.mp3", "folder.mp3", "no-such-file.flac"})
    EXPECT_FALSE(readStreamInfo(engine, ExtensionOf(bad), fixture(bad)).has_value()) << bad;
  // A FLAC stream named as another format is refused by that format's decoder.
  test::TempDir dir;
  std::filesystem::copy_file(fixture("lossless.flac"), dir.file("renamed.ape"));
  EXPECT_FALSE(readStreamInfo(engine, ".ape", dir.file("renamed.ape")).has_value());
  // CD tracks and OptimFROG have no decoder on this platform.
  test::writeFile(dir.file("track01.cda"), std::string(44, '\0'));
  EXPECT_FALSE(readStreamInfo(engine, ".cda", dir.file("track01.cda")).has_value());
}

TEST(DecoderChoice, ExtensionsInAnyLetterCase) {
  struct Case {
    const char* ext;
    uint8_t decoder;
  } cases[] = {{".mid", kDecoderMIDI}, {".KAR", kDecoderMIDI}, {".Rmi", kDecoderMIDI}, {".ac3", kDecoderAC3},
               {".cda", kDecoderCDTrack}, {".tta", kDecoderTTA}, {".OFR", kDecoderOptimFROG}, {".Flac", kDecoderFLAC},
               {".fla", kDecoderFLAC}, {".spx", kDecoderSpeex}, {".wMa", kDecoderWMA}, {".ape", kDecoderAPE},
               {".mpc", kDecoderMusepack}, {".MP+", kDecoderMusepack}, {".mpp", kDecoderMusepack},
               {".mp4", kDecoderMP4}, {".M4A", kDecoderMP4}, {".m4b", kDecoderMP4}, {".alac", kDecoderMP4},
               {".ale", kDecoderMP4}, {".aac", kDecoderAAC}, {".WV", kDecoderWavPack}, {".aix", kDecoderAIX},
               {".adx", kDecoderADX}, {".xm", kDecoderModule}, {".IT", kDecoderModule}, {".s3m", kDecoderModule},
               {".mod", kDecoderModule}, {".mtm", kDecoderModule}, {".UMX", kDecoderModule},
               {".MP3", kDecoderPlain}, {".wav", kDecoderPlain}, {".aiff", kDecoderPlain}, {".ogg", kDecoderPlain},
               {"", kDecoderPlain}};
  for (const auto& c : cases) EXPECT_EQ(decoderForExtension(c.ext), c.decoder) << c.ext;
}

}  // namespace
