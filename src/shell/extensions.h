// The extension tables that decide what the folder scan, the command line and
// dropping accept, and the open dialog's filter.
#pragma once

#include <string>

namespace sondrel {

// Folder scan and command line: 27 extensions.
bool IsSupportedFile(const std::string& name);
// Dropping from the file manager: the 27 plus ADX, AIX, AIFF and modules.
bool IsDroppable(const std::string& name);
// Lower-case extension with its dot, taken from the last dot of the name.
std::string LowerExtension(const std::string& name);

// The open dialog's filter in the "Label|patterns|Label|patterns" form.
extern const char* const kOpenDialogFilter;

}  // namespace sondrel
