// The fourteen pages of the options window.
#pragma once

#include <array>

class QWidget;

namespace sondrel::settings {

class OptionBinder;
class SettingsModel;

struct OptionPage {
  const char* objectName;
  const char* treeText;
  const char* groupCaption;
};

// In page-index order (the order of the "Default" button's pages).
inline constexpr std::array<OptionPage, 14> kOptionPages{{
    {"outsheet", "Output", "Output Settings"},
    {"Miscsheet", "Misc", "Misc Settings"},
    {"Dspsheet", "DSP", "DSP Settings"},
    {"Equsheet", "Equalizer", "Equalizer"},
    {"wavsheet", "WAV", "WAVE PCM Settings"},
    {"mp3sheet", "MP3", "MP3 Settings"},
    {"wmasheet", "WMA", "WMA Settings"},
    {"oggsheet", "OGG", "OGG Settings"},
    {"apesheet", "APE", "APE Settings"},
    {"flacsheet", "FLAC", "FLAC Settings"},
    {"wavpacksheet", "WAVPACK", "WAVPACK Settings"},
    {"mpcsheet", "MPC", "MPC Settings"},
    {"aacsheet", "AAC/MP4", "AAC Settings"},
    {"cuesheet", "CUE", "CueSheet Settings"},
}};

// Builds one page: a group box with the page's controls, bound through the
// binder. `dialog` parents the browse dialogs.
QWidget* buildOptionPage(int page, OptionBinder& binder, SettingsModel& model, QWidget* dialog);

}  // namespace sondrel::settings
