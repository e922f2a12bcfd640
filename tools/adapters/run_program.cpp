#include "run_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace sondrel::adapters {

void becomeProgram(const std::string& program, const std::vector<std::string>& arguments) {
  const std::string name = std::filesystem::path(program).filename().string();
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(name.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execvp(program.c_str(), argv.data());
  std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(errno));
  std::fflush(stderr);
  _exit(127);
}

std::vector<std::string> argumentsOf(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

}  // namespace sondrel::adapters
