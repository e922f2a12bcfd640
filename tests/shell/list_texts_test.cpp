#include <gtest/gtest.h>

#include <filesystem>

#include "shell/extensions.h"
#include "shell/folders.h"
#include "shell/list_texts.h"
#include "support/test_support.h"

using namespace sondrel;

TEST(ListTexts, SizeTextBoundaries) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0 Bytes"},          {1000, "1000 Bytes"},  {1024, "1024 Bytes"},     {1025, "1 KB"},
      {1048576, "1024 KB"},    {1048577, "1 MB"},     {3670016, "3 MB"},        {3 * 1048576, "3 MB"},
      {1073741824, "1024 MB"}, {1073741825, "1 GB"},  {5LL << 40, "5120 GB"}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(ListTexts, RowTexts) {
  EXPECT_EQ(LengthText(0), "00:00:00");
  EXPECT_EQ(LengthText(59.999), "00:00:59");
  EXPECT_EQ(LengthText(3 * 3600 + 61.5), "03:01:01");
  EXPECT_EQ(LengthText(25 * 3600 + 5), "01:00:05");  // hours count modulo 24
  EXPECT_EQ(InformationText(44100, 2, 16), "Sampele Rate:44100 Hz,Channel:2,BPS:16bit");
  EXPECT_EQ(InformationText(22050, 1, 0), "Sampele Rate:22050 Hz,Channel:1,BPS:undefined");
  EXPECT_EQ(TypeText(".mp3"), "MP3");
  EXPECT_EQ(TypeText(".Mp+"), "MP+");
  EXPECT_EQ(CdTrackSizeText(60), "10.09 MB");
  EXPECT_EQ(ExtensionOf("/music/a.b/track"), "");
  EXPECT_EQ(ExtensionOf("/music/track.FLAC"), ".FLAC");
  EXPECT_EQ(FileNameOf("/music/x/track.flac"), "track.flac");
}

TEST(Extensions, ScanAndDropTables) {
  for (const char* name : {"a.wv", "a.OFR", "a.m4b", "a.cue", "a.MP+", "a.kar", "a.cda"})
    EXPECT_TRUE(IsSupportedFile(name)) << name;
  for (const char* name : {"a.aiff", "a.xm", "a.adx", "a.aix", "a.umx", "a.txt", "noext"}) {
    EXPECT_FALSE(IsSupportedFile(name)) << name;
  }
  for (const char* name : {"a.aiff", "a.XM", "a.adx", "a.aix", "a.umx", "a.flac"}) EXPECT_TRUE(IsDroppable(name)) << name;
  EXPECT_FALSE(IsDroppable("a.txt"));
}

TEST(Folders, AddSlashAndForceFolder) {
  EXPECT_EQ(AddSlash(""), "");
  EXPECT_EQ(AddSlash("/a"), "/a/");
  EXPECT_EQ(AddSlash("/a/"), "/a/");
  test::TempDir dir;
  const std::string base = dir.path().string() + "/a";
  std::filesystem::create_directory(base);
  EXPECT_TRUE(ForceFolder(base + "/b/c"));
  EXPECT_TRUE(std::filesystem::is_directory(base + "/b/c"));
  EXPECT_TRUE(ForceFolder(base + "/b/c/"));  // already there
  EXPECT_FALSE(ForceFolder("/"));
  EXPECT_FALSE(ForceFolder("relative/path"));
  // A level that cannot be made stops the walk; the levels before it stay.
  test::writeFile(base + "/file", "x");
  EXPECT_FALSE(ForceFolder(base + "/file/sub"));
}
