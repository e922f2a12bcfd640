// The cue sheet an audio file keeps in the "Cuesheet" item of its APE tag.
#pragma once

#include <optional>
#include <string>

namespace sondrel {

enum class EmbeddedCueState {
  None,      // no APE 2.0 tag, or no "Cuesheet" item with text in it
  Sheet,     // `text` holds the sheet as stored
  TooLarge,  // an item too large to be a cue sheet: it is not read
};

struct EmbeddedCue {
  EmbeddedCueState state = EmbeddedCueState::None;
  std::string text;
};

// The whole item is read, not the shortened value tag readers show, so a
// sheet of many tracks keeps its last tracks.
EmbeddedCue readEmbeddedCue(const std::string& path);

// False in a build without the tag readers; every file then reads as None.
bool canReadEmbeddedCue();

}  // namespace sondrel
