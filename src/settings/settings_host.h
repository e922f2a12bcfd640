// What the settings need from the program around them. The main window
// implements it; the command-line program and the tests implement it quietly
// or as a recorder.
#pragma once

#include <string>

namespace sondrel::settings {

class SettingsHost {
 public:
  virtual ~SettingsHost() = default;

  // Makes the file the sound font of MIDI sources, for streams opened from now
  // on and the one playing. False when the file cannot be used; the font in
  // use then stays.
  virtual bool loadSoundFont(const std::string& path) = 0;

  // The output folder setting changed: the main window mirrors it in its output
  // folder and in the status bar ("Output Folder:" + folder).
  virtual void outputFolderChanged(const std::string& folder) = 0;

  // The user chose a skin or a hue offset in degrees (name empty when no skin
  // is selected). While the splash window shows, the host may keep the hue for
  // later.
  virtual void skinChanged(const std::string& name, int hue) = 0;

  // A notice for the user, shown in an information box.
  virtual void information(const std::string& text) = 0;

  // Any setting took a new value (the control's name); the effect chain uses
  // this to follow the DSP and Equalizer pages while a file plays.
  virtual void settingChanged(const std::string& /*control*/) {}
};

}  // namespace sondrel::settings
