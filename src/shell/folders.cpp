#include "shell/folders.h"

#include <QDir>
#include <QStandardPaths>
#include <filesystem>
#include <vector>

namespace sondrel {

std::string AddSlash(const std::string& path) {
  if (path.empty() || path.back() == '/') return path;
  return path + '/';
}

bool ForceFolder(const std::string& path) {
  const std::string p = AddSlash(path);
  // The root is the leading slash; a path without one is relative.
  if (p.empty() || p.front() != '/') return false;
  const std::string rest = p.substr(1);
  if (rest.empty()) return false;
  std::string prefix = "/";
  size_t start = 0;
  while (start < rest.size()) {
    size_t slash = rest.find('/', start);
    if (slash == std::string::npos) slash = rest.size();
    if (slash > start) {
      prefix += rest.substr(start, slash - start) + "/";
      std::error_code ec;
      if (!std::filesystem::is_directory(prefix, ec) && !std::filesystem::create_directory(prefix, ec)) return false;
    }
    start = slash + 1;
  }
  return true;
}

namespace {
std::string standardFolder(QStandardPaths::StandardLocation location) {
  QString folder = QStandardPaths::writableLocation(location);
  if (folder.isEmpty()) folder = QDir::homePath();
  if (folder.isEmpty()) folder = "/";
  return AddSlash(folder.toStdString());
}
}  // namespace

std::string documentsFolder() { return standardFolder(QStandardPaths::DocumentsLocation); }
std::string musicFolder() { return standardFolder(QStandardPaths::MusicLocation); }

}  // namespace sondrel
