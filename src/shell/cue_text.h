// Turns the bytes of a cue sheet into lines of UTF-8 text. Sheets come from
// many programs: UTF-8 with or without a byte-order mark, a Windows code page,
// UTF-16 with a byte-order mark, and any of the three kinds of line end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

// Real sheets are a few kilobytes even for hundreds of tracks; anything larger
// is not a cue sheet, and refusing it keeps the work and memory bounded.
constexpr size_t kMaxCueSheetBytes = 1024 * 1024;

// The lines without their line ends; empty lines are left out. A line that is not valid UTF-8 is read as
// Windows-1252, so accented titles of older sheets keep their letters.
std::vector<std::string> cueSheetLines(std::string_view bytes);

}  // namespace sondrel
