#include <gtest/gtest.h>

#include "byte_fixtures.h"
#include "formats/ape_tag.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

using test::apeTag;
using test::id3v1Tag;
using test::readAll;
using test::writeAll;

const std::string kAudio(500, '\x33');

TEST(APETag, FooterBeforeAnID3v1TagIsFoundAndTheID3v1TagStaysLast) {
  test::TempDir dir;
  std::string id3v1 = id3v1Tag("v1", "", "", "", "", 1);
  writeAll(dir.file("a.mpc"), kAudio + apeTag({{"Title", "Old"}, {"Artist", "Someone"}}) + id3v1);
  TAPETag tag;
  ASSERT_TRUE(tag.Read(dir.file("a.mpc")));
  EXPECT_TRUE(tag.Present());
  EXPECT_EQ(tag.Version(), 2000u);
  EXPECT_EQ(tag.GetField("title"), "Old");
  EXPECT_EQ(tag.GetField("ARTIST"), "Someone");
  tag.SetField("Title", "New");
  ASSERT_TRUE(tag.Write(dir.file("a.mpc")));
  std::string file = readAll(dir.file("a.mpc"));
  EXPECT_EQ(file, kAudio + apeTag({{"Title", "New"}, {"Artist", "Someone"}}) + id3v1);
}

TEST(APETag, FileWithOnlyAnID3v1TagGetsTheAPETagInFrontOfIt) {
  test::TempDir dir;
  std::string id3v1 = id3v1Tag("v1", "", "", "", "", 1);
  writeAll(dir.file("a.mp3"), kAudio + id3v1);
  TAPETag tag;
  ASSERT_TRUE(tag.Read(dir.file("a.mp3")));
  EXPECT_FALSE(tag.Present());
  tag.AddField("Album", "A");
  ASSERT_TRUE(tag.Write(dir.file("a.mp3")));
  EXPECT_EQ(readAll(dir.file("a.mp3")), kAudio + apeTag({{"Album", "A"}}) + id3v1);
}

TEST(APETag, Version1TagWithoutHeaderIsReplacedWithoutTouchingTheBytesBeforeIt) {
  test::TempDir dir;
  // The last 32 audio bytes look like nothing in particular and must stay.
  writeAll(dir.file("a.ape"), kAudio + apeTag({{"Title", "v1"}}, 1000, false));
  TAPETag tag;
  ASSERT_TRUE(tag.Read(dir.file("a.ape")));
  EXPECT_EQ(tag.Version(), 1000u);
  ASSERT_TRUE(tag.Write(dir.file("a.ape")));
  EXPECT_EQ(readAll(dir.file("a.ape")), kAudio + apeTag({{"Title", "v1"}}));
}

TEST(APETag, AddFieldKeepsTheOlderItemFirst) {
  test::TempDir dir;
  writeAll(dir.file("a.ape"), kAudio + apeTag({{"TITLE", "first"}}));
  TAPETag tag;
  ASSERT_TRUE(tag.Read(dir.file("a.ape")));
  tag.AddField("Title", "second");
  EXPECT_EQ(tag.GetField("title"), "first");
  ASSERT_EQ(tag.Items().size(), 2u);
  ASSERT_TRUE(tag.Write(dir.file("a.ape")));
  TAPETag back;
  ASSERT_TRUE(back.Read(dir.file("a.ape")));
  EXPECT_EQ(back.Items().size(), 2u);
  EXPECT_EQ(back.GetField("Title"), "first");
}

TEST(APETag, TextIsUtf8BothWaysAndBinaryItemsSurviveARewrite) {
  test::TempDir dir;
  std::string binary("\x00\xFF\xFE\x01 cover", 10);
  std::string body = test::le32s(static_cast<uint32_t>(binary.size())) + test::le32s(2) + "Cover Art (Front)" + '\0' + binary;
  std::string footer = "APETAGEX" + test::le32s(2000) + test::le32s(static_cast<uint32_t>(body.size() + 32)) +
                       test::le32s(1) + test::le32s(0) + std::string(8, '\0');
  writeAll(dir.file("a.ape"), kAudio + body + footer);
  TAPETag tag;
  ASSERT_TRUE(tag.Read(dir.file("a.ape")));
  tag.AddField("Artist", "Caf\xC3\xA9");
  ASSERT_TRUE(tag.Write(dir.file("a.ape")));
  std::string file = readAll(dir.file("a.ape"));
  EXPECT_NE(file.find(test::le32s(5) + test::le32s(0) + "Artist" + '\0' + "Caf\xC3\xA9"), std::string::npos);
  EXPECT_NE(file.find(test::le32s(10) + test::le32s(2) + "Cover Art (Front)" + '\0' + binary), std::string::npos);
  TAPETag back;
  ASSERT_TRUE(back.Read(dir.file("a.ape")));
  EXPECT_EQ(back.GetField("artist"), "Caf\xC3\xA9");
}

TEST(APETag, LongValuesAreCutAt8193BytesWhenRead) {
  test::TempDir dir;
  writeAll(dir.file("a.ape"), kAudio + apeTag({{"Cuesheet", std::string(9000, 'c')}}));
  TAPETag tag;
  ASSERT_TRUE(tag.Read(dir.file("a.ape")));
  EXPECT_EQ(tag.GetField("CUESHEET").size(), 8193u);
}

TEST(APETag, AFooterWhoseSizeCannotBeRightIsLeftAlone) {
  test::TempDir dir;
  std::string footer = "APETAGEX" + test::le32s(2000) + test::le32s(100000) + test::le32s(1) +
                       test::le32s(0x80000000u) + std::string(8, '\0');
  std::string original = kAudio + footer;
  writeAll(dir.file("a.ape"), original);
  TAPETag tag;
  ASSERT_TRUE(tag.Read(dir.file("a.ape")));
  EXPECT_TRUE(tag.Present());
  EXPECT_TRUE(tag.Items().empty());
  tag.AddField("Title", "x");
  EXPECT_FALSE(tag.Write(dir.file("a.ape")));
  EXPECT_EQ(readAll(dir.file("a.ape")), original);
}

TEST(APETag, ItemCountLargerThanTheTagStopsAtTheTagEnd) {
  test::TempDir dir;
  std::string tag = apeTag({{"Title", "t"}});
  tag.replace(tag.size() - 16, 4, test::le32s(0xFFFFFFFFu));  // footer item count
  writeAll(dir.file("a.ape"), kAudio + tag);
  TAPETag t;
  ASSERT_TRUE(t.Read(dir.file("a.ape")));
  EXPECT_EQ(t.GetField("Title"), "t");
}

TEST(APETag, ShortFilesCannotHoldAFooter) {
  test::TempDir dir;
  writeAll(dir.file("a.ape"), std::string(32, 'x'));
  TAPETag tag;
  EXPECT_FALSE(tag.Read(dir.file("a.ape")));
  tag.AddField("Title", "t");
  ASSERT_TRUE(tag.Write(dir.file("a.ape")));
  EXPECT_EQ(readAll(dir.file("a.ape")), std::string(32, 'x') + apeTag({{"Title", "t"}}));
}

}  // namespace
}  // namespace sondrel
