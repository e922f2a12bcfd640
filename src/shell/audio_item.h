// The record behind each row of the file list.
#pragma once

#include <cstdint>
#include <string>

namespace sondrel {

enum class RowKind : uint8_t {
  Empty = 0,     // before the row is filled
  File = 1,      // a whole file (also a track of a sheet that names one file per track)
  CueTrack = 3,  // one track of a single-file cue sheet, or of a sheet in an APE tag
};

struct TAudioItem {
  RowKind rowKind = RowKind::Empty;
  uint8_t decoder = 0;   // decoder number, see decoders.h
  std::string fileName;  // full path of the audio file
  double duration = 0.0; // seconds, whole file
  int32_t sampleRate = 0;
  int32_t bitsPerSample = 0;  // 0 = not known (lossy or float sources)
  int32_t channels = 0;
  int32_t cueSheet = -1;      // slot of the cue sheet the row came from
  int32_t trackStart = 0;     // seconds from the start of the file
  int32_t trackLength = 0;    // seconds
};

}  // namespace sondrel
