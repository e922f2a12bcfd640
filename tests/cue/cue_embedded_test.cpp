// Audio files that keep a cue sheet in the "Cuesheet" item of their APE tag.
// Tags are written by independent writers: TagLib, and the wavpack encoder.
#include <apetag.h>

#include <fstream>

#include "cue_fixture.h"
#include "shell/embedded_cue.h"

using namespace sondrel;
using namespace sondrel::test;

namespace {

constexpr RowKind kTrack = RowKind::CueTrack;

const char* const kSheetWithPregap =
    "PERFORMER \"Disc Artist\"\r\nTITLE \"Disc\"\r\nFILE \"whatever.wav\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    INDEX 00 04:10:00\r\n    INDEX 01 04:12:40\r\n"
    "  TRACK 03 AUDIO\r\n    TITLE \"Three\"\r\n    INDEX 01 09:01:10\r\n";

// Appends an APE tag holding one item; `version` 1000 marks it as a 1.0 tag.
void appendApeTag(const std::string& path, const std::string& name, const std::string& value, int version = 2000) {
  TagLib::APE::Tag tag;
  tag.addValue(name, TagLib::String(value, TagLib::String::UTF8));
  const TagLib::ByteVector rendered = tag.render();
  std::string bytes(rendered.data(), rendered.size());
  for (size_t at = bytes.find("APETAGEX"); at != std::string::npos; at = bytes.find("APETAGEX", at + 8)) {
    bytes[at + 8] = static_cast<char>(version & 0xFF);
    bytes[at + 9] = static_cast<char>(version >> 8);
  }
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

struct EmbeddedFixture : CueFixture {
  void SetUp() override {
    if (!canReadEmbeddedCue()) GTEST_SKIP() << "this build leaves the tag readers out";
  }
  std::string taggedImage(const std::string& sheetText, const std::string& itemName = "Cuesheet") {
    const std::string path = image("image.flac");
    appendApeTag(path, itemName, sheetText);
    return path;
  }
};

TEST_F(EmbeddedFixture, SheetInTagGivesTrackRowsWithoutThePregaps) {
  const std::string img = taggedImage(kSheetWithPregap);
  list.addFile(img);
  EXPECT_EQ(rows(), (std::vector<TrackRow>{{"One", "00:04:10", 0, 250, kTrack},
                                           {"Two", "00:04:49", 252, 289, kTrack},
                                           {"Three", "00:01:11", 541, 71, kTrack}}));
  for (int i = 0; i < list.rowCount(); ++i) {
    EXPECT_EQ(list.row(i).item->fileName, img);
    EXPECT_EQ(list.row(i).item->cueSheet, 0);
    EXPECT_EQ(list.row(i).typeText, "FLAC");
  }
  EXPECT_EQ(reader.slot(0)->discPerformer, "Disc Artist");
  EXPECT_TRUE(port.infos.empty());  // the FILE line of a sheet in a tag is not looked for
  // The second addition finds the path listed and adds nothing.
  list.addFile(img);
  EXPECT_EQ(list.rowCount(), 3);
  EXPECT_EQ(reader.lastCueSheet(), 0);
}

TEST_F(EmbeddedFixture, WavPackFileTaggedByItsEncoder) {
  const std::string cue = sheet("for-tag.cue",
                                "FILE \"x.wav\" WAVE\nTRACK 01 AUDIO\nTITLE \"a\"\nINDEX 01 00:00:00\n"
                                "TRACK 02 AUDIO\nTITLE \"b\"\nINDEX 01 00:01:00\nTRACK 03 AUDIO\nTITLE \"c\"\nINDEX 01 00:02:00\n");
  const std::string wv = dir.file("tagged.wv");
  const ProcessResult made =
      run({"wavpack", "-q", "-y", "-w", "Cuesheet=@" + cue, fixture("s16_44100_2.wav"), "-o", wv});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  list.addFile(wv);
  EXPECT_EQ(rows(), (std::vector<TrackRow>{{"a", "00:00:01", 0, 1, kTrack},
                                           {"b", "00:00:01", 1, 1, kTrack},
                                           {"c", "00:00:01", 2, 1, kTrack}}));
  EXPECT_EQ(list.row(0).typeText, "WV");
}

TEST_F(EmbeddedFixture, SheetLongerThanTagReadersShowIsReadWhole) {
  std::string text = "FILE \"x.wav\" WAVE\n";
  for (int t = 1; t <= 150; ++t) {
    char track[160];
    std::snprintf(track, sizeof track,
                  "  TRACK %02d AUDIO\n    TITLE \"Track number %d of a long sheet\"\n    PERFORMER \"Someone\"\n"
                  "    INDEX 01 %02d:%02d:00\n",
                  t, t, (t - 1) * 4 / 60, (t - 1) * 4 % 60);
    text += track;
  }
  ASSERT_GT(text.size(), 8193u);
  list.addFile(taggedImage(text, "cuesheet"));  // item names ignore letter case
  ASSERT_EQ(list.rowCount(), 150);
  EXPECT_EQ(rows()[149], (TrackRow{"Track number 150 of a long sheet", "00:00:16", 596, 16, kTrack}));
}

TEST_F(EmbeddedFixture, FilesWithoutAUsableSheetAreOrdinaryRows) {
  for (const auto& [name, version, value] :
       std::vector<std::tuple<std::string, int, std::string>>{{"Cuesheet", 1000, kSheetWithPregap},
                                                              {"Comment", 2000, kSheetWithPregap},
                                                              {"CUESHEET", 2000, " \r\n\t"}}) {
    TempDir d;
    const std::string path = d.file("image.flac");
    std::filesystem::copy_file(fixture("image612.flac"), path);
    appendApeTag(path, name, value, version);
    list.clear();
    list.addFile(path);
    ASSERT_EQ(list.rowCount(), 1) << name << " " << version;
    EXPECT_EQ(list.row(0).caption, "image.flac");
    EXPECT_EQ(list.row(0).item->rowKind, RowKind::File);
  }
  list.clear();
  list.addFile(fixture("lossless.flac"));  // no tag at all
  EXPECT_EQ(list.rowCount(), 1);
  EXPECT_EQ(reader.lastCueSheet(), -1);
}

TEST_F(EmbeddedFixture, SheetWithoutTracksLeavesTheFileOut) {
  list.addFile(taggedImage("REM only a remark\r\nTITLE \"No tracks\"\r\n"));
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_TRUE(port.errors.empty());
  EXPECT_TRUE(port.infos.empty());
}

}  // namespace
