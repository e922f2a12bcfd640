// Sheets that are broken, hostile or absurd: no crash, no hang, bounded
// memory, and no rows unless the sheet really names tracks.
#include <fstream>
#include <random>

#include "cue_fixture.h"
#include "shell/cue_text.h"

using namespace sondrel;
using namespace sondrel::test;
namespace fs = std::filesystem;

namespace {

TEST_F(CueFixture, BinaryGarbageAddsNothing) {
  image("image.flac");
  std::mt19937 random(7);
  std::string bytes(64 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  list.addFile(sheet("garbage.cue", bytes));
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_TRUE(port.errors.empty());
}

TEST_F(CueFixture, OversizedSheetIsRefusedWithoutReadingIt) {
  image("image.flac");
  // 50 MB whose first tracks are real: the size alone refuses it.
  const std::string cue = sheet("huge.cue", sheetWithStarts({"00:00:00", "01:00:00"}));
  fs::resize_file(cue, 50u * 1024 * 1024);
  list.addFile(cue);
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_EQ(reader.lastCueSheet(), -1);

  // Just at the limit it is still read.
  std::string text = sheetWithStarts({"00:00:00", "01:00:00"});
  text += "REM " + std::string(kMaxCueSheetBytes - text.size() - 5, 'x') + "\n";
  ASSERT_EQ(text.size(), kMaxCueSheetBytes);
  list.addFile(sheet("big.cue", text));
  EXPECT_EQ(list.rowCount(), 2);
}

TEST_F(CueFixture, TenThousandTracks) {
  image("image.flac");
  std::string text = "FILE \"image.flac\" WAVE\n";
  for (int t = 1; t <= 10000; ++t) text += "TRACK " + std::to_string(t) + " AUDIO\nINDEX 01 00:00:00\n";
  list.addFile(sheet("many.cue", text));
  ASSERT_EQ(list.rowCount(), 10000);
  EXPECT_EQ(list.row(9999).item->trackLength, 612);
  EXPECT_EQ(list.row(9998).item->trackLength, 0);
}

TEST_F(CueFixture, TenThousandTrackLinesBeforeOneIndex) {
  // Every track waits for the one INDEX 01 at the end: the work must stay
  // linear, not one scan of the rest of the sheet per track.
  image("image.flac");
  std::string text = "FILE \"image.flac\" WAVE\n";
  for (int t = 1; t <= 10000; ++t) text += "TRACK " + std::to_string(t) + " AUDIO\nTITLE \"t\"\n";
  text += "INDEX 01 01:00:00\n";
  list.addFile(sheet("waiting.cue", text));
  ASSERT_EQ(list.rowCount(), 10000);
  EXPECT_EQ(list.row(0).item->trackStart, 60);
  EXPECT_EQ(list.row(9999).item->trackLength, 552);
}

TEST_F(CueFixture, TracksWithoutAnyIndexAddNothing) {
  image("image.flac");
  std::string text = "FILE \"image.flac\" WAVE\n";
  for (int t = 0; t < 10000; ++t) text += "TRACK 01 AUDIO\n";
  list.addFile(sheet("noindex.cue", text));
  EXPECT_EQ(list.rowCount(), 0);
}

TEST_F(CueFixture, BrokenLinesDoNotBreakTheSheet) {
  image("image.flac");
  list.addFile(sheet("broken.cue",
                     "FILE \"image.flac\" WAVE\nTITLE \"never closed\nPERFORMER\nREM\nREM DATE\nTRACK\nTRACK x\n"
                     "INDEX\nINDEX 01\nINDEX 99 00:00:00\n"
                     "TRACK 01 AUDIO\nTITLE \"unclosed title\nPERFORMER \"\"\nINDEX 01 00:00:00\n"
                     "TRACK 02 AUDIO\nTITLE \"ok\"\nINDEX 01 01:00:00\n" +
                         std::string(100000, '"') + "\n" + std::string("\0\0\0\n", 4)));
  EXPECT_EQ(captions(), (std::vector<std::string>{"Track 01", "ok"}));
  EXPECT_TRUE(port.errors.empty());
}

TEST_F(CueFixture, MissingFileNameOrZeroBytesInItFindNothing) {
  image("image.flac");
  for (const std::string& fileLine : {std::string("FILE \"\" WAVE\n"), std::string("FILE \"image.flac") + '\0' + "x\" WAVE\n",
                                      std::string("TITLE \"no FILE line\"\n")}) {
    port.infos.clear();
    list.addFile(sheet("disc.cue", fileLine + "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"));
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(port.infos.size(), 1u);
  }
}

}  // namespace
