// Finds the audio file a cue sheet names.
#pragma once

#include <optional>
#include <string>

namespace sondrel {

struct LocatedAudio {
  std::optional<std::string> path;  // the file found
  std::string searched;             // the sheet's folder and the name, for the message when none is found
};

// An absolute name is taken as written; a relative one lies beside the sheet
// (never in the program's current folder, which has nothing to do with the
// sheet). When no file has exactly that name, one whose name differs only in
// letter case is taken, since sheets made on other systems often spell the
// extension differently. A name written with backslashes, as Windows programs
// write it, is also tried with slashes and by its last part beside the sheet.
LocatedAudio locateCueAudioFile(const std::string& name, const std::string& cuePath);

}  // namespace sondrel
