// A settings host that writes down everything the settings tell it.
#pragma once

#include "settings/settings_host.h"

#include <string>
#include <utility>
#include <vector>

namespace sondrel::settings::test {

class RecordingHost : public SettingsHost {
 public:
  bool loadSoundFont(const std::string& path) override {
    soundFonts.push_back(path);
    return soundFontLoads;
  }
  void outputFolderChanged(const std::string& folder) override { outputFolders.push_back(folder); }
  void skinChanged(const std::string& name, int hue) override { skins.emplace_back(name, hue); }
  void information(const std::string& text) override { notices.push_back(text); }
  void settingChanged(const std::string& control) override { changes.push_back(control); }

  bool soundFontLoads = true;
  std::vector<std::string> soundFonts;
  std::vector<std::string> outputFolders;
  std::vector<std::pair<std::string, int>> skins;
  std::vector<std::string> notices;
  std::vector<std::string> changes;
};

}  // namespace sondrel::settings::test
