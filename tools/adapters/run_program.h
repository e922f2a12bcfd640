// The adapters rewrite a few switches and then become the Debian encoder, so the
// converter talks to the real program (its exit status, its standard input)
// without a second process in between.
#pragma once

#include <string>
#include <vector>

namespace sondrel::adapters {

// Replaces this process with `program` (a path, or a name looked up on PATH),
// started with `arguments` and no shell. Returns only by exiting with 127 and a
// one-line message when the program cannot be started.
[[noreturn]] void becomeProgram(const std::string& program, const std::vector<std::string>& arguments);

// The command-line arguments after the program name.
std::vector<std::string> argumentsOf(int argc, char** argv);

}  // namespace sondrel::adapters
