#pragma once

#include <string>
#include <vector>

namespace mac_test {

struct ProcessResult {
    int exit_code = -1;  // -1 when the program could not run or was killed
    std::string out;
    std::string err;
};

// Runs a program (looked up in PATH when the name has no slash) without a
// shell, standard input from `stdin_path`, and collects its output.
ProcessResult run_process(const std::vector<std::string>& argv, const std::string& stdin_path = "/dev/null");

} // namespace mac_test
