// `sondrel-cli info FILE`: the stream properties and tags of one file.
#pragma once

#include <ostream>
#include <string>

namespace sondrel {

// Prints one "field: value" line per value; returns the exit code (0 when a
// reader recognised the file, 1 otherwise).
int runInfoCommand(const std::string& path, std::ostream& out);

}  // namespace sondrel
