#include "settings/skins.h"

#include <algorithm>
#include <system_error>

namespace sondrel::settings {

std::vector<std::string> listSkins(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const auto& path = it->path();
    if (path.extension() == ".qss" && it->is_regular_file(ec)) names.push_back(path.stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace sondrel::settings
