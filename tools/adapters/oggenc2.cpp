// bin/oggenc2: Debian's oggenc, reached through the command line the converter
// writes for OGG Vorbis.
//
// Rewritten before oggenc sees them:
//   --quality<q> with the value glued on (--quality-1.5)   ->  -q <q>
//   a quality outside oggenc's range -1..10                 ->  the nearer end
// Everything else goes through unchanged; "-o<out>" with the path glued on is
// already oggenc's own form.

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "decimal.h"
#include "run_program.h"

namespace {

using sondrel::adapters::clampDecimalText;

// oggenc refuses qualities below -1 outright, and the converter's slider goes
// down to -2.
std::string oggencQuality(const std::string& text) { return clampDecimalText(text, -1.0, 10.0); }

std::vector<std::string> oggencArguments(const std::vector<std::string>& arguments) {
  // oggenc's short switches whose value is the next argument; the value is
  // passed on untouched even when it looks like a switch itself.
  static const std::set<std::string_view> withValue = {"-B", "-C", "-R", "-b", "-m", "-M", "-s", "-o", "-n", "-X",
                                                       "-P", "-c", "-d", "-N", "-t", "-l", "-a", "-G", "-L", "-Y"};
  const std::string_view longQuality = "--quality";
  std::vector<std::string> result;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--") {
      result.insert(result.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
      break;
    }
    if (argument == "-q" || argument == longQuality) {
      result.push_back("-q");
      if (i + 1 < arguments.size()) result.push_back(oggencQuality(arguments[++i]));
      continue;
    }
    if (argument.starts_with(longQuality)) {
      std::string value = argument.substr(longQuality.size());
      if (value.starts_with('=')) value.erase(0, 1);
      result.push_back("-q");
      result.push_back(oggencQuality(value));
      continue;
    }
    if (argument.size() > 2 && argument.starts_with("-q")) {
      result.push_back("-q");
      result.push_back(oggencQuality(argument.substr(2)));
      continue;
    }
    result.push_back(argument);
    if (withValue.contains(argument) && i + 1 < arguments.size()) result.push_back(arguments[++i]);
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  sondrel::adapters::becomeProgram(SONDREL_OGGENC_PROGRAM, oggencArguments(sondrel::adapters::argumentsOf(argc, argv)));
}
