// bin/wavpack: Debian's wavpack 5, reached through the command line the
// converter writes for WavPack.
//
// Rewritten before wavpack sees them:
//   -j1 (joint stereo, mid/side)      ->  -j1
//   -j2 (joint stereo, left/right)    ->  -j0 (wavpack's left/right)
//   -b<bits> below 2.0 bits/sample    ->  -b2 (wavpack's lowest; above 23.9 -> -b23.9)
//   -b<kbps> above 9600               ->  -b9600
//   - <out>                           ->  - -o <out> (wavpack names its output
//                                         with -o when reading standard input)
//   and -y in front, so an existing output is replaced instead of wavpack
//   asking on a terminal that is not there.
// -f, -h, -i (read until the input ends, whatever the header's length says)
// and the rest go through unchanged.

#include <algorithm>
#include <string>
#include <vector>

#include "decimal.h"
#include "run_program.h"

namespace {

using sondrel::adapters::clampDecimalText;
using sondrel::adapters::parseDecimal;

// wavpack reads values below 24 as bits per sample (2.0 to 23.9) and the rest
// as kilobits per second (24 to 9600).
std::string hybridSetting(const std::string& text) {
  const auto value = parseDecimal(text);
  if (!value) return text;
  return *value < 24 ? clampDecimalText(text, 2.0, 23.9) : clampDecimalText(text, 24, 9600);
}

std::vector<std::string> wavpackArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> result{"-y"};
  bool outputNamed = std::find(arguments.begin(), arguments.end(), "-o") != arguments.end();
  bool readsStandardInput = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (readsStandardInput && !outputNamed) {
      // The name is taken as it is, even when it starts with '-'.
      result.push_back("-o");
      result.push_back(argument);
      outputNamed = true;
      continue;
    }
    if (argument == "-") {
      readsStandardInput = true;
      result.push_back(argument);
    } else if (argument == "-j2") {
      result.push_back("-j0");
    } else if (argument.size() > 2 && argument.starts_with("-b")) {
      result.push_back("-b" + hybridSetting(argument.substr(2)));
    } else {
      result.push_back(argument);
      if ((argument == "-o" || argument == "-w" || argument == "--write-binary-tag") && i + 1 < arguments.size())
        result.push_back(arguments[++i]);
    }
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  sondrel::adapters::becomeProgram(SONDREL_WAVPACK_PROGRAM,
                                   wavpackArguments(sondrel::adapters::argumentsOf(argc, argv)));
}
