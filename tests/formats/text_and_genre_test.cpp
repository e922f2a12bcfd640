#include <gtest/gtest.h>

#include "formats/genres.h"
#include "formats/text_encoding.h"

namespace sondrel {
namespace {

ByteView view(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

TEST(TextEncoding, LegacyBytesAreUtf8WhenValidElseLatin1) {
  struct Case {
    std::string bytes, utf8;
  } cases[] = {
      {"plain", "plain"},
      {"Caf\xC3\xA9", "Caf\xC3\xA9"},             // already UTF-8
      {"Caf\xE9", "Caf\xC3\xA9"},                 // Latin-1 e acute
      {"\xC3", "\xC3\x83"},                       // a lone lead byte is Latin-1
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // encoded surrogate is not UTF-8
  };
  for (const auto& c : cases) EXPECT_EQ(legacyToUtf8(view(c.bytes)), c.utf8) << c.bytes;
}

TEST(TextEncoding, FixedFieldDropsACharacterCutByTheFieldEnd) {
  EXPECT_EQ(fixedFieldToUtf8(view("ab\xE6\x97")), "ab");
  EXPECT_EQ(fixedFieldToUtf8(view("ab\xE6\x97\xA5")), "ab\xE6\x97\xA5");
  EXPECT_EQ(fixedFieldToUtf8(view("a\xE9" "b")), "a\xC3\xA9" "b");
}

TEST(TextEncoding, Utf16BothByteOrdersAndSurrogates) {
  EXPECT_EQ(utf16ToUtf8(view(std::string("A\0\xFF\0", 4)), false), "A\xC3\xBF");  // U+00FF survives
  EXPECT_EQ(utf16ToUtf8(view(std::string("\0A\x01\xFF", 4)), true), "A\xC7\xBF");
  EXPECT_EQ(utf16ToUtf8(view(std::string("\x3D\xD8\x00\xDE", 4)), false), "\xF0\x9F\x98\x80");
  EXPECT_EQ(utf16ToUtf8(view(std::string("\x3D\xD8", 2)), false), "\xEF\xBF\xBD");
}

TEST(TextEncoding, Latin1OutOnlyWhenItFits) {
  EXPECT_EQ(utf8ToLatin1("Caf\xC3\xA9").value(), "Caf\xE9");
  EXPECT_FALSE(utf8ToLatin1("\xE6\x97\xA5").has_value());
  EXPECT_EQ(utf8ToLatin1Lossy("a\xE6\x97\xA5z"), "a?z");
}

TEST(TextEncoding, CuttingKeepsWholeCharacters) {
  EXPECT_EQ(utf8CutBytes("a\xC3\xA9", 2), "a");
  EXPECT_EQ(utf8Prefix("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(trimControl(" \t x \r\n"), "x");
}

TEST(Genres, LookupIgnoresCaseAndMissesGive255) {
  EXPECT_EQ(GenreTable().size(), 148u);
  EXPECT_EQ(GenreIndexOf("rock"), 17);
  EXPECT_EQ(GenreIndexOf("Psychadelic"), 67);
  EXPECT_EQ(GenreIndexOf("Bebob"), 85);
  EXPECT_EQ(GenreIndexOf("A capella"), 123);
  EXPECT_EQ(GenreIndexOf("Synthpop"), 147);
  EXPECT_EQ(GenreIndexOf("Polka Techno"), 255);
  EXPECT_EQ(GenreIndexOf(""), 255);
  EXPECT_EQ(GenreName(17), "Rock");
  EXPECT_EQ(GenreName(148), "");
  EXPECT_EQ(GenreName(255), "");
}

}  // namespace
}  // namespace sondrel
