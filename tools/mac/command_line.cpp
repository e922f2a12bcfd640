#include "command_line.h"

#include <charconv>

#include "common/failure.h"

namespace sondrel::mac {

using tools::Failure;

namespace {

const char* const kUsage = "usage: MAC <input.wav | -> <output.ape> -c<1000|2000|3000|4000|5000>";

int parseLevel(const std::string& text) {
  if (text.size() < 3 || text[0] != '-' || text[1] != 'c')
    throw Failure(std::string("expected a compression level such as -c2000; ") + kUsage);
  int level = 0;
  const char* first = text.data() + 2;
  const char* last = text.data() + text.size();
  auto [end, error] = std::from_chars(first, last, level);
  if (error != std::errc() || end != last || level % 1000 != 0 || level < 1000 || level > 5000)
    throw Failure("unsupported compression level '" + text + "'; use -c1000, -c2000, -c3000, -c4000 or -c5000");
  return level;
}

}  // namespace

Options parseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.size() != 3) throw Failure(kUsage);
  Options options;
  options.input = arguments[0];
  options.output = arguments[1];
  options.level = parseLevel(arguments[2]);
  if (options.input.empty() || options.output.empty() || options.output == "-") throw Failure(kUsage);
  return options;
}

}  // namespace sondrel::mac
