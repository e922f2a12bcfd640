#include "settings/folders.h"

#include <QDir>
#include <QStandardPaths>

namespace sondrel::settings {
namespace {

std::string userFolder(QStandardPaths::StandardLocation location) {
  QString folder = QStandardPaths::writableLocation(location);
  if (folder.isEmpty()) folder = QDir::homePath();
  return withTrailingSlash(folder.toStdString());
}

}  // namespace

std::string withTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string defaultDataFolder() { return userFolder(QStandardPaths::DocumentsLocation) + "qorv/"; }

std::string defaultMusicFolder() { return userFolder(QStandardPaths::MusicLocation); }

}  // namespace sondrel::settings
