// bin/mppenc: Debian's mpcenc, reached through the command line the converter
// writes for Musepack.
//
// One switch is rewritten: "--ms 1" (reduced mid/side) and "--ms 2" (mid/side
// on) become "--ms 10". mpcenc 1.30 knows neither mode: it encodes exactly as
// with mode 10, byte for byte, but prints "Unknown stereo mode" for every
// frame, some 90 kilobytes per second of audio on standard error, which would
// fill a pipe nobody drains and stall the encoder. Everything else goes
// through unchanged.

#include <string>
#include <vector>

#include "run_program.h"

namespace {

std::vector<std::string> mpcencArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> result;
  for (size_t i = 0; i < arguments.size(); ++i) {
    result.push_back(arguments[i]);
    if (arguments[i] == "--ms" && i + 1 < arguments.size()) {
      const std::string& mode = arguments[++i];
      result.push_back(mode == "1" || mode == "2" ? "10" : mode);
    }
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  sondrel::adapters::becomeProgram(SONDREL_MPCENC_PROGRAM, mpcencArguments(sondrel::adapters::argumentsOf(argc, argv)));
}
