// Skins are Qt style sheets in the skin folder beside the program; a hue
// offset turns every colour of the sheet round the colour wheel.
#pragma once

#include <QString>
#include <string>

namespace sondrel {

// The skin names by number; numbers outside 0..5 give "beijing".
QString skinName(int number);
// Reads the sheet of `name` from `skinFolder`, with its colours turned by
// `hueDegrees`. Empty when there is no such sheet.
QString loadSkin(const std::string& skinFolder, const QString& name, int hueDegrees);
// Turns each "#rrggbb" colour of a style sheet by `hueDegrees`.
QString rotateHues(const QString& sheet, int hueDegrees);
// The integer key "skin" of section "misc" of an INI file, or `fallback`.
int readSkinNumber(const std::string& iniPath, int fallback);

}  // namespace sondrel
