// What a conversion shows while it runs: the progress window of the desktop
// program, a progress line on a terminal, or a recorder in the tests.
#pragma once

#include <string>

namespace sondrel::convert {

class ProgressView {
 public:
  virtual ~ProgressView() = default;
  virtual void setCaption(const std::string& caption) = 0;
  virtual void setFileLabel(const std::string& text) = 0;  // "Convert File:" + name
  virtual void setFileProgress(int percent) = 0;           // 0..100, clamped by the view
  virtual void setTotalProgress(int position) = 0;         // 0..maximum, clamped by the view
  virtual int totalMaximum() const = 0;
  virtual void setTotalMaximum(int maximum) = 0;
  virtual bool isShowing() const = 0;
  virtual void showProgress() = 0;
};

}  // namespace sondrel::convert
