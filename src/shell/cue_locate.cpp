#include "shell/cue_locate.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

bool isFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// The file itself, or a file in the same folder whose name differs only in
// the case of its letters.
std::optional<std::string> findFile(const std::string& path) {
  if (isFile(path)) return path;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = path.substr(folder.size());
  if (name.empty()) return std::nullopt;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
  for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (equalIgnoringCase(entry, name) && isFile(folder + entry)) return folder + entry;
  }
  return std::nullopt;
}

}  // namespace

LocatedAudio locateCueAudioFile(const std::string& name, const std::string& cuePath) {
  const size_t slash = cuePath.rfind('/');
  const std::string sheetFolder = slash == std::string::npos ? std::string() : cuePath.substr(0, slash + 1);

  LocatedAudio result;
  result.searched = name.starts_with('/') ? name : sheetFolder + name;
  // A zero byte would cut the name short at the system call and find another file.
  if (name.empty() || name.find('\0') != std::string::npos) return result;

  std::vector<std::string> candidates{result.searched};
  if (name.find('\\') != std::string::npos) {
    std::string slashed = name;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    candidates.push_back(slashed.starts_with('/') ? slashed : sheetFolder + slashed);
    candidates.push_back(sheetFolder + slashed.substr(slashed.rfind('/') + 1));
  }
  for (const auto& candidate : candidates) {
    if (auto found = findFile(candidate)) {
      result.path = std::move(found);
      return result;
    }
  }
  return result;
}

}  // namespace sondrel
