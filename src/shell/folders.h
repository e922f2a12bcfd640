// Folder helpers for POSIX paths: a trailing slash, and making every missing
// level of a folder.
#pragma once

#include <string>

namespace sondrel {

// The path with "/" appended unless it is empty or already ends in one.
std::string AddSlash(const std::string& path);

// Makes every missing level of an absolute folder path, from the root down;
// stops at the first level it cannot make (keeping those it made). False for a
// relative path or the bare root.
bool ForceFolder(const std::string& path);

// The user's documents and music folders as the desktop reports them, with a
// trailing slash; the home folder when the desktop reports none.
std::string documentsFolder();
std::string musicFolder();

}  // namespace sondrel
