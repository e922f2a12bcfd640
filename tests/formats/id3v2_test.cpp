#include <gtest/gtest.h>

#include <filesystem>

#include "byte_fixtures.h"
#include "formats/id3v2.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

using test::id3v2Frame;
using test::id3v2Tag;
using test::readAll;
using test::writeAll;

const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(2000, '\x11');

std::string latin1Text(const std::string& s) { return std::string(1, '\0') + s; }

TID3v2 readTag(const std::string& path) {
  TID3v2 tag;
  EXPECT_TRUE(tag.Read(path));
  return tag;
}

TEST(ID3v2, TextEncodingsOfEveryVersion) {
  struct Case {
    int version;
    std::string body;
    std::string title;
  } cases[] = {
      {3, latin1Text("Caf\xE9"), "Caf\xC3\xA9"},
      {3, std::string("\x01\xFF\xFE" "A\0\xFF\0", 7), "A\xC3\xBF"},        // UTF-16 LE, U+00FF kept
      {3, std::string("\x01\xFE\xFF\0A\0B", 7), "AB"},                     // UTF-16 BE
      {4, std::string("\x03") + "\xE6\x97\xA5 x", "\xE6\x97\xA5 x"},      // UTF-8
      {4, std::string("\x02\0X\0Y", 5), "XY"},                             // UTF-16 BE without BOM
      {2, latin1Text("  old  "), "old"},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    writeAll(dir.file("a.mp3"), id3v2Tag(c.version, id3v2Frame(c.version, c.version == 2 ? "TT2" : "TIT2", c.body)) + kAudio);
    EXPECT_EQ(readTag(dir.file("a.mp3")).Title(), c.title) << "version " << c.version;
  }
}

TEST(ID3v2, DerivedFields) {
  struct Case {
    std::string frames;
    std::string genre, year, trackText;
    uint16_t track;
  } cases[] = {
      {id3v2Frame(3, "TCON", latin1Text("(17)Rock")), "Rock", "", "", 0},
      {id3v2Frame(3, "TCON", latin1Text("(17)")), "Rock", "", "", 0},
      {id3v2Frame(3, "TCON", latin1Text("Rock")), "Rock", "", "", 0},
      {id3v2Frame(3, "TCON", latin1Text("(200)")), "", "", "", 0},
      {id3v2Frame(3, "TRCK", latin1Text("3/12")), "", "", "3/12", 3},
      {id3v2Frame(3, "TRCK", latin1Text("x")), "", "", "x", 0},
      {id3v2Frame(4, "TDRC", latin1Text("2004-05-01")), "", "2004", "", 0},
      {id3v2Frame(4, "TDRC", latin1Text("2004")) + id3v2Frame(4, "TYER", latin1Text("1999")), "", "1999", "", 0},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    writeAll(dir.file("a.mp3"), id3v2Tag(4, c.frames) + kAudio);
    TID3v2 tag = readTag(dir.file("a.mp3"));
    EXPECT_EQ(tag.Genre(), c.genre);
    EXPECT_EQ(tag.Year(), c.year);
    EXPECT_EQ(tag.TrackText(), c.trackText);
    EXPECT_EQ(tag.Track(), c.track);
  }
}

TEST(ID3v2, CommentLinkAndFallbackFrames) {
  test::TempDir dir;
  std::string frames = id3v2Frame(3, "COMM", std::string("\0eng" "desc\0" "the comment", 20)) +
                       id3v2Frame(3, "WXXX", std::string("\x01\xFF\xFE" "d\0\0\0" "http://x", 15)) +
                       id3v2Frame(3, "TOPE", latin1Text("Original")) + id3v2Frame(3, "TIT1", latin1Text("Group"));
  writeAll(dir.file("a.mp3"), id3v2Tag(3, frames) + kAudio);
  TID3v2 tag = readTag(dir.file("a.mp3"));
  EXPECT_EQ(tag.Comment(), "the comment");
  EXPECT_EQ(tag.Link(), "http://x");
  EXPECT_EQ(tag.Artist(), "Original");
  EXPECT_EQ(tag.Title(), "Group");
}

TEST(ID3v2, LongBodiesAreCutTo500BytesAndLargeV24FramesAreWalked) {
  test::TempDir dir;
  std::string big(600, 'b');
  // The 600-byte frame needs a synchsafe size in version 2.4; the title after
  // it is only found when that size is read right.
  std::string frames = id3v2Frame(4, "TALB", latin1Text(big)) + id3v2Frame(4, "TIT2", latin1Text("after"));
  writeAll(dir.file("a.mp3"), id3v2Tag(4, frames) + kAudio);
  TID3v2 tag = readTag(dir.file("a.mp3"));
  EXPECT_EQ(tag.Album(), std::string(499, 'b'));
  EXPECT_EQ(tag.Title(), "after");
}

TEST(ID3v2, ExtendedHeaderIsSkippedAndCompressedFramesIgnored) {
  test::TempDir dir;
  std::string ext = test::be32s(6) + std::string(6, '\0');
  std::string frames = ext + id3v2Frame(3, "TPE1", latin1Text("zipped"), 0x80) + id3v2Frame(3, "TIT2", latin1Text("T"));
  writeAll(dir.file("a.mp3"), id3v2Tag(3, frames, 0, 0x40) + kAudio);
  TID3v2 tag = readTag(dir.file("a.mp3"));
  EXPECT_EQ(tag.Title(), "T");
  EXPECT_EQ(tag.Artist(), "");
}

TEST(ID3v2, SizeIncludesHeaderAndFooterAndIsZeroWhenLargerThanTheFile) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), id3v2Tag(4, "", 100, 0x10) + std::string(10, 'F') + kAudio);
  EXPECT_EQ(readTag(dir.file("a.mp3")).Size(), 120);  // 100 + header + footer
  writeAll(dir.file("b.mp3"), std::string("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10) + kAudio);
  TID3v2 tag = readTag(dir.file("b.mp3"));
  EXPECT_TRUE(tag.Present());
  EXPECT_EQ(tag.Size(), 0);
  writeAll(dir.file("c.mp3"), "ID3");
  TID3v2 shortTag;
  EXPECT_FALSE(shortTag.Read(dir.file("c.mp3")));
}

struct WriteCase {
  std::string name;
  int64_t oldTagSize;  // 0: no tag
  size_t titleLength;
  int64_t newTagSize;
};

class ID3v2Write : public testing::TestWithParam<WriteCase> {};

TEST_P(ID3v2Write, TagSizeAndAudioAfterIt) {
  const auto& c = GetParam();
  test::TempDir dir;
  std::string old = c.oldTagSize ? id3v2Tag(3, id3v2Frame(3, "TIT2", latin1Text("old")),
                                            static_cast<size_t>(c.oldTagSize - 10 - 14))
                                 : "";
  ASSERT_EQ(static_cast<int64_t>(old.size()), c.oldTagSize);
  writeAll(dir.file("a.mp3"), old + kAudio);
  TID3v2 tag;
  tag.SetTitle(std::string(c.titleLength, 't'));
  tag.SetTrack(3);
  ASSERT_TRUE(tag.Write(dir.file("a.mp3")));
  std::string file = readAll(dir.file("a.mp3"));
  ASSERT_EQ(static_cast<int64_t>(file.size()), c.newTagSize + static_cast<int64_t>(kAudio.size()));
  EXPECT_EQ(file.substr(static_cast<size_t>(c.newTagSize)), kAudio);
  TID3v2 back = readTag(dir.file("a.mp3"));
  EXPECT_EQ(back.MajorVersion(), 3);
  EXPECT_EQ(back.Size(), c.newTagSize);
  EXPECT_EQ(back.Title(), std::string(std::min<size_t>(c.titleLength, 499), 't'));
  EXPECT_EQ(back.TrackText(), "3");
}

INSTANTIATE_TEST_SUITE_P(Layouts, ID3v2Write,
                         testing::Values(WriteCase{"InPlace2048", 2048, 300, 2048},
                                         WriteCase{"Rebuild5000To4096", 5000, 300, 4096},
                                         WriteCase{"NoTagGets4096", 0, 300, 4096},
                                         WriteCase{"TooSmallGrows", 100, 300, 4096},
                                         WriteCase{"BigFramesNoPadding", 0, 5000, 10 + 11 + 5000 + 12}),
                         [](const auto& info) { return info.param.name; });

TEST(ID3v2, WritesUtf16WhenTextDoesNotFitLatin1AndKeepsOtherFrames) {
  test::TempDir dir;
  std::string picture = id3v2Frame(4, "APIC", std::string("\0image/png\0\x03\0PNGDATA", 21));
  writeAll(dir.file("a.mp3"), id3v2Tag(4, id3v2Frame(4, "TIT2", latin1Text("old")) + picture, 200) + kAudio);
  TID3v2 tag;
  ASSERT_TRUE(tag.Read(dir.file("a.mp3")));
  tag.SetTitle("\xE6\x97\xA5\xE6\x9C\xAC");
  tag.SetArtist("Caf\xC3\xA9");
  tag.SetComment("\xCE\xB1");
  ASSERT_TRUE(tag.Write(dir.file("a.mp3")));
  std::string file = readAll(dir.file("a.mp3"));
  EXPECT_NE(file.find(std::string("TIT2\0\0\0\x07\0\0\x01\xFF\xFE\xE5\x65", 15)), std::string::npos);
  EXPECT_NE(file.find(std::string("TPE1\0\0\0\x05\0\0\0Caf\xE9", 15)), std::string::npos);
  EXPECT_NE(file.find("PNGDATA"), std::string::npos);
  TID3v2 back = readTag(dir.file("a.mp3"));
  EXPECT_EQ(back.Title(), "\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(back.Artist(), "Caf\xC3\xA9");
  EXPECT_EQ(back.Comment(), "\xCE\xB1");
}

TEST(ID3v2, ReadOnlyFileIsWrittenAndKeepsItsPermissions) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), id3v2Tag(3, "", 1000) + kAudio);
  namespace fs = std::filesystem;
  fs::permissions(dir.file("a.mp3"), fs::perms::owner_read);
  TID3v2 tag;
  tag.SetTitle("ro");
  ASSERT_TRUE(tag.Write(dir.file("a.mp3")));
  EXPECT_EQ(readTag(dir.file("a.mp3")).Title(), "ro");
  EXPECT_EQ(fs::status(dir.file("a.mp3")).permissions(), fs::perms::owner_read);
}

TEST(ID3v2, MissingFileFails) {
  TID3v2 tag;
  EXPECT_FALSE(tag.Read("/nonexistent.mp3"));
  EXPECT_FALSE(tag.Write("/nonexistent.mp3"));
}

}  // namespace
}  // namespace sondrel
