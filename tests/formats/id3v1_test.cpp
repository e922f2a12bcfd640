#include <gtest/gtest.h>

#include "byte_fixtures.h"
#include "formats/id3v1.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

using test::id3v1Tag;
using test::readAll;
using test::writeAll;

const std::string kAudio(1000, '\x55');

std::string lyricsBlock(const std::string& fields) {
  std::string body = "LYRICSBEGIN" + fields;
  char size[8];
  std::snprintf(size, sizeof size, "%06zu", body.size());
  return body + size + "LYRICS200";
}

TEST(ID3v1, RevisionFromTheTwoBytesBeforeTheGenre) {
  struct Case {
    char b125, b126;
    int revision;
    size_t commentLength;
    int track;
  } cases[] = {
      {0, 5, 2, 28, 5},
      {0, 0, 1, 30, 0},
      {' ', 'x', 2, 28, 'x'},
      {' ', ' ', 1, 30, 0},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    std::string comment(30, 'c');
    comment[28] = c.b125;
    comment[29] = c.b126;
    writeAll(dir.file("a.mp3"), kAudio + id3v1Tag("Title", "Artist", "Album", "1999", comment, 17));
    TID3v1 tag;
    ASSERT_TRUE(tag.Read(dir.file("a.mp3")));
    EXPECT_TRUE(tag.Present());
    EXPECT_EQ(tag.Revision(), c.revision);
    EXPECT_EQ(tag.Track(), c.track);
    std::string expected = std::string(c.commentLength, 'c');
    if (c.commentLength == 30) expected = comment.substr(0, 30);
    while (!expected.empty() && static_cast<unsigned char>(expected.back()) <= 32) expected.pop_back();
    EXPECT_EQ(tag.Comment(), expected);
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Year(), "1999");
    EXPECT_EQ(tag.GenreName(), "Rock");
  }
}

TEST(ID3v1, GenreIndexOutsideTheTableReadsAsEmptyName) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), kAudio + id3v1Tag("", "", "", "", "", 148));
  TID3v1 tag;
  ASSERT_TRUE(tag.Read(dir.file("a.mp3")));
  EXPECT_EQ(tag.GenreIndex(), 148);
  EXPECT_EQ(tag.GenreName(), "");
}

TEST(ID3v1, Lyrics3FieldsSupersedeTheShortFieldsAndNormaliseLineEnds) {
  test::TempDir dir;
  std::string longTitle(40, 'T');
  std::string fields = "IND00002" "10" "ETT00040" + longTitle + "LYR00003a\rb" "AUT00004 Bob" "IMG00003 x ";
  writeAll(dir.file("a.mp3"), kAudio + lyricsBlock(fields) + id3v1Tag(longTitle.substr(0, 30), "", "", "", "", 1));
  TID3v1 tag;
  ASSERT_TRUE(tag.Read(dir.file("a.mp3")));
  EXPECT_TRUE(tag.HasLyrics3());
  EXPECT_EQ(tag.Lyrics3Size(), static_cast<int64_t>(11 + fields.size()));
  EXPECT_EQ(tag.FullTitle(), longTitle);
  EXPECT_EQ(tag.Lyrics(), "a\r\nb");
  EXPECT_EQ(tag.Author(), "Bob");
  EXPECT_EQ(tag.ImageLink(), " x ");
  EXPECT_EQ(tag.TagTotalSize(), tag.Lyrics3Size() + 15 + 128);
}

TEST(ID3v1, Lyrics3SizeThatPointsOutsideTheFileMeansNoBlock) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), "xx" "999999LYRICS200" + id3v1Tag("t", "", "", "", "", 1));
  TID3v1 tag;
  ASSERT_TRUE(tag.Read(dir.file("a.mp3")));
  EXPECT_FALSE(tag.HasLyrics3());
  EXPECT_EQ(tag.Lyrics3Size(), 0);
}

TEST(ID3v1, FilesShorterThanATagHaveNoTagAndCanGetOne) {
  test::TempDir dir;
  writeAll(dir.file("short.mp3"), "abc");
  TID3v1 tag;
  ASSERT_TRUE(tag.Read(dir.file("short.mp3")));
  EXPECT_FALSE(tag.Present());
  tag.SetTitle("T");
  ASSERT_TRUE(tag.Save(dir.file("short.mp3")));
  EXPECT_EQ(readAll(dir.file("short.mp3")), "abc" + id3v1Tag("T", "", "", "", "", 255));
}

TEST(ID3v1, LongTitleIsCutInTheTagAndKeptWholeInLyrics3) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), kAudio);
  std::string title = "0123456789012345678901234567890123456789";
  TID3v1 tag;
  tag.SetTitle(title);
  tag.SetGenre("rock");
  tag.SetLyrics("la la");
  tag.SetTrack(7);
  ASSERT_TRUE(tag.Save(dir.file("a.mp3")));
  std::string file = readAll(dir.file("a.mp3"));
  EXPECT_EQ(file.substr(0, kAudio.size()), kAudio);
  EXPECT_EQ(file.substr(file.size() - 128 + 3, 30), title.substr(0, 30));
  EXPECT_EQ(static_cast<uint8_t>(file.back()), 17);
  EXPECT_EQ(file[file.size() - 3], '\0');
  EXPECT_EQ(file[file.size() - 2], 7);

  TID3v1 back;
  ASSERT_TRUE(back.Read(dir.file("a.mp3")));
  EXPECT_EQ(back.FullTitle(), title);
  EXPECT_EQ(back.Lyrics(), "la la");
  EXPECT_EQ(back.Track(), 7);
  EXPECT_EQ(back.GenreName(), "Rock");
}

TEST(ID3v1, SaveReplacesALyricsOnlyBlockWithABareTag) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), kAudio + lyricsBlock("IND0000200" "INF00004note"));
  TID3v1 tag;
  tag.SetTitle("New");
  ASSERT_TRUE(tag.Save(dir.file("a.mp3")));
  EXPECT_EQ(readAll(dir.file("a.mp3")), kAudio + id3v1Tag("New", "", "", "", "", 255));
  EXPECT_TRUE(tag.Present());
  EXPECT_FALSE(tag.HasLyrics3());
}

TEST(ID3v1, TextOutsideLatin1IsWrittenAsLatin1OrQuestionMarks) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), kAudio);
  TID3v1 tag;
  tag.SetArtist("Caf\xC3\xA9");
  tag.SetAlbum("\xE6\x97\xA5\xE6\x9C\xAC");
  ASSERT_TRUE(tag.Save(dir.file("a.mp3")));
  std::string file = readAll(dir.file("a.mp3"));
  EXPECT_EQ(file.substr(file.size() - 128 + 33, 5), std::string("Caf\xE9\0", 5));
  EXPECT_EQ(file.substr(file.size() - 128 + 63, 3), std::string("??\0", 3));
  TID3v1 back;
  ASSERT_TRUE(back.Read(dir.file("a.mp3")));
  EXPECT_EQ(back.Artist(), "Caf\xC3\xA9");
}

TEST(ID3v1, ValuesReadFromAnotherFileAreNotWrittenIntoThisOne) {
  test::TempDir dir;
  writeAll(dir.file("source.mp3"),
           kAudio + lyricsBlock("IND0000210" "LYR00005words" "AUT00003Ann") + id3v1Tag("S", "", "", "", std::string(28, 'c') + std::string("\0\x09", 2), 1));
  writeAll(dir.file("target.mp3"), kAudio);
  TID3v1 tag;
  ASSERT_TRUE(tag.Read(dir.file("source.mp3")));
  EXPECT_EQ(tag.Track(), 9);
  tag.SetTitle("Copied title");
  ASSERT_TRUE(tag.Save(dir.file("target.mp3")));
  TID3v1 back;
  ASSERT_TRUE(back.Read(dir.file("target.mp3")));
  EXPECT_EQ(back.Title(), "Copied title");
  EXPECT_EQ(back.Track(), 0);
  EXPECT_FALSE(back.HasLyrics3());
  EXPECT_EQ(back.Lyrics(), "");
}

TEST(ID3v1, RemoveTakesTagAndLyricsAndLeavesTheAudio) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), kAudio + lyricsBlock("IND0000200" "EAR00031" + std::string(31, 'A')) + id3v1Tag("t", "", "", "", "", 1));
  TID3v1 tag;
  ASSERT_TRUE(tag.Remove(dir.file("a.mp3")));
  EXPECT_EQ(readAll(dir.file("a.mp3")), kAudio);
  ASSERT_TRUE(tag.Remove(dir.file("a.mp3")));  // nothing left: succeeds untouched
  EXPECT_EQ(readAll(dir.file("a.mp3")), kAudio);
}

TEST(ID3v1, MissingFileIsAFailure) {
  TID3v1 tag;
  EXPECT_FALSE(tag.Read("/nonexistent/x.mp3"));
  EXPECT_FALSE(tag.Save("/nonexistent/x.mp3"));
}

}  // namespace
}  // namespace sondrel
