// Tracker modules (XM, IT, S3M, MOD, MTM, UMX) rendered by libopenmpt.
#pragma once

#include <memory>
#include <string>

#include "audio/source.h"

struct openmpt_module;

namespace sondrel::audio {

class ModuleSource : public Source {
 public:
  // Renders at `rate` in stereo. Null when libopenmpt cannot load the file.
  static std::unique_ptr<ModuleSource> open(const std::string& path, int rate);
  ~ModuleSource() override;

  const SourceInfo& info() const override { return info_; }
  size_t readFrames(float* out, size_t maxFrames) override;
  bool seekFrame(int64_t frame) override;

 private:
  ModuleSource() = default;
  openmpt_module* module_ = nullptr;
  SourceInfo info_;
  int64_t position_ = 0;
};

}  // namespace sondrel::audio
