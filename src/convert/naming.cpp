#include "convert/naming.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace sondrel::convert {
namespace {

// The name part of a path: what follows its last slash.
std::string namePart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name less its extension (its last full stop and what follows).
std::string withoutExtension(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

}  // namespace

std::string formatExtension(int format, int mpcFormatIndex, int aacFormatIndex) {
  static constexpr const char* kFixed[] = {"", ".wav", ".mp3", ".wma", ".ogg", ".ape", ".flac", ".wv"};
  static constexpr const char* kMpcExt[] = {".mpc", ".mp+", ".mpp"};
  static constexpr const char* kAacExt[] = {".aac", ".mp4", ".m4a", ".m4b"};
  if (format >= kWav && format <= kWavPack) return kFixed[format];
  if (format == kMpc) return mpcFormatIndex >= 0 && mpcFormatIndex < 3 ? kMpcExt[mpcFormatIndex] : "";
  if (format == kAac) return aacFormatIndex >= 0 && aacFormatIndex < 4 ? kAacExt[aacFormatIndex] : "";
  return "";
}

std::string ReplaceBadChars(std::string text) {
  for (char& c : text)
    switch (c) {
      case '\'': case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|': case '.':
        c = '_';
        break;
      default: break;
    }
  return text;
}

std::string UniqueOutputName(const std::string& folder, const std::string& source, const std::string& extension,
                             int trackIndex, bool overwrite, bool trackRule) {
  // A double quote cannot stand in a name that goes inside a quoted command
  // line; it becomes "_" like the other characters a name must not carry.
  std::string name = namePart(source);
  for (char& ch : name)
    if (ch == '"') ch = '_';
  const std::string base = withoutExtension(name);
  int track = trackIndex;
  for (long attempt = 0;; ++attempt) {
    std::string result;
    if (trackRule) {
      if (attempt > 0) ++track;
      result = folder + "Track" + std::to_string(track + 1) + extension;
    } else if (attempt == 0) {
      result = folder + base + extension;
    } else {
      result = folder + base + "_" + std::to_string(attempt) + extension;
    }
    if ((overwrite || !exists(result)) && result != source) return result;
  }
}

std::string CueTimeText(double x) {
  if (!std::isfinite(x) || x < 0) x = 0;
  const auto whole = static_cast<long long>(std::trunc(x));
  const long long minutes = whole / 60;
  const long long seconds = whole % 60;
  const double r = std::round(x * 10000.0) / 10000.0;
  // Frames round half to even, as the default rounding mode does.
  long long frames = std::llrint((r - std::trunc(r)) * 75.0);
  // A fraction that rounds to a whole second's worth shows as the last frame:
  // a cue sheet counts frames from 00 to 74.
  if (frames > 74) frames = 74;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2lld:%.2lld:%.2lld", minutes, seconds, frames);
  return buf;
}

}  // namespace sondrel::convert
