// Where each track of a sheet lies in its audio file, in whole seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "shell/cue_sheet.h"

namespace sondrel {

// Whole seconds of an index time "mm:ss:ff"; the frames are dropped. Nothing
// when the minutes or seconds are not plain decimal numbers, when there is no
// colon, or when the time does not fit a track start.
std::optional<int32_t> CueSeconds(std::string_view time);

// Whole seconds of a file's duration, as its length column shows it.
int64_t WholeSeconds(double duration);

struct TrackSpan {
  int32_t start = 0;
  int32_t length = 0;
};

struct TrackSpanResult {
  std::optional<TrackSpan> span;
  std::string badTime;  // the index time that is not valid, when span is empty
};

// True when track `i` ends where the next track of the sheet begins, that is
// when the next track lies in the same audio file.
bool endsAtNextTrack(const CueSheetSlot& slot, size_t i, CueVariant variant);

// The stretch of track `i` in a file of `fileSeconds` whole seconds: from its
// INDEX 01 to the next track's start mark, or to the end of the file. The
// next track's start mark is its INDEX 01 in a sheet read from a file and its
// INDEX 00, when given, in a sheet kept in a tag. Times that do not increase
// give length 0.
TrackSpanResult trackSpan(const CueSheetSlot& slot, size_t i, CueVariant variant, int64_t fileSeconds);

}  // namespace sondrel
