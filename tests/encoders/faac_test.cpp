// bin/FAAC beyond "it encodes": what its switches put into the file, and what
// it leaves behind when it cannot encode.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "encoders/encoder_run.h"

namespace sondrel::test {
namespace {

const PcmLayout kStereo16{16, 44100, 2};

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t filesIn(const std::filesystem::path& folder) {
  return static_cast<size_t>(
      std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

size_t lineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

struct MpegVersionCase {
  std::string name;
  CommandPattern command;
  unsigned char secondHeaderByte;  // 0xF1: MPEG-4, 0xF9: MPEG-2 (the ID bit)
};

void PrintTo(const MpegVersionCase& c, std::ostream* out) { *out << c.name; }

class AdtsHeaders : public testing::TestWithParam<MpegVersionCase> {};

// Every frame of the stream carries the same header fields, and the frame
// lengths chain from the first byte to the last.
TEST_P(AdtsHeaders, MarkEveryFrameWithTheMpegVersion) {
  TempDir dir;
  const std::string out = dir.file("a.aac");
  ASSERT_EQ(runEncoder(GetParam().command, out, TestSignal::make(kStereo16, 2.0).wavStream()).exitCode, 0);
  const std::string bytes = fileBytes(out);
  size_t position = 0;
  size_t frames = 0;
  while (position + 7 <= bytes.size()) {
    const auto* h = reinterpret_cast<const unsigned char*>(bytes.data() + position);
    ASSERT_EQ(h[0], 0xFF) << "no sync at " << position;
    ASSERT_EQ(h[1], GetParam().secondHeaderByte) << "at " << position;
    EXPECT_EQ(h[2] >> 6, 1) << "AAC-LC";
    EXPECT_EQ((h[2] >> 2) & 0x0F, 4) << "44100 Hz";
    EXPECT_EQ((h[2] & 1) << 2 | h[3] >> 6, 2) << "stereo";
    const size_t length = static_cast<size_t>((h[3] & 0x03) << 11 | h[4] << 3 | h[5] >> 5);
    ASSERT_GE(length, 7u);
    position += length;
    ++frames;
  }
  EXPECT_EQ(position, bytes.size());
  EXPECT_GE(frames, 2 * 44100 / 1024);
}

INSTANTIATE_TEST_SUITE_P(
    Faac, AdtsHeaders,
    testing::Values(MpegVersionCase{"default", {"FAAC", "-q", "<100>", "-o", "{out}", "-"}, 0xF1},
                    MpegVersionCase{"mpeg4", {"FAAC", "--mpeg-vers", "4", "-q", "<100>", "-o", "{out}", "-"}, 0xF1},
                    MpegVersionCase{"mpeg2", {"FAAC", "--mpeg-vers", "2", "-q", "<100>", "-o", "{out}", "-"}, 0xF9}),
    [](const testing::TestParamInfo<MpegVersionCase>& info) { return info.param.name; });

TEST(Faac, AverageBitRateIsNearTheAskedOne) {
  struct Case {
    PcmLayout layout;
    std::string kbps;
    std::string extension;
  };
  for (const Case& c : {Case{kStereo16, "128", ".m4a"}, Case{PcmLayout{16, 22050, 1}, "48", ".aac"}}) {
    TempDir dir;
    const std::string out = dir.file("a" + c.extension);
    const double seconds = 4.0;
    ASSERT_EQ(runEncoder({"FAAC", "-b", "<" + c.kbps + ">", "-o", "{out}", "-"}, out,
                         TestSignal::make(c.layout, seconds).wavStream())
                  .exitCode,
              0);
    const double kbps = static_cast<double>(std::filesystem::file_size(out)) * 8 / seconds / 1000;
    EXPECT_NEAR(kbps, std::stod(c.kbps), 0.25 * std::stod(c.kbps)) << c.extension;
  }
}

TEST(Faac, BandwidthSwitchCutsWhatLiesAbove) {
  const TestSignal signal = TestSignal::withTone(kStereo16, 2.0, 14000, 0.2);
  const double inputPower = tonePower(signal.samples, 2, 44100, 14000);
  TempDir dir;
  const std::string wide = dir.file("wide.m4a");
  const std::string narrow = dir.file("narrow.m4a");
  ASSERT_EQ(runEncoder({"FAAC", "-q", "<100>", "-o", "{out}", "-"}, wide, signal.wavStream()).exitCode, 0);
  ASSERT_EQ(
      runEncoder({"FAAC", "-q", "<100>", "-c", "<10000>", "-o", "{out}", "-"}, narrow, signal.wavStream()).exitCode, 0);
  EXPECT_GT(tonePower(floatsOf(ffmpegDecode(wide, "f32le")), 2, 44100, 14000), 0.25 * inputPower);
  EXPECT_LT(tonePower(floatsOf(ffmpegDecode(narrow, "f32le")), 2, 44100, 14000), 0.01 * inputPower);
}

TEST(Faac, ContainerFollowsTheExtension) {
  struct Case {
    std::string extension;
    std::string formatName;
    std::string brand;
  };
  const std::string wav = TestSignal::make(kStereo16, 1.0).wavStream();
  for (const Case& c :
       {Case{".aac", "aac", ""}, Case{".AAC", "aac", ""}, Case{".mp4", "mov,mp4,m4a,3gp,3g2,mj2", "isom"},
        Case{".m4a", "mov,mp4,m4a,3gp,3g2,mj2", "M4A "}, Case{".M4B", "mov,mp4,m4a,3gp,3g2,mj2", "M4A "}}) {
    TempDir dir;
    const std::string out = dir.file("a" + c.extension);
    ASSERT_EQ(runEncoder({"FAAC", "-q", "<100>", "-o", "{out}", "-"}, out, wav).exitCode, 0);
    auto probe = run({"ffprobe", "-v", "error", "-show_entries", "format=format_name:format_tags=major_brand", "-of",
                      "default=noprint_wrappers=1", out});
    EXPECT_NE(probe.out.find("format_name=" + c.formatName + "\n"), std::string::npos) << c.extension << probe.out;
    if (!c.brand.empty()) {
      EXPECT_NE(probe.out.find("major_brand=" + c.brand), std::string::npos) << c.extension;
    }
  }
}

// A WAV header and then nothing, as when the converter stops at once: there
// is no audio to write, but nothing went wrong either.
TEST(Faac, EmptyStreamMakesAFileWithoutAudio) {
  for (const std::string extension : {".aac", ".m4a"}) {
    TempDir dir;
    const std::string out = dir.file("empty" + extension);
    const ProcessResult result =
        runEncoder({"FAAC", "-q", "<100>", "-o", "{out}", "-"}, out, TestSignal::make(kStereo16, 0).wavStream());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(out)) << extension;
    EXPECT_EQ(filesIn(dir.path()), 1u);
  }
}

struct BadInput {
  std::string name;
  std::string stdinBytes;
};

std::string headerWithFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  std::string h = std::string("RIFF\xFF\xFF\xFF\xFFWAVEfmt ", 16) + std::string("\x10\0\0\0", 4);
  auto put = [&h](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) h += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(tag, 2);
  put(channels, 2);
  put(rate, 4);
  put(rate * channels * bits / 8, 4);
  put(channels * bits / 8, 2);
  put(bits, 2);
  return h + std::string("data\xFF\xFF\xFF\xFF", 8) + std::string(4096, '\x10');
}

std::string garbage() {
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += static_cast<char>((i * 7919 + 13) % 251);
  return bytes;
}

const std::vector<BadInput> kBadInputs = {
    {"nothing", ""},
    {"garbage", garbage()},
    {"riff_without_chunks", std::string("RIFF\x04\0\0\0WAVE", 12)},
    {"format_cut_short", std::string("RIFF\xFF\xFF\xFF\xFFWAVEfmt \x10\0\0\0\x01\0", 22)},
    {"data_before_format", std::string("RIFF\xFF\xFF\xFF\xFFWAVEdata\xFF\xFF\xFF\xFF", 20) + garbage()},
    {"twelve_bit_samples", headerWithFormat(1, 2, 44100, 12)},
    {"compressed_samples", headerWithFormat(2, 2, 44100, 4)},
    {"no_channels", headerWithFormat(1, 0, 44100, 16)},
    {"rate_aac_cannot_take", headerWithFormat(1, 2, 5000, 16)},
    {"huge_chunk_before_data", std::string("RIFF\xFF\xFF\xFF\xFFWAVELIST\xF0\xFF\xFF\xFF", 20) + garbage()},
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class FaacBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(FaacBadInput, FailsWithoutLeavingAFile) {
  TempDir dir;
  const ProcessResult result =
      runEncoder({"FAAC", "-q", "<100>", "-o", "{out}", "-"}, dir.file("a.m4a"), GetParam().stdinBytes);
  EXPECT_NE(result.exitCode, 0);
  EXPECT_TRUE(result.err.starts_with("FAAC: ")) << result.err;
  EXPECT_EQ(lineCount(result.err), 1u) << result.err;
  EXPECT_EQ(filesIn(dir.path()), 0u) << "no output and no temporary file";
}

TEST_P(FaacBadInput, LeavesAnOlderFileAsItWas) {
  TempDir dir;
  const std::string out = dir.file("a.aac");
  writeFile(out, "an older conversion");
  EXPECT_NE(runEncoder({"FAAC", "-q", "<100>", "-o", "{out}", "-"}, out, GetParam().stdinBytes).exitCode, 0);
  EXPECT_EQ(fileBytes(out), "an older conversion");
  EXPECT_EQ(filesIn(dir.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(Faac, FaacBadInput, testing::ValuesIn(kBadInputs),
                         [](const testing::TestParamInfo<BadInput>& info) { return info.param.name; });

// Runs `pattern` with files limited to `maxBytes`, so that the encoder's
// writes fail part way through as on a full disk.
ProcessResult runWithFileSizeLimit(const CommandPattern& pattern, const std::string& out, const std::string& wav,
                                   rlim_t maxBytes) {
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = maxBytes;
  // Ignored, the signal turns into EFBIG from write(); the setting passes on to the child.
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limited);
  ProcessResult result = runEncoder(pattern, out, wav);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  return result;
}

TEST(Faac, FailedWriteLeavesNoFileBehind) {
  const std::string wav = TestSignal::make(kStereo16, 2.0).wavStream();
  for (const std::string extension : {".aac", ".m4a"}) {
    TempDir dir;
    const std::string out = dir.file("a" + extension);
    writeFile(out, "an older conversion");
    const ProcessResult result = runWithFileSizeLimit({"FAAC", "-q", "<100>", "-o", "{out}", "-"}, out, wav, 8192);
    EXPECT_NE(result.exitCode, 0) << extension;
    EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    EXPECT_EQ(fileBytes(out), "an older conversion");
    EXPECT_EQ(filesIn(dir.path()), 1u);
  }
}

TEST(Faac, RefusesCommandLinesItCannotFollow) {
  const std::string wav = TestSignal::make(kStereo16, 0.5).wavStream();
  const std::vector<CommandPattern> lines = {
      {"FAAC", "-x", "-o", "{out}", "-"},
      {"FAAC", "-q", "<100>", "-"},
      {"FAAC", "-q", "<100>", "-o", "{out}"},
      {"FAAC", "-q", "<many>", "-o", "{out}", "-"},
      {"FAAC", "--mpeg-vers", "3", "-o", "{out}", "-"},
      {"FAAC", "-o", "{out}", "-", "-q"},
  };
  for (const auto& line : lines) {
    TempDir dir;
    const ProcessResult result = runEncoder(line, dir.file("a.aac"), wav);
    EXPECT_NE(result.exitCode, 0) << line[1];
    EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    EXPECT_EQ(filesIn(dir.path()), 0u);
  }
}

TEST(Faac, ReportsAFolderThatDoesNotExist) {
  TempDir dir;
  const ProcessResult result = runEncoder({"FAAC", "-q", "<100>", "-o", "{out}", "-"}, dir.file("missing/a.aac"),
                                          TestSignal::make(kStereo16, 0.5).wavStream());
  EXPECT_NE(result.exitCode, 0);
  EXPECT_NE(result.err.find("missing/a.aac"), std::string::npos) << result.err;
  EXPECT_EQ(filesIn(dir.path()), 0u);
}

}  // namespace
}  // namespace sondrel::test
