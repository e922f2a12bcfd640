// The skins the user can choose: the style sheets in the skin folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sondrel::settings {

// Names of the "*.qss" files in the folder, without the extension, sorted
// (beijing, darkglass, macos2, ...). Empty when the folder is missing.
std::vector<std::string> listSkins(const std::filesystem::path& folder);

}  // namespace sondrel::settings
