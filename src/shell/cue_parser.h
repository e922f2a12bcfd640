// Reads the lines of a cue sheet into a slot: the disc data and the tracks.
#pragma once

#include <string>
#include <vector>

#include "shell/cue_sheet.h"

namespace sondrel {

// Commands are recognised by the first word of a line, so a title that happens
// to hold a command word ("FILE 13") stays a title. Tracks are taken in their
// numbering order from 1; a gap ends the tracks. A track without an INDEX 01
// of its own takes the values up to the next INDEX 01 of the sheet.
CueSheetSlot parseCueSheet(const std::vector<std::string>& lines, CueVariant variant);

}  // namespace sondrel
