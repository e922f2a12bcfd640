// Text inside the program is UTF-8. These helpers bring tag text from the
// encodings files use into UTF-8 and back out, and trim and cut it without
// splitting a character.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/bytes.h"

namespace sondrel {

std::string latin1ToUtf8(ByteView bytes);
bool isValidUtf8(ByteView bytes);

// Legacy text whose encoding is not declared reliably: taken as UTF-8 when it
// is valid UTF-8, otherwise as Latin-1, so no byte turns into garbage.
std::string legacyToUtf8(ByteView bytes);

// As legacyToUtf8 for a fixed-size field: a UTF-8 character cut off by the
// field's end is dropped instead of turning the whole field into Latin-1.
std::string fixedFieldToUtf8(ByteView bytes);

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(ByteView bytes, bool bigEndian);

// UTF-8 to Latin-1 when every character fits, else nothing.
std::optional<std::string> utf8ToLatin1(std::string_view text);
// UTF-8 to Latin-1, characters outside Latin-1 written as '?'.
std::string utf8ToLatin1Lossy(std::string_view text);
// UTF-8 to UTF-16 little-endian bytes (no byte-order mark).
Bytes utf8ToUtf16le(std::string_view text);

// Removes characters of code 32 or less (blanks and control characters).
std::string trimControl(std::string_view text);
std::string trimControlRight(std::string_view text);

size_t utf8Length(std::string_view text);
// The first `maxChars` characters.
std::string utf8Prefix(std::string_view text, size_t maxChars);
// At most `maxBytes` bytes, cut before a character that would not fit.
std::string utf8CutBytes(std::string_view text, size_t maxBytes);

bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::string toUpperAscii(std::string_view text);

// Whole-string decimal number of at most `maxDigits` digits, no sign or blanks.
std::optional<uint32_t> parseDigits(std::string_view text, size_t maxDigits = 9);
// Delphi-style number: optional blanks and sign around digits; nothing else.
std::optional<int64_t> parseInteger(std::string_view text);

}  // namespace sondrel
