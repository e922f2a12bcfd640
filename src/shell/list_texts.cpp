#include "shell/list_texts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace sondrel {

std::string SizeText(int64_t n) {
  if (n <= 1024) return std::to_string(n) + " Bytes";
  if (n <= 1048576) return std::to_string(n / 1024) + " KB";
  if (n <= 1073741824) return std::to_string(n / 1048576) + " MB";
  return std::to_string(n / 1073741824) + " GB";
}

std::string FileSizeText(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(std::filesystem::absolute(path, ec), ec);
  if (ec) return {};
  return SizeText(static_cast<int64_t>(size));
}

std::string CdTrackSizeText(double seconds) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f MB", seconds * 1.764e5 / 1048576.0);
  return buf;
}

std::string LengthText(double seconds) {
  if (!(seconds > 0) || !std::isfinite(seconds)) seconds = 0;
  // Times are kept to the millisecond, as a time of day is; the rest of the
  // second is dropped.
  const auto millis = static_cast<int64_t>(std::llround(seconds * 1000.0));
  const int64_t whole = millis / 1000;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>((whole / 3600) % 24),
                static_cast<int>((whole / 60) % 60), static_cast<int>(whole % 60));
  return buf;
}

std::string InformationText(int sampleRate, int channels, int bitsPerSample) {
  const std::string bits = bitsPerSample != 0 ? std::to_string(bitsPerSample) + "bit" : "undefined";
  return "Sampele Rate:" + std::to_string(sampleRate) + " Hz,Channel:" + std::to_string(channels) + ",BPS:" + bits;
}

std::string TypeText(const std::string& extension) {
  std::string t = extension.empty() ? extension : extension.substr(1);
  std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return t;
}

std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot);
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace sondrel
