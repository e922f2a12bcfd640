// Where the settings live and where converted files go by default.
#pragma once

#include <string>

namespace sondrel::settings {

// "<documents>/qorv/": the user's documents folder as the desktop reports it,
// or the home folder when it reports none. Ends with "/".
std::string defaultDataFolder();

// The user's music folder (or the home folder), ending with "/": the default
// output folder.
std::string defaultMusicFolder();

// The folder with a "/" appended unless it already ends with one; "/" for an
// empty folder.
std::string withTrailingSlash(std::string folder);

}  // namespace sondrel::settings
