// The PCM layout each output format receives, and the command line of each
// encoder program, built from the settings.
#pragma once

#include <string>

#include "settings/settings_model.h"

namespace sondrel::convert {

struct OutputLayout {
  int rate = 44100;
  int bits = 16;
  int channels = 2;
};

// Sets the layout from the page of `format`; a list with no selection leaves
// its value as it was.
void SetOutputFormat(const settings::SettingsModel& s, int format, OutputLayout& layout);

// Each builder gives the whole command line; `programFolder` ends with "/".
std::string LameCommandLine(const settings::SettingsModel& s, const std::string& programFolder, const std::string& out);
std::string OggCommandLine(const settings::SettingsModel& s, const std::string& programFolder, const std::string& out);
std::string WavPackCommandLine(const settings::SettingsModel& s, const std::string& programFolder, const std::string& out);
std::string MpcCommandLine(const settings::SettingsModel& s, const std::string& programFolder, const std::string& out);
std::string AacCommandLine(const settings::SettingsModel& s, const std::string& programFolder, const std::string& out);
std::string ApeCommandLine(const settings::SettingsModel& s, const std::string& programFolder, const std::string& out);
std::string FlacCommandLine(const settings::SettingsModel& s, const std::string& programFolder, const std::string& out);

// The command line of `format`, or empty for WAV and WMA (written by us).
std::string CommandLineFor(int format, const settings::SettingsModel& s, const std::string& programFolder,
                           const std::string& out);

// The shortest decimal text of value / divisor: 275/100 "2.75", 300/100 "3".
std::string quotientText(int value, int divisor);

}  // namespace sondrel::convert
