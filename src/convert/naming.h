// Output names: the extension of each output format, the two naming rules,
// the rule that never overwrites an existing file (unless asked) nor the
// source, the cleaning of track titles, and the cue sheet time text.
#pragma once

#include <string>

namespace sondrel::convert {

// Output format numbers.
enum Format { kWav = 1, kMp3, kWma, kOgg, kApe, kFlac, kWavPack, kMpc, kAac };

// ".mp3" for kMp3; the MPC and AAC extensions by their container list index.
// Empty for a number or index outside the tables.
std::string formatExtension(int format, int mpcFormatIndex, int aacFormatIndex);

// Every apostrophe, slash, backslash, colon, asterisk, question mark, double
// quote, angle bracket, bar and full stop becomes "_".
std::string ReplaceBadChars(std::string text);

// The name rule: keep the source's name (trackRule false) or "Track<n>".
// Steps "_1", "_2"... (or the track number) while the name is taken (unless
// `overwrite`) or equals the source.
std::string UniqueOutputName(const std::string& folder, const std::string& source, const std::string& extension,
                             int trackIndex, bool overwrite, bool trackRule);

// "mm:ss:ff" with 75 frames a second; minutes are not limited to two digits.
std::string CueTimeText(double seconds);

}  // namespace sondrel::convert
