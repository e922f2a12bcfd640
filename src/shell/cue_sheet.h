// A cue sheet as the program keeps it once read: the disc data the tag
// transfer uses for track rows, and the tracks in sheet order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sondrel {

// Where a sheet came from decides whose pregap a gap between tracks is, and
// whether FILE lines name the audio.
enum class CueVariant {
  File,      // a ".cue" file beside its audio
  Embedded,  // the "Cuesheet" item of an audio file's APE tag
};

struct CueTrack {
  std::string trackFile;       // audio file named by the FILE line in effect at INDEX 01
  std::string trackPerformer;
  std::string trackTitle;      // the row caption
  std::string trackIndex00;    // time texts as written, "mm:ss:ff"
  std::string trackIndex01;
  int32_t trackStart = 0;      // whole seconds, once the rows are built
  int32_t trackLength = 0;
};

struct CueSheetSlot {
  bool singleFile = true;      // false when a FILE line follows the first track
  std::string imageFile;       // the FILE named before the first track
  std::string discGenre;
  std::string discDate;
  std::string discPerformer;
  std::string discTitle;
  std::string discComment;
  std::vector<CueTrack> tracks;

  int32_t trackCount() const { return static_cast<int32_t>(tracks.size()); }
};

}  // namespace sondrel
