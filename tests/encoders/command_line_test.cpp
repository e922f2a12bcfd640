// The encoder programs in bin/ run with the command lines the converter
// writes, fed the WAV stream it pipes in, judged by FFmpeg.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "encoders/encoder_run.h"

namespace sondrel::test {
namespace {

const PcmLayout kStereo16{16, 44100, 2};
const PcmLayout kMono8{8, 22050, 1};
const PcmLayout kStereo24{24, 48000, 2};
const PcmLayout kStereo32{32, 44100, 2};
const PcmLayout kExtensible24{24, 48000, 2, true};

constexpr double kSeconds = 1.0;

Expectation mp3(double minCorrelation = 0.95) { return {"mp3", false, minCorrelation, 1152}; }
Expectation vorbis(double minCorrelation = 0.95) { return {"vorbis", false, minCorrelation, 2048}; }
// FFmpeg's Musepack decoder keeps the encoder's delay and the last frame's
// padding: up to two frames of 1152 samples more.
Expectation musepack(double minCorrelation = 0.95) { return {"musepack8", false, minCorrelation, 2 * 1152}; }
Expectation aac(double minCorrelation = 0.95) { return {"aac", false, minCorrelation, 2048}; }
Expectation wavpackLossy(double minCorrelation = 0.95) { return {"wavpack", false, minCorrelation, 0}; }
Expectation wavpackLossless() { return {"wavpack", true}; }
Expectation flacLossless() { return {"flac", true}; }

struct EncoderCase {
  std::string name;
  CommandPattern command;
  std::string extension;
  PcmLayout layout;
  Expectation expectation;
};

std::string caseName(const testing::TestParamInfo<EncoderCase>& info) { return info.param.name; }
void PrintTo(const EncoderCase& c, std::ostream* out) { *out << c.name; }

// One case a line: the tables read as the list of command lines they are.
// clang-format off
// The command lines the converter writes with its first-run settings.
const std::vector<EncoderCase> kFirstRunLines = {
    {"lame", {"lame", "--preset", "standard", "-m", "f", "-", "{out}"}, ".mp3", kStereo16, mp3()},
    {"oggenc2", {"oggenc2", "-q", "2.75", "-", "-o{out}"}, ".ogg", kStereo16, vorbis()},
    {"wavpack", {"wavpack", "-j1", "-i", "-", "{out}"}, ".wv", kStereo16, wavpackLossless()},
    {"mppenc", {"mppenc", "--silent", "--overwrite", "--standard", "-", "{out}"}, ".mpc", kStereo16, musepack()},
    {"FAAC", {"FAAC", "-q", "<100>", "-o", "{out}", "-"}, ".aac", kStereo16, aac()},
    {"flac", {"flac", "-f", "--compression-level-2", "-o", "{out}", "-"}, ".flac", kStereo16, flacLossless()},
};

// Other settings: every switch the converter can write, and the sample layouts
// each format's page offers.
const std::vector<EncoderCase> kOtherLines = {
    {"lame_vbr_min_max", {"lame", "-b", "112", "-m", "f", "-V", "4", "-B", "144", "-", "{out}"}, ".mp3", kStereo16, mp3()},
    {"lame_abr", {"lame", "-b", "112", "-m", "j", "--abr", "192", "-B", "144", "-", "{out}"}, ".mp3", kStereo16, mp3()},
    {"lame_cbr_header_switches", {"lame", "-b", "128", "-m", "s", "-p", "-o", "-c", "-", "{out}"}, ".mp3", kStereo16, mp3()},
    {"lame_vbr_lowest", {"lame", "-b", "8", "-V", "9", "-B", "64", "-", "{out}"}, ".mp3", kMono8, mp3(0.8)},
    {"lame_preset_fast_extreme_mono", {"lame", "--preset", "fast", "extreme", "-m", "m", "-", "{out}"}, ".mp3", kMono8, mp3()},
    {"lame_preset_insane", {"lame", "--preset", "insane", "-", "{out}"}, ".mp3", kStereo16, mp3()},
    {"oggenc2_quality_glued_below_minus_one", {"oggenc2", "--quality-1.5", "-", "-o{out}"}, ".ogg", kStereo16, vorbis(0.8)},
    {"oggenc2_quality_lowest_slider", {"oggenc2", "--quality-2", "-", "-o{out}"}, ".ogg", kStereo16, vorbis(0.8)},
    {"oggenc2_quality_0", {"oggenc2", "-q", "0", "-", "-o{out}"}, ".ogg", kStereo16, vorbis(0.9)},
    {"oggenc2_quality_10", {"oggenc2", "-q", "10", "-", "-o{out}"}, ".ogg", kStereo16, vorbis()},
    {"oggenc2_average_min_max", {"oggenc2", "-b", "160", "-m", "96", "-M", "320", "-", "-o{out}"}, ".ogg", kStereo16, vorbis()},
    {"oggenc2_mono_8bit", {"oggenc2", "-q", "2.75", "-", "-o{out}"}, ".ogg", kMono8, vorbis()},
    {"wavpack_left_right_fast", {"wavpack", "-j2", "-f", "-i", "-", "{out}"}, ".wv", kStereo16, wavpackLossless()},
    {"wavpack_mid_side_high", {"wavpack", "-j1", "-h", "-i", "-", "{out}"}, ".wv", kStereo16, wavpackLossless()},
    {"wavpack_mono_8bit", {"wavpack", "-i", "-", "{out}"}, ".wv", kMono8, wavpackLossless()},
    {"wavpack_hybrid_bits_0", {"wavpack", "-j1", "-b0", "-i", "-", "{out}"}, ".wv", kStereo16, wavpackLossy(0.8)},
    {"wavpack_hybrid_bits_23_9", {"wavpack", "-j1", "-b23.9", "-i", "-", "{out}"}, ".wv", kStereo16, wavpackLossy(0.999)},
    {"wavpack_hybrid_kbps_24", {"wavpack", "-j1", "-f", "-b24", "-i", "-", "{out}"}, ".wv", kStereo16, wavpackLossy(0.8)},
    {"mppenc_telephone_ms1", {"mppenc", "--silent", "--overwrite", "--telephone", "--ms", "1", "-", "{out}"}, ".mpc", kStereo16, musepack(0.8)},
    {"mppenc_quality_0_ms15", {"mppenc", "--silent", "--overwrite", "--quality", "0", "--ms", "15", "-", "{out}"}, ".mpc", kStereo16, musepack(0.5)},
    {"mppenc_quality_10_ms0", {"mppenc", "--silent", "--overwrite", "--quality", "10", "--ms", "0", "-", "{out}"}, ".mpc", kStereo16, musepack()},
    {"mppenc_radio_mono_8bit", {"mppenc", "--silent", "--overwrite", "--radio", "-", "{out}"}, ".mpc", PcmLayout{8, 32000, 1}, musepack()},
    {"mppenc_xtreme_24bit", {"mppenc", "--silent", "--overwrite", "--xtreme", "--ms", "12", "-", "{out}"}, ".mpc", kStereo24, musepack()},
    // "Decoupled" stereo changes the channels' waveforms a good deal.
    {"mppenc_decoupled_ms3", {"mppenc", "--silent", "--overwrite", "--standard", "--ms", "3", "-", "{out}"}, ".mpc", kStereo16, musepack(0.75)},
    {"mppenc_insane_32bit", {"mppenc", "--silent", "--overwrite", "--insane", "--ms", "10", "-", "{out}"}, ".mpc", kStereo32, musepack()},
    {"mppenc_braindead_ms13", {"mppenc", "--silent", "--overwrite", "--braindead", "--ms", "13", "-", "{out}"}, ".mpc", kStereo16, musepack()},
    {"FAAC_mpeg2", {"FAAC", "--mpeg-vers", "2", "-q", "<100>", "-o", "{out}", "-"}, ".aac", kStereo16, aac()},
    {"FAAC_mpeg4_average", {"FAAC", "--mpeg-vers", "4", "-b", "<128>", "-o", "{out}", "-"}, ".aac", kStereo16, aac()},
    {"FAAC_lowest_quality", {"FAAC", "-q", "<10>", "-o", "{out}", "-"}, ".aac", kStereo16, aac(0.8)},
    {"FAAC_m4a", {"FAAC", "-q", "<100>", "-o", "{out}", "-"}, ".m4a", kStereo16, aac()},
    {"FAAC_mp4_average_bandwidth", {"FAAC", "-b", "<96>", "-c", "<20000>", "-o", "{out}", "-"}, ".mp4", kStereo16, aac()},
    {"FAAC_mono_8bit", {"FAAC", "-q", "<100>", "-o", "{out}", "-"}, ".m4a", kMono8, aac()},
    {"FAAC_24bit", {"FAAC", "-q", "<100>", "-o", "{out}", "-"}, ".aac", kStereo24, aac()},
    {"FAAC_32bit", {"FAAC", "-b", "<256>", "-o", "{out}", "-"}, ".m4a", kStereo32, aac()},
    {"FAAC_extensible_header", {"FAAC", "-q", "<100>", "-o", "{out}", "-"}, ".m4a", kExtensible24, aac()},
    {"flac_level_0", {"flac", "-f", "--compression-level-0", "-o", "{out}", "-"}, ".flac", kStereo16, flacLossless()},
    {"flac_level_4_mono_8bit", {"flac", "-f", "--compression-level-4", "-o", "{out}", "-"}, ".flac", kMono8, flacLossless()},
    {"flac_24bit", {"flac", "-f", "--compression-level-2", "-o", "{out}", "-"}, ".flac", kStereo24, flacLossless()},
    {"flac_extensible_header", {"flac", "-f", "--compression-level-3", "-o", "{out}", "-"}, ".flac", kExtensible24, flacLossless()},
};
// clang-format on

class EncoderLine : public testing::TestWithParam<EncoderCase> {
 protected:
  // Encodes the case's signal with the stream header `size` into `path`.
  void encodeAndCheck(const std::string& path, DataSize size) {
    const EncoderCase& c = GetParam();
    const TestSignal signal = TestSignal::make(c.layout, kSeconds);
    const ProcessResult result = runEncoder(c.command, path, signal.wavStream(size));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    expectFaithful(path, signal, c.expectation);
  }
  TempDir dir_;
};

class FirstRunLine : public EncoderLine {};
class OtherLine : public EncoderLine {};

TEST_P(FirstRunLine, EncodesTheStream) { encodeAndCheck(dir_.file("a" + GetParam().extension), DataSize::Exact); }

// The converter writes the header before it knows the length.
TEST_P(FirstRunLine, EncodesAStreamOfUnknownLength) {
  encodeAndCheck(dir_.file("unbounded" + GetParam().extension), DataSize::Unbounded);
  encodeAndCheck(dir_.file("zero" + GetParam().extension), DataSize::Zero);
}

// The path reaches the program as one argument: nothing in it is interpreted.
TEST_P(FirstRunLine, WritesANameFullOfShellCharacters) {
  const std::string path = dir_.file("-a \"b\" 'c' $HOME `id` ; & | * ? [x] ü日本 é" + GetParam().extension);
  const TestSignal signal = TestSignal::make(GetParam().layout, 0.5);
  const ProcessResult result = runEncoder(GetParam().command, path, signal.wavStream());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(probeStream(path).codec, GetParam().expectation.codec);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), std::filesystem::directory_iterator()), 1)
      << "only the named file is written";
}

// Converting the same file twice must not stop at a question nobody can answer.
TEST_P(FirstRunLine, ReplacesAnExistingFile) {
  const std::string path = dir_.file("again" + GetParam().extension);
  writeFile(path, "not audio");
  const TestSignal signal = TestSignal::make(GetParam().layout, 0.5);
  const ProcessResult result = runEncoder(GetParam().command, path, signal.wavStream());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(probeStream(path).codec, GetParam().expectation.codec);
}

INSTANTIATE_TEST_SUITE_P(Encoders, FirstRunLine, testing::ValuesIn(kFirstRunLines), caseName);

TEST_P(OtherLine, EncodesTheStream) { encodeAndCheck(dir_.file("a" + GetParam().extension), DataSize::Unbounded); }

INSTANTIATE_TEST_SUITE_P(Encoders, OtherLine, testing::ValuesIn(kOtherLines), caseName);

// A switch that is accepted but ignored would pass the tests above; the size
// of what a low and a high setting make tells them apart.
struct SettingPair {
  std::string name;
  CommandPattern smaller;
  CommandPattern larger;
  std::string extension;
};

const std::vector<SettingPair> kSettingPairs = {
    {"lame_vbr_quality",
     {"lame", "-b", "32", "-V", "9", "-B", "320", "-", "{out}"},
     {"lame", "-b", "32", "-V", "0", "-B", "320", "-", "{out}"},
     ".mp3"},
    {"lame_cbr_rate", {"lame", "-b", "64", "-", "{out}"}, {"lame", "-b", "256", "-", "{out}"}, ".mp3"},
    {"oggenc2_glued_quality",
     {"oggenc2", "--quality-1.5", "-", "-o{out}"},
     {"oggenc2", "-q", "2.75", "-", "-o{out}"},
     ".ogg"},
    {"oggenc2_average", {"oggenc2", "-b", "64", "-", "-o{out}"}, {"oggenc2", "-b", "256", "-", "-o{out}"}, ".ogg"},
    {"wavpack_hybrid_bits",
     {"wavpack", "-j1", "-b0", "-i", "-", "{out}"},
     {"wavpack", "-j1", "-b23.9", "-i", "-", "{out}"},
     ".wv"},
    {"wavpack_hybrid_kbps",
     {"wavpack", "-j1", "-b24", "-i", "-", "{out}"},
     {"wavpack", "-j1", "-i", "-", "{out}"},
     ".wv"},
    {"mppenc_preset",
     {"mppenc", "--silent", "--overwrite", "--telephone", "-", "{out}"},
     {"mppenc", "--silent", "--overwrite", "--insane", "-", "{out}"},
     ".mpc"},
    {"mppenc_quality",
     {"mppenc", "--silent", "--overwrite", "--quality", "0", "-", "{out}"},
     {"mppenc", "--silent", "--overwrite", "--quality", "10", "-", "{out}"},
     ".mpc"},
    {"FAAC_quality", {"FAAC", "-q", "<10>", "-o", "{out}", "-"}, {"FAAC", "-q", "<500>", "-o", "{out}", "-"}, ".aac"},
    {"FAAC_average", {"FAAC", "-b", "<48>", "-o", "{out}", "-"}, {"FAAC", "-b", "<256>", "-o", "{out}", "-"}, ".m4a"},
};

class SettingTakesEffect : public testing::TestWithParam<SettingPair> {};

TEST_P(SettingTakesEffect, LowerSettingMakesASmallerFile) {
  const SettingPair& pair = GetParam();
  TempDir dir;
  const std::string wav = TestSignal::make(kStereo16, kSeconds).wavStream();
  const std::string small = dir.file("small" + pair.extension);
  const std::string large = dir.file("large" + pair.extension);
  ASSERT_EQ(runEncoder(pair.smaller, small, wav).exitCode, 0);
  ASSERT_EQ(runEncoder(pair.larger, large, wav).exitCode, 0);
  EXPECT_LT(static_cast<double>(std::filesystem::file_size(small)),
            0.8 * static_cast<double>(std::filesystem::file_size(large)));
}

void PrintTo(const SettingPair& pair, std::ostream* out) { *out << pair.name; }

INSTANTIATE_TEST_SUITE_P(Encoders, SettingTakesEffect, testing::ValuesIn(kSettingPairs),
                         [](const testing::TestParamInfo<SettingPair>& info) { return info.param.name; });

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// mpcenc knows neither mid/side mode 1 nor 2: it encodes as with mode 10 and
// reports every frame on standard error, enough to fill a pipe.
TEST(Mppenc, MidSideModesOneAndTwoEncodeQuietlyAsModeTen) {
  TempDir dir;
  const std::string wav = TestSignal::make(kStereo16, kSeconds).wavStream();
  auto encode = [&](const std::string& mode) {
    const std::string out = dir.file(mode + ".mpc");
    const ProcessResult result =
        runEncoder({"mppenc", "--silent", "--overwrite", "--radio", "--ms", mode, "-", "{out}"}, out, wav);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_LT(result.err.size(), 200u) << result.err.substr(0, 200);
    return fileBytes(out);
  };
  const std::string modeTen = encode("10");
  EXPECT_EQ(encode("1"), modeTen);
  EXPECT_EQ(encode("2"), modeTen);
}

}  // namespace
}  // namespace sondrel::test
