#pragma once

#include <string>
#include <vector>

namespace sondrel::mac {

struct Options {
  std::string input;   // "-" for standard input, otherwise a WAV file path
  std::string output;  // the .ape file to create
  int level = 0;       // 1000, 2000, 3000, 4000 or 5000
};

// Accepts exactly: MAC <input> <output> -c<level>. Throws Failure otherwise.
Options parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace sondrel::mac
