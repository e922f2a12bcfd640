// bin/flac: Debian's flac, reached through the command line the converter
// writes for FLAC.
//
// When the audio comes from standard input ("-"), --ignore-chunk-sizes is put
// in front: the WAV stream the converter writes does not know its length when
// it starts, and flac refuses a stream whose data chunk says 0 bytes. With the
// switch it reads until the input ends, which is what such a stream means.
// Everything else goes through unchanged.

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "run_program.h"

namespace {

bool readsStandardInput(const std::vector<std::string>& arguments) {
  // flac's short switches whose value is the next argument ("-o -" names
  // standard output, not the input).
  static const std::set<std::string_view> withValue = {"-o", "-T", "-S", "-P", "-b", "-l", "-q", "-r", "-A"};
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "-") return true;
    if (withValue.contains(arguments[i])) ++i;
  }
  return false;
}

std::vector<std::string> flacArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> result;
  if (readsStandardInput(arguments)) result.push_back("--ignore-chunk-sizes");
  result.insert(result.end(), arguments.begin(), arguments.end());
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  sondrel::adapters::becomeProgram(SONDREL_FLAC_PROGRAM, flacArguments(sondrel::adapters::argumentsOf(argc, argv)));
}
