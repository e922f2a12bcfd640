// The program's settings: one value per control of the options window, keyed
// by the control's name ("cnorm", "mp3samplecom", ...), with the rules that tie
// controls together and the moves between the model and qorv.ini. Everything
// that needs a setting reads it here; the options window only shows it.
#pragma once

#include "settings/catalog.h"
#include "settings/settings_host.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sondrel::settings {

class IniFile;

struct SaveResult {
  bool ok = true;
  std::string message;  // for the user when !ok; names the file
};

class SettingsModel {
 public:
  // dataFolder holds qorv.ini; musicFolder is the default output folder; the
  // skin folder's style sheets make the items of "skincom". Every setting
  // starts at its default, as on a first run.
  SettingsModel(std::filesystem::path dataFolder, std::string musicFolder,
                std::filesystem::path skinFolder = {});

  // Where changes and notices go; nullptr for nowhere. Not owned.
  void setHost(SettingsHost* host);

  std::filesystem::path filePath() const;

  // Reads qorv.ini; missing keys and values that cannot be used take their
  // defaults. Meant to run once, when the main window first shows.
  void load();
  // Writes every stored setting, keeping keys of the file it does not know.
  SaveResult save() const;
  // The "Default" button: the settings of one page back to their defaults.
  void restorePageDefaults(int page);

  // Reading. An unknown name or a name of another kind throws
  // std::invalid_argument: that is a programming error.
  int list(std::string_view name) const;  // item index, -1 for no selection
  bool check(std::string_view name) const;
  int slider(std::string_view name) const;
  int number(std::string_view name) const;
  const std::string& text(std::string_view name) const;
  const std::vector<std::string>& items(std::string_view name) const;
  std::string selectedItem(std::string_view name) const;  // "" for no selection
  bool enabled(std::string_view name) const;

  // Changes as the user makes them in the options window, each with the
  // actions and rules that follow from it (lists rebuilt, radio groups,
  // enabling, the disc image name, the equalizer preset...).
  void setList(std::string_view name, int index);  // outside the list: no selection
  void setCheck(std::string_view name, bool on);   // ticking a radio clears its group
  void setSlider(std::string_view name, int position);  // clamped to the range
  void setNumber(std::string_view name, int value);     // clamped to the range
  // False, and nothing changes, for text a settings line cannot hold (control
  // characters, invalid UTF-8) or longer than the control allows.
  bool setText(std::string_view name, const std::string& text);
  // The sound font picked with the browse button: taken and loaded. A name
  // typed into the edit (setText) is only taken.
  bool pickSoundFont(const std::string& path);

 private:
  struct State {
    int value = 0;
    std::string text;
    std::vector<std::string> items;
    bool enabled = true;
  };

  int indexOf(std::string_view name, Kind kind) const;
  int indexOf(std::string_view name) const;
  const ControlDef& def(int i) const;

  void assignList(int i, int index);
  void assignCheck(int i, bool on);
  void assignRanged(int i, int value);
  void assignText(int i, std::string text);
  void assignItems(int i, std::vector<std::string> items);
  void assignDefault(int i);
  void readStored(int i, const IniFile& ini);
  std::string storedText(int i) const;

  void applyFrom(const IniFile& ini, int onlyPage);
  void rebuildMp3Lists();
  void rebuildWmaLists();
  void renameCueImage();
  void applyEqualizerPreset();
  void applyDependencies();
  void announceSkin();
  void changed(int i);

  std::filesystem::path dataFolder_;
  std::string musicFolder_;
  std::vector<State> states_;
  std::unordered_map<std::string_view, int> byName_;
  SettingsHost* host_ = nullptr;
};

}  // namespace sondrel::settings
