// How the core speaks to the person using it: message boxes, status panels and
// letting the windows breathe during long work. The Qt windows, the terminal
// front end and the tests each implement it.
#pragma once

#include <string>

namespace sondrel {

class UserPort {
 public:
  virtual ~UserPort() = default;
  virtual void showError(const std::string& text) = 0;
  virtual void showInfo(const std::string& text) = 0;
  // Status bar panels 0 to 2.
  virtual void setStatus(int panel, const std::string& text) = 0;
  // Handles pending window events so the program stays responsive.
  virtual void processEvents() {}
};

// A port that ignores everything, for code run without a person watching.
class SilentPort : public UserPort {
 public:
  void showError(const std::string&) override {}
  void showInfo(const std::string&) override {}
  void setStatus(int, const std::string&) override {}
};

}  // namespace sondrel
