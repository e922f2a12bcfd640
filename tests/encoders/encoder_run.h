// Running the programs in bin/ the way the converter does, and judging their
// output with FFmpeg.
#pragma once

#include <string>
#include <vector>

#include "encoders/wav_stream.h"
#include "support/test_support.h"

namespace sondrel::test {

// A command line as the converter splits it: the program's name in bin/
// first; "{out}" inside any argument stands for the output path.
using CommandPattern = std::vector<std::string>;

std::string binProgram(const std::string& name);

std::vector<std::string> expandCommand(const CommandPattern& pattern, const std::string& outputPath);

// Starts the encoder with `pattern` and pipes `stdinBytes` into it.
ProcessResult runEncoder(const CommandPattern& pattern, const std::string& outputPath, const std::string& stdinBytes);

struct Expectation {
  std::string codec;      // ffprobe's codec_name
  bool lossless = false;  // decoded samples equal the input's exactly
  double minCorrelation = 0.95;
  long lengthSlack = 2048;  // decoded frames may differ by up to one codec block
};

struct StreamInfo {
  std::string codec;  // ffprobe's codec_name, empty when it found no audio
  int rate = 0;
  int channels = 0;
};

// The first audio stream of `path` as ffprobe sees it.
StreamInfo probeStream(const std::string& path);

// Checks codec, rate, channels, length and likeness of the decoded file.
void expectFaithful(const std::string& path, const TestSignal& signal, const Expectation& expectation);

}  // namespace sondrel::test
