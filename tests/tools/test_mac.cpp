// Tests of bin/MAC. FFmpeg's Monkey's Audio decoder is the judge: whatever MAC
// writes must decode to exactly the samples it was given, with every frame
// CRC checked, and the file's own bookkeeping must agree with what it holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ape_file.h"
#include "support/test_support.h"
#include "wav_synth.h"

namespace sondrel::test {
namespace {

namespace fs = std::filesystem;

const std::string kMac = MAC_PROGRAM;
constexpr int kLevels[] = {1000, 2000, 3000, 4000, 5000};

// Frame lengths the encoder uses; inputs longer than these span several frames.
std::size_t frameBlocks(int level) { return level == 5000 ? 73728 * 16 : level == 4000 ? 73728 * 4 : 73728; }

std::string levelSwitch(int level) { return "-c" + std::to_string(level); }

const char* rawFormat(int bits) { return bits == 8 ? "u8" : bits == 16 ? "s16le" : "s24le"; }

std::string asText(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) { writeFile(path, asText(bytes)); }

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> folderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Feeds the WAV on standard input, as the converter does.
ProcessResult encodeFromStdin(const std::string& wav, const std::string& ape, int level) {
  return run({kMac, "-", ape, levelSwitch(level)}, asText(readBytes(wav)));
}

// Decodes with frame CRCs checked and any decoding error fatal.
ProcessResult decode(const std::string& ape, int bits) {
  return run({"ffmpeg", "-nostdin", "-v", "error", "-err_detect", "crccheck+explode", "-xerror", "-i", ape, "-f",
              rawFormat(bits), "-"});
}

testing::AssertionResult sameBytes(const std::string& decoded, const std::vector<uint8_t>& expected) {
  if (decoded.size() != expected.size())
    return testing::AssertionFailure() << "decoded " << decoded.size() << " bytes, expected " << expected.size();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (static_cast<uint8_t>(decoded[i]) != expected[i])
      return testing::AssertionFailure() << "first difference at byte " << i << " of " << expected.size();
  }
  return testing::AssertionSuccess();
}

// Encodes `pcm` wrapped in a plain WAV and expects FFmpeg to give it back.
void expectRoundTrip(const TempDir& folder, const PcmShape& shape, const std::vector<uint8_t>& pcm, int level) {
  const std::string wav = folder.file("in.wav");
  const std::string ape = folder.file("out.ape");
  writeBytes(wav, makeWav(shape, pcm));

  const ProcessResult encoded = encodeFromStdin(wav, ape, level);
  ASSERT_EQ(encoded.exitCode, 0) << encoded.err;
  EXPECT_EQ(encoded.err, "");

  const ProcessResult decoded = decode(ape, shape.bits);
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  EXPECT_EQ(decoded.err, "");
  EXPECT_TRUE(sameBytes(decoded.out, pcm));
}

// --- every level, depth and channel count, on music and on edge signals ------

struct RoundTripCase {
  int level;
  int bits;
  int channels;
  Signal signal;
  std::size_t blocks;
};

std::vector<RoundTripCase> roundTripCases() {
  std::vector<RoundTripCase> cases;
  for (int level : kLevels) {
    for (int bits : {8, 16, 24}) {
      for (int channels : {1, 2}) {
        // Music runs past the first frame and ends part-way into the next.
        cases.push_back({level, bits, channels, Signal::Music, frameBlocks(level) + 1237});
        cases.push_back({level, bits, channels, Signal::Music, 1});
        cases.push_back({level, bits, channels, Signal::Silence, 3000});
        cases.push_back({level, bits, channels, Signal::Square, 5001});
        cases.push_back({level, bits, channels, Signal::Noise, 4099});
        if (channels == 2) cases.push_back({level, bits, channels, Signal::IdenticalChannels, 6007});
      }
    }
  }
  return cases;
}

std::string roundTripName(const testing::TestParamInfo<RoundTripCase>& info) {
  const RoundTripCase& c = info.param;
  return "c" + std::to_string(c.level) + "_" + std::to_string(c.bits) + "bit_" +
         (c.channels == 2 ? "stereo_" : "mono_") + signalName(c.signal) + "_" + std::to_string(c.blocks);
}

class RoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, FfmpegDecodesExactlyTheInput) {
  const RoundTripCase& c = GetParam();
  const PcmShape shape{c.bits, c.channels, 44100};
  TempDir folder;
  expectRoundTrip(folder, shape, synthesize(c.signal, shape, c.blocks), c.level);
}

INSTANTIATE_TEST_SUITE_P(AllLevelsDepthsAndSignals, RoundTrip, testing::ValuesIn(roundTripCases()), roundTripName);

// --- the WAV streams the encoder must accept --------------------------------

struct InputCase {
  const char* name;
  WavLayout layout;
  bool fromPath;           // give the WAV as a file path instead of "-"
  std::size_t strayBytes;  // bytes of an incomplete block after the audio
};

class InputVariants : public testing::TestWithParam<InputCase> {};

TEST_P(InputVariants, AreEncodedLosslessly) {
  const InputCase& c = GetParam();
  const PcmShape shape{16, 2, 48000};
  const std::vector<uint8_t> pcm = synthesize(Signal::Music, shape, 20011);
  std::vector<uint8_t> wav = makeWav(shape, pcm, c.layout);
  wav.insert(wav.end(), c.strayBytes, 0x55);

  TempDir folder;
  const std::string wavPath = folder.file("in.wav");
  const std::string ape = folder.file("out.ape");
  writeBytes(wavPath, wav);

  const ProcessResult encoded = c.fromPath ? run({kMac, wavPath, ape, "-c2000"}) : encodeFromStdin(wavPath, ape, 2000);
  ASSERT_EQ(encoded.exitCode, 0) << encoded.err;
  const ProcessResult decoded = decode(ape, shape.bits);
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  EXPECT_TRUE(sameBytes(decoded.out, pcm));
}

WavLayout streamed(uint32_t size) {
  WavLayout layout;
  layout.useRiffSizeOverride = layout.useDataSizeOverride = true;
  layout.riffSizeOverride = layout.dataSizeOverride = size;
  return layout;
}

WavLayout with(std::function<void(WavLayout&)> change) {
  WavLayout layout;
  change(layout);
  return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Wav, InputVariants,
    testing::Values(InputCase{"StreamedSizesZero", streamed(0), false, 0},
                    InputCase{"StreamedSizesAllOnes", streamed(0xFFFFFFFFu), false, 0},
                    InputCase{"StreamedWithIncompleteLastBlock", streamed(0), false, 3},
                    InputCase{"UnknownChunksBeforeData", with([](WavLayout& l) { l.chunksBeforeData = true; }), false,
                              0},
                    InputCase{"ChunkAfterData", with([](WavLayout& l) { l.chunkAfterData = true; }), false, 0},
                    InputCase{"ExtensiblePcm", with([](WavLayout& l) { l.extensible = true; }), false, 0},
                    InputCase{"FilePathInsteadOfStdin", WavLayout{}, true, 0}),
    [](const testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

// --- what FFmpeg's prober reads from the header ------------------------------

struct ProbeCase {
  uint32_t rate;
  int bits;
  int channels;
  std::size_t blocks;
};

std::map<std::string, std::string> probe(const std::string& path) {
  const ProcessResult result =
      run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
           "stream=sample_rate,channels,duration_ts,duration", "-of", "default=noprint_wrappers=1", path});
  std::map<std::string, std::string> fields;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return fields;
}

class Probe : public testing::TestWithParam<ProbeCase> {};

TEST_P(Probe, ReportsRateChannelsAndDuration) {
  const ProbeCase& c = GetParam();
  const PcmShape shape{c.bits, c.channels, c.rate};
  TempDir folder;
  const std::string wav = folder.file("in.wav");
  const std::string ape = folder.file("out.ape");
  writeBytes(wav, makeWav(shape, synthesize(Signal::Music, shape, c.blocks)));
  ASSERT_EQ(encodeFromStdin(wav, ape, 3000).exitCode, 0);

  auto fields = probe(ape);
  EXPECT_EQ(fields["sample_rate"], std::to_string(c.rate));
  EXPECT_EQ(fields["channels"], std::to_string(c.channels));
  EXPECT_EQ(fields["duration_ts"], std::to_string(c.blocks));
  EXPECT_NEAR(std::stod(fields["duration"]), static_cast<double>(c.blocks) / c.rate, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Rates, Probe,
                         testing::Values(ProbeCase{8000, 16, 1, 8000 * 3 + 7}, ProbeCase{22050, 8, 2, 22050 + 1},
                                         ProbeCase{44100, 24, 2, 44100 * 2 + 3}, ProbeCase{96000, 16, 2, 96000},
                                         ProbeCase{192000, 24, 1, 192000 + 5}),
                         [](const testing::TestParamInfo<ProbeCase>& info) {
                           return std::to_string(info.param.rate) + "Hz_" + std::to_string(info.param.bits) + "bit_" +
                                  std::to_string(info.param.channels) + "ch";
                         });

// --- the file's own bookkeeping: header, seek table and MD5 -----------------

struct LayoutCase {
  int level;
  PcmShape shape;
  std::size_t blocks;
};

std::string md5Hex(const std::vector<uint8_t>& bytes, const TempDir& folder) {
  const std::string path = folder.file("md5-input");
  writeBytes(path, bytes);
  const ProcessResult result = run({"md5sum", path});
  return result.out.substr(0, 32);
}

std::string hex(const std::array<uint8_t, 16>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

class FileLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(FileLayout, HeaderSeekTableAndMd5DescribeTheFrames) {
  const LayoutCase& c = GetParam();
  TempDir folder;
  const std::string wav = folder.file("in.wav");
  const std::string ape = folder.file("out.ape");
  writeBytes(wav, makeWav(c.shape, synthesize(Signal::Music, c.shape, c.blocks)));
  ASSERT_EQ(encodeFromStdin(wav, ape, c.level).exitCode, 0);

  const std::vector<uint8_t> file = readBytes(ape);
  const ApeLayout a = readApeLayout(file);
  EXPECT_EQ(a.magic, "MAC ");
  EXPECT_EQ(a.version, 3990);
  EXPECT_EQ(a.compressionLevel, c.level);
  EXPECT_EQ(a.bits, c.shape.bits);
  EXPECT_EQ(a.channels, c.shape.channels);
  EXPECT_EQ(a.sampleRate, c.shape.rate);

  ASSERT_GT(a.blocksPerFrame, 0u);
  const std::size_t frames = (c.blocks + a.blocksPerFrame - 1) / a.blocksPerFrame;
  EXPECT_EQ(a.totalFrames, frames);
  EXPECT_EQ(a.finalFrameBlocks, c.blocks - (frames - 1) * a.blocksPerFrame);
  ASSERT_EQ(a.seekTable.size(), frames);

  const uint32_t firstFrame = a.descriptorBytes + a.headerBytes + a.seekTableBytes + a.wavHeaderBytes;
  EXPECT_EQ(a.seekTable.front(), firstFrame);
  for (std::size_t i = 1; i < a.seekTable.size(); ++i) EXPECT_LT(a.seekTable[i - 1], a.seekTable[i]);
  EXPECT_LT(a.seekTable.back(), file.size());
  EXPECT_EQ(firstFrame + a.frameDataBytes + a.wavTailBytes, file.size());

  // The MD5 covers the frame data, then the header, then the seek table.
  std::vector<uint8_t> covered(file.begin() + firstFrame, file.begin() + firstFrame + a.frameDataBytes);
  const auto header = file.begin() + a.descriptorBytes;
  covered.insert(covered.end(), header, header + a.headerBytes + a.seekTableBytes);
  EXPECT_EQ(hex(a.md5), md5Hex(covered, folder));
}

INSTANTIATE_TEST_SUITE_P(Levels, FileLayout,
                         testing::Values(LayoutCase{1000, {16, 2, 44100}, 73728 * 3 + 5},
                                         LayoutCase{2000, {8, 1, 8000}, 73728},
                                         LayoutCase{4000, {24, 2, 48000}, 73728 * 4 + 1},
                                         LayoutCase{5000, {16, 1, 22050}, 1000}),
                         [](const testing::TestParamInfo<LayoutCase>& info) {
                           return "c" + std::to_string(info.param.level) + "_" + std::to_string(info.param.blocks);
                         });

// --- higher levels pay off ---------------------------------------------------

TEST(Compression, HigherLevelsAreNeverLargerOnMusic) {
  const PcmShape shape{16, 2, 44100};
  TempDir folder;
  const std::string wav = folder.file("in.wav");
  writeBytes(wav, makeWav(shape, synthesize(Signal::Music, shape, 44100 * 8)));

  std::uintmax_t previous = 0;
  for (int level : kLevels) {
    const std::string ape = folder.file("out" + std::to_string(level) + ".ape");
    ASSERT_EQ(encodeFromStdin(wav, ape, level).exitCode, 0);
    const std::uintmax_t size = fs::file_size(ape);
    if (previous != 0) {
      EXPECT_LE(size, previous) << "level " << level;
    }
    previous = size;
  }
}

// --- failures: one line on stderr, non-zero exit, no output left behind -----

enum class OutputPlace { Fresh, AlreadyThere, InMissingFolder, IsAFolder };

struct FailureCase {
  const char* name;
  std::function<std::vector<uint8_t>()> input;
  std::vector<std::string> trailingArgs = {"-c2000"};
  OutputPlace output = OutputPlace::Fresh;
  bool inputMissing = false;
};

std::vector<uint8_t> musicWav(const WavLayout& layout) {
  const PcmShape shape{16, 2, 44100};
  return makeWav(shape, synthesize(Signal::Music, shape, 1000), layout);
}

std::vector<uint8_t> firstBytes(std::vector<uint8_t> bytes, std::size_t count) {
  bytes.resize(count);
  return bytes;
}

class Failures : public testing::TestWithParam<FailureCase> {};

TEST_P(Failures, ExitNonZeroWithOneLineAndNoOutput) {
  const FailureCase& c = GetParam();
  TempDir folder;
  const std::string wav = folder.file("in.wav");
  writeBytes(wav, c.input());

  std::string output = folder.file("out.ape");
  if (c.output == OutputPlace::InMissingFolder) output = folder.file("missing/out.ape");
  if (c.output == OutputPlace::IsAFolder) output = folder.path().string();
  const std::vector<uint8_t> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
  if (c.output == OutputPlace::AlreadyThere) writeBytes(output, earlier);
  const std::vector<std::string> before = folderEntries(folder.path());

  std::vector<std::string> args = {kMac, c.inputMissing ? folder.file("absent.wav") : "-", output};
  args.insert(args.end(), c.trailingArgs.begin(), c.trailingArgs.end());
  const ProcessResult result = run(args, asText(readBytes(wav)));

  EXPECT_NE(result.exitCode, 0);
  EXPECT_EQ(result.err.rfind("MAC: ", 0), 0u) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_EQ(result.err.back(), '\n');
  EXPECT_EQ(folderEntries(folder.path()), before);
  if (c.output == OutputPlace::AlreadyThere) {
    EXPECT_EQ(readBytes(output), earlier);
  }
}

// One case a line, as a table.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Inputs, Failures,
    testing::Values(
        FailureCase{"NotAWav", [] { return std::vector<uint8_t>(200, 'x'); }},
        FailureCase{"FloatSamples", [] { return musicWav(with([](WavLayout& l) { l.formatTag = 3; l.headerBits = 32; })); }},
        FailureCase{"ThirtyTwoBitIntegers", [] { return musicWav(with([](WavLayout& l) { l.headerBits = 32; })); }},
        FailureCase{"ThreeChannels", [] { return musicWav(with([](WavLayout& l) { l.headerChannels = 3; })); }},
        FailureCase{"RateTooLow", [] { return musicWav(with([](WavLayout& l) { l.headerRate = 4000; })); }},
        FailureCase{"RateTooHigh", [] { return musicWav(with([](WavLayout& l) { l.headerRate = 384000; })); }},
        FailureCase{"HeaderCutShort", [] { return firstBytes(musicWav({}), 30); }},
        FailureCase{"NoDataChunk", [] { return firstBytes(musicWav({}), 36); }},
        FailureCase{"NoSamples", [] { return firstBytes(musicWav(streamed(0)), 44); }},
        FailureCase{"ExistingOutputKept", [] { return std::vector<uint8_t>(64, 0); }, {"-c2000"}, OutputPlace::AlreadyThere},
        FailureCase{"LevelNotAThousand", [] { return musicWav({}); }, {"-c2500"}},
        FailureCase{"LevelTooHigh", [] { return musicWav({}); }, {"-c6000"}},
        FailureCase{"LevelMissing", [] { return musicWav({}); }, {}},
        FailureCase{"ExtraArgument", [] { return musicWav({}); }, {"-c2000", "-v"}},
        FailureCase{"OutputFolderMissing", [] { return musicWav({}); }, {"-c2000"}, OutputPlace::InMissingFolder},
        FailureCase{"OutputIsAFolder", [] { return musicWav({}); }, {"-c2000"}, OutputPlace::IsAFolder},
        FailureCase{"InputFileMissing", [] { return musicWav({}); }, {"-c2000"}, OutputPlace::Fresh, true}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace sondrel::test
