// A UserPort that keeps what the core tells the user, for tests to look at.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "shell/user_port.h"

namespace sondrel::test {

class RecordingPort : public UserPort {
 public:
  void showError(const std::string& t) override { errors.push_back(t); }
  void showInfo(const std::string& t) override { infos.push_back(t); }
  void setStatus(int panel, const std::string& t) override { status[panel] = t; }
  void processEvents() override { ++breaths; }
  std::vector<std::string> errors, infos;
  std::map<int, std::string> status;
  int breaths = 0;
};

}  // namespace sondrel::test
