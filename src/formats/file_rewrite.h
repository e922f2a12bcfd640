// How tag writers change a user's file without risking it.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "formats/bytes.h"
#include "formats/input_file.h"

namespace sondrel {

// Builds the file's new contents in a fresh temporary file beside it and
// renames that over the original, so a failure at any step leaves the original
// untouched. `write` gets the original opened for reading and the temporary
// file's stream; it returns false to abandon the change. The new file keeps
// the original's permission bits; a symbolic link is followed, not replaced.
bool rewriteFile(const std::string& path, const std::function<bool(InputFile& original, std::ostream& out)>& write);

// For libraries that edit a file themselves: copies the file beside it, lets
// `edit` change the copy by its path, and renames the copy over the original
// only when the edit succeeded.
bool editCopyThenReplace(const std::string& path, const std::function<bool(const std::string& copyPath)>& edit);

// Copies bytes [from, to) of `in` to `out`.
bool copyRange(InputFile& in, int64_t from, int64_t to, std::ostream& out);

// Overwrites `data` at `offset` inside the existing file without changing its
// length. A file without write permission for its owner is made writable for
// the write and gets its permissions back afterwards.
bool overwriteInPlace(const std::string& path, int64_t offset, ByteView data);

}  // namespace sondrel
