#include "audio/module_source.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

namespace sondrel::audio {
namespace {
// Modules are small; anything past this is not a module we can play.
constexpr std::streamoff kMaxModuleBytes = 256LL * 1024 * 1024;
}

std::unique_ptr<ModuleSource> ModuleSource::open(const std::string& path, int rate) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return nullptr;
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > kMaxModuleBytes) return nullptr;
  std::vector<char> data(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(data.data(), size)) return nullptr;
  openmpt_module* mod = openmpt_module_create_from_memory2(data.data(), data.size(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr);
  if (!mod) return nullptr;
  std::unique_ptr<ModuleSource> source(new ModuleSource);
  source->module_ = mod;
  const double seconds = openmpt_module_get_duration_seconds(mod);
  source->info_.rate = rate;
  source->info_.channels = 2;
  source->info_.sourceBits = 0;
  source->info_.frames = std::isfinite(seconds) && seconds >= 0 ? static_cast<int64_t>(seconds * rate) : -1;
  return source;
}

ModuleSource::~ModuleSource() {
  if (module_) openmpt_module_destroy(module_);
}

size_t ModuleSource::readFrames(float* out, size_t maxFrames) {
  // Stop at the measured length so that the stream ends where its length says.
  if (info_.frames >= 0) {
    const int64_t left = info_.frames - position_;
    if (left <= 0) return 0;
    if (static_cast<int64_t>(maxFrames) > left) maxFrames = static_cast<size_t>(left);
  }
  const size_t n = openmpt_module_read_interleaved_float_stereo(module_, info_.rate, maxFrames, out);
  position_ += static_cast<int64_t>(n);
  return n;
}

bool ModuleSource::seekFrame(int64_t frame) {
  openmpt_module_set_position_seconds(module_, static_cast<double>(frame) / info_.rate);
  position_ = frame;
  return true;
}

}  // namespace sondrel::audio
