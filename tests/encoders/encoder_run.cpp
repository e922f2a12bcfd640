#include "encoders/encoder_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace sondrel::test {

namespace {

std::string rawFormatFor(int bits) {
  switch (bits) {
    case 8: return "u8";
    case 16: return "s16le";
    case 24: return "s24le";
    default: return "s32le";
  }
}

}  // namespace

StreamInfo probeStream(const std::string& path) {
  const ProcessResult result =
      run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
           "stream=codec_name,sample_rate,channels", "-of", "default=noprint_wrappers=1", path});
  StreamInfo info;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == "codec_name") info.codec = value;
    if (key == "sample_rate") info.rate = std::atoi(value.c_str());
    if (key == "channels") info.channels = std::atoi(value.c_str());
  }
  return info;
}

std::string binProgram(const std::string& name) { return std::string(SONDREL_BIN_DIR_PATH) + "/" + name; }

std::vector<std::string> expandCommand(const CommandPattern& pattern, const std::string& outputPath) {
  std::vector<std::string> argv;
  for (const auto& piece : pattern) {
    std::string argument = piece;
    if (const auto at = argument.find("{out}"); at != std::string::npos) argument.replace(at, 5, outputPath);
    argv.push_back(argument);
  }
  if (!argv.empty()) argv.front() = binProgram(argv.front());
  return argv;
}

ProcessResult runEncoder(const CommandPattern& pattern, const std::string& outputPath, const std::string& stdinBytes) {
  // A program that refuses its command line quits before reading its input;
  // writing to it must then fail with EPIPE rather than end the test program.
  std::signal(SIGPIPE, SIG_IGN);
  return run(expandCommand(pattern, outputPath), stdinBytes);
}

void expectFaithful(const std::string& path, const TestSignal& signal, const Expectation& expectation) {
  ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
  const StreamInfo info = probeStream(path);
  EXPECT_EQ(info.codec, expectation.codec);
  EXPECT_EQ(info.rate, signal.layout.rate);
  EXPECT_EQ(info.channels, signal.layout.channels);
  if (expectation.lossless) {
    const auto decoded = ffmpegDecode(path, rawFormatFor(signal.layout.bits));
    EXPECT_EQ(decoded.size(), signal.pcm.size());
    EXPECT_TRUE(std::string(decoded.begin(), decoded.end()) == signal.pcm) << "decoded samples differ from the input";
    return;
  }
  const auto decoded = floatsOf(ffmpegDecode(path, "f32le"));
  const long decodedFrames = static_cast<long>(decoded.size()) / signal.layout.channels;
  EXPECT_LE(std::abs(decodedFrames - static_cast<long>(signal.frames)), expectation.lengthSlack)
      << "decoded " << decodedFrames << " frames of " << signal.frames;
  const Match match = bestMatch(signal.samples, decoded, signal.layout.channels, 2600);
  EXPECT_GE(match.correlation, expectation.minCorrelation) << "at a delay of " << match.lag << " frames";
}

}  // namespace sondrel::test
