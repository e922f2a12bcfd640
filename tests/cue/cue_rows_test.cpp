// ".cue" files added to the file list: the rows their tracks become, the
// messages, and the stretch of the image a track row decodes.
#include <unistd.h>

#include <cmath>

#include "cue_fixture.h"
#include "shell/decoders.h"
#include "shell/list_texts.h"

using namespace sondrel;
using namespace sondrel::test;
namespace fs = std::filesystem;

namespace {

constexpr RowKind kTrack = RowKind::CueTrack;
constexpr RowKind kFile = RowKind::File;

const std::vector<std::string> kThreeStarts{"00:00:00", "04:12:40", "09:01:10"};

TEST_F(CueFixture, ImageSheetGivesTrackRows) {
  const std::string img = image("image.flac");
  list.addFile(sheet("disc.cue", sheetWithStarts(kThreeStarts)));
  EXPECT_EQ(rows(), (std::vector<TrackRow>{{"T01", "00:04:12", 0, 252, kTrack},
                                           {"T02", "00:04:49", 252, 289, kTrack},
                                           {"T03", "00:01:11", 541, 71, kTrack}}));
  const FileRow& r = list.row(1);
  EXPECT_EQ(r.sizeText, FileSizeText(img));
  EXPECT_EQ(r.typeText, "FLAC");
  EXPECT_EQ(r.iconExtension, ".flac");
  EXPECT_EQ(r.infoText, "Sampele Rate:8000 Hz,Channel:1,BPS:16bit");
  EXPECT_TRUE(r.checked);
  EXPECT_EQ(r.item->fileName, img);
  EXPECT_EQ(r.item->decoder, kDecoderFLAC);
  EXPECT_DOUBLE_EQ(r.item->duration, 612.5);
  EXPECT_EQ(r.item->sampleRate, 8000);
  EXPECT_EQ(r.item->channels, 1);
  EXPECT_EQ(r.item->bitsPerSample, 16);
  EXPECT_EQ(r.item->cueSheet, 0);
  EXPECT_EQ(list.checkedCount(), 3);
  EXPECT_EQ(port.status[1], "Total selected:3");
  EXPECT_TRUE(port.errors.empty());
  EXPECT_TRUE(port.infos.empty());

  // The slot keeps what the rows were given.
  const CueSheetSlot* slot = reader.slot(0);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->tracks[2].trackStart, 541);
  EXPECT_EQ(slot->tracks[2].trackLength, 71);
  EXPECT_EQ(reader.cueAudioFile(), img);
}

// Every second n of the image holds the level 32 n, so the first and last
// samples of a decoded stretch tell where it lies.
TEST_F(CueFixture, TrackRowDecodesExactlyItsStretch) {
  image("image.flac");
  list.addFile(sheet("disc.cue", sheetWithStarts(kThreeStarts)));
  ASSERT_EQ(list.rowCount(), 3);
  TrackLimits limits;
  auto stream = openRowStream(engine, *list.row(1).item, OpenPurpose::Conversion, &limits);
  ASSERT_TRUE(stream);
  EXPECT_EQ(limits.start, stream->secondsToBytes(252));
  EXPECT_EQ(limits.end, stream->secondsToBytes(541));
  auto levelAt = [&](int64_t byte) {
    float sample = 0;
    stream->setPosition(byte);
    EXPECT_EQ(stream->read(&sample, sizeof sample), sizeof sample);
    return static_cast<int>(std::lround(sample * 32768.0f / 32.0f));
  };
  EXPECT_EQ(levelAt(limits.start), 252);
  EXPECT_EQ(levelAt(limits.end - static_cast<int64_t>(sizeof(float))), 540);
}

TEST_F(CueFixture, EveryAddingRouteExpandsTheSheet) {
  image("album/image.flac");
  const std::string cue = sheet("album/disc.cue", sheetWithStarts(kThreeStarts));
  // A folder scan meets the sheet before its image, whose path is then already listed.
  list.addFolderFiles(dir.file("album"), true);
  EXPECT_EQ(captions(), (std::vector<std::string>{"T01", "T02", "T03"}));
  list.clear();
  list.dropNames({cue});
  EXPECT_EQ(list.rowCount(), 3);
  list.clear();
  fs::copy_file(cue, dir.file("album/DISC.CUE"));  // the extension in any letter case
  list.addFile(dir.file("album/DISC.CUE"));
  EXPECT_EQ(list.rowCount(), 3);
  EXPECT_EQ(reader.lastCueSheet(), 2);  // slots are not given back by clearing
}

struct TrackCase {
  const char* name;
  const char* text;
  std::vector<std::string> captions;
};

void PrintTo(const TrackCase& c, std::ostream* os) { *os << c.name; }

class CueTrackRecognition : public CueFixture, public ::testing::WithParamInterface<TrackCase> {};

TEST_P(CueTrackRecognition, CaptionsOfTheRows) {
  image("image.flac");
  list.addFile(sheet("disc.cue", GetParam().text));
  EXPECT_EQ(captions(), GetParam().captions);
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, CueTrackRecognition,
    ::testing::Values(
        TrackCase{"numbering_gap_ends_tracks",
                  "FILE \"image.flac\" WAVE\nTRACK 01 AUDIO\nTITLE \"a\"\nINDEX 01 00:00:00\nTRACK 03 AUDIO\nTITLE \"c\"\n"
                  "INDEX 01 01:00:00\nTRACK 04 AUDIO\nTITLE \"d\"\nINDEX 01 02:00:00\n",
                  {"a"}},
        TrackCase{"first_track_not_one", "FILE \"image.flac\" WAVE\nTRACK 02 AUDIO\nTITLE \"b\"\nINDEX 01 00:00:00\n", {}},
        TrackCase{"one_digit_and_lower_case_numbers",
                  "file \"image.flac\" wave\ntrack 1 audio\ntitle \"a\"\nindex 1 00:00:00\nTRACK 2 AUDIO\nTITLE b\n"
                  "INDEX 01 01:00:00\n",
                  {"a", "b"}},
        TrackCase{"track_010_is_not_track_01", "FILE \"image.flac\" WAVE\nTRACK 010 AUDIO\nINDEX 01 00:00:00\n", {}},
        TrackCase{"no_index_01_no_track", "FILE \"image.flac\" WAVE\nTRACK 01 AUDIO\nTITLE \"a\"\nINDEX 00 00:00:00\n", {}},
        // A track without INDEX 01 takes what follows up to the next one.
        TrackCase{"missing_index_borrows",
                  "FILE \"image.flac\" WAVE\nTRACK 01 AUDIO\nTITLE \"a\"\nTRACK 02 AUDIO\nTITLE \"b\"\nINDEX 01 00:00:00\n",
                  {"b", "b"}},
        // Command words inside values are values.
        TrackCase{"command_words_in_titles",
                  "FILE \"image.flac\" WAVE\nTRACK 01 AUDIO\nTITLE \"TRACK 02 INDEX 01 FILE\"\nINDEX 01 00:00:00\n", {"TRACK 02 INDEX 01 FILE"}},
        TrackCase{"quote_inside_title",
                  "FILE \"image.flac\" WAVE\nTRACK 01 AUDIO\nTITLE \"The \"Best\" Song\"\nINDEX 01 00:00:00\n",
                  {"The \"Best\" Song"}},
        TrackCase{"unclosed_quote_names_nothing",
                  "FILE \"image.flac\" WAVE\nTRACK 01 AUDIO\nTITLE \"open\nINDEX 01 00:00:00\n", {"Track 01"}},
        TrackCase{"tabs_and_trailing_blanks",
                  "FILE \"image.flac\" WAVE\n\tTRACK\t01\tAUDIO  \n\t\tTITLE\t\"a\"  \n\t\tINDEX\t01\t00:00:00   \n", {"a"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CueFixture, SheetAddedTwiceGivesItsRowsTwice) {
  image("image.flac");
  const std::string cue = sheet("disc.cue", sheetWithStarts(kThreeStarts));
  list.addFile(cue);
  list.addFile(cue);
  ASSERT_EQ(list.rowCount(), 6);
  EXPECT_EQ(list.row(2).item->cueSheet, 0);
  EXPECT_EQ(list.row(3).item->cueSheet, 1);
}

TEST_F(CueFixture, ElevenSheetsAndALongSheetAllGetSlots) {
  image("image.flac");
  for (int i = 0; i < 11; ++i) list.addFile(sheet("disc" + std::to_string(i) + ".cue", sheetWithStarts({"00:00:00"})));
  EXPECT_EQ(list.rowCount(), 11);
  EXPECT_EQ(list.row(10).item->cueSheet, 10);
  ASSERT_NE(reader.slot(10), nullptr);
  EXPECT_EQ(reader.slot(11), nullptr);
  EXPECT_EQ(reader.slot(-1), nullptr);

  list.clear();
  std::vector<std::string> starts;
  for (int t = 0; t < 150; ++t) {
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:00", t * 4 / 60, t * 4 % 60);
    starts.push_back(time);
  }
  list.addFile(sheet("long.cue", sheetWithStarts(starts)));
  ASSERT_EQ(list.rowCount(), 150);
  EXPECT_EQ(rows()[149], (TrackRow{"T150", "00:00:16", 596, 16, kTrack}));
  EXPECT_EQ(reader.slot(11)->trackCount(), 150);
}

TEST_F(CueFixture, IndexTimesThatGoBackGiveAnEmptyTrack) {
  image("image.flac");
  list.addFile(sheet("disc.cue", sheetWithStarts({"00:00:00", "05:00:00", "04:00:00"})));
  EXPECT_EQ(rows(), (std::vector<TrackRow>{{"T01", "00:05:00", 0, 300, kTrack},
                                           {"T02", "00:00:00", 300, 0, kTrack},
                                           {"T03", "00:06:12", 240, 372, kTrack}}));
  // An empty track decodes nothing: its end is its start.
  TrackLimits limits;
  ASSERT_TRUE(openRowStream(engine, *list.row(1).item, OpenPurpose::Conversion, &limits));
  EXPECT_EQ(limits.start, limits.end);
}

TEST_F(CueFixture, BadIndexTimeStopsTheSheetWithAMessage) {
  struct Case {
    std::vector<std::string> starts;
    size_t rowsBuilt;  // a track's length needs the next start, so the row before a bad one goes too
    std::string message;
  };
  image("image.flac");
  for (const Case& c : {Case{{"00:00:00", "01:00:00", "02:0x:00"}, 1, "'02:0x:00' is not a valid index time"},
                        Case{{"00:00:00", "0100"}, 0, "'0100' is not a valid index time"},
                        Case{{"00:00:00", "99999999999:00:00"}, 0, "'99999999999:00:00' is not a valid index time"},
                        Case{{"x:00:00"}, 0, "'x:00:00' is not a valid index time"}}) {
    list.clear();
    port.errors.clear();
    list.addFile(sheet("disc.cue", sheetWithStarts(c.starts)));
    EXPECT_EQ(static_cast<size_t>(list.rowCount()), c.rowsBuilt) << c.message;
    EXPECT_EQ(port.errors, std::vector<std::string>{c.message});
  }
}

TEST_F(CueFixture, MissingImageIsNamedAndAddsNothing) {
  list.addFile(sheet("disc.cue", sheetWithStarts(kThreeStarts, "gone.flac")));
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_EQ(port.infos, std::vector<std::string>{dir.file("gone.flac") + " not exists"});
  EXPECT_EQ(reader.lastCueSheet(), 0);
}

TEST_F(CueFixture, ImageIsFoundBesideTheSheetNotInTheCurrentFolder) {
  const std::string img = image("album/sub/image.flac");
  // A file of the same name in the current folder must not be taken.
  TempDir elsewhere;
  fs::create_directories(elsewhere.path() / "sub");
  fs::copy_file(fixture("lossless.flac"), elsewhere.file("sub/image.flac"));
  const fs::path before = fs::current_path();
  fs::current_path(elsewhere.path());
  list.addFile(sheet("album/disc.cue", sheetWithStarts(kThreeStarts, "sub/image.flac")));
  fs::current_path(before);
  ASSERT_EQ(list.rowCount(), 3);
  EXPECT_EQ(list.row(0).item->fileName, img);
}

TEST_F(CueFixture, ImageNamesAreMatchedLikeTheSheetsWriterMeantThem) {
  struct Case {
    std::string fileOnDisk;
    std::string nameInSheet;
  };
  const std::string kAbsolute = "(absolute path)";
  for (const Case& c : {Case{"Image.FLAC", "Image.flac"}, Case{"image.flac", "Image.Flac"},
                        Case{"my disc/image.flac", "my disc\\image.flac"},
                        Case{"image.flac", "C:\\Rips\\image.flac"}, Case{"image.flac", kAbsolute}}) {
    TempDir album;
    fs::create_directories(fs::path(album.file(c.fileOnDisk)).parent_path());
    fs::copy_file(fixture("image612.flac"), album.file(c.fileOnDisk));
    const std::string nameInSheet = c.nameInSheet == kAbsolute ? album.file(c.fileOnDisk) : c.nameInSheet;
    list.clear();
    const std::string cue = album.file("disc.cue");
    writeFile(cue, sheetWithStarts(kThreeStarts, nameInSheet));
    list.addFile(cue);
    ASSERT_EQ(list.rowCount(), 3) << c.nameInSheet;
    EXPECT_EQ(list.row(0).item->fileName, album.file(c.fileOnDisk)) << c.nameInSheet;
  }
  EXPECT_TRUE(port.infos.empty());
}

TEST_F(CueFixture, PerTrackFilesGiveWholeFileRows) {
  const std::string a = copy("s16_44100_2.wav", "01 one.wav");
  const std::string b = copy("lossless.flac", "02 two.flac");
  list.addFile(sheet("disc.cue",
                     "FILE \"01 one.wav\" WAVE\n TRACK 01 AUDIO\n  TITLE \"One\"\n  INDEX 01 00:00:00\n"
                     "FILE \"02 two.flac\" WAVE\n TRACK 02 AUDIO\n  TITLE \"Two\"\n  INDEX 01 00:00:00\n"));
  EXPECT_EQ(rows(), (std::vector<TrackRow>{{"One", "00:00:03", 0, 3, kFile}, {"Two", "00:00:03", 0, 3, kFile}}));
  EXPECT_EQ(list.row(0).item->fileName, a);
  EXPECT_EQ(list.row(1).item->fileName, b);
  EXPECT_EQ(list.row(0).typeText, "WAV");
  EXPECT_EQ(list.row(1).typeText, "FLAC");
  EXPECT_EQ(list.row(1).sizeText, FileSizeText(b));
  EXPECT_EQ(list.row(1).item->cueSheet, 0);
}

TEST_F(CueFixture, MissingTrackFileStopsAfterTheRowsBuilt) {
  copy("s16_44100_2.wav", "a.wav");
  copy("s16_44100_2.wav", "c.wav");
  list.addFile(sheet("disc.cue",
                     "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE \"b.wav\" WAVE\nTRACK 02 AUDIO\n"
                     "INDEX 01 00:00:00\nFILE \"c.wav\" WAVE\nTRACK 03 AUDIO\nINDEX 01 00:00:00\n"));
  EXPECT_EQ(captions(), std::vector<std::string>{"Track 01"});  // untitled tracks are named by number
  EXPECT_EQ(port.infos, std::vector<std::string>{dir.file("b.wav") + " not exists"});
}

TEST_F(CueFixture, UnreadableAudioEndsTheSheetQuietly) {
  writeFile(dir.file("image.flac"), "not audio at all");
  list.addFile(sheet("disc.cue", sheetWithStarts(kThreeStarts)));
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_TRUE(port.infos.empty());
  EXPECT_TRUE(port.errors.empty());
}

// A sheet of two images, each holding two tracks, cuts each image into its
// tracks instead of giving every track a whole image.
TEST_F(CueFixture, SheetOfTwoImagesCutsEachImage) {
  image("disc1.flac");
  copy("s16_44100_2.wav", "single.wav");
  image("disc2.flac");
  list.addFile(sheet("set.cue",
                     "FILE \"disc1.flac\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 10:00:00\n"
                     "FILE \"single.wav\" WAVE\nTRACK 03 AUDIO\nINDEX 01 00:00:00\n"
                     "FILE \"disc2.flac\" WAVE\nTRACK 04 AUDIO\nINDEX 01 00:00:00\nTRACK 05 AUDIO\nINDEX 01 01:00:00\n"));
  EXPECT_EQ(rows(), (std::vector<TrackRow>{{"Track 01", "00:10:00", 0, 600, kTrack},
                                           {"Track 02", "00:00:12", 600, 12, kTrack},
                                           {"Track 03", "00:00:03", 0, 3, kFile},
                                           {"Track 04", "00:01:00", 0, 60, kTrack},
                                           {"Track 05", "00:09:12", 60, 552, kTrack}}));
  EXPECT_EQ(list.row(4).item->fileName, dir.file("disc2.flac"));
}

TEST_F(CueFixture, SheetWithoutTracksAddsNothingButTakesASlot) {
  image("image.flac");
  list.addFile(sheet("disc.cue", "REM nothing here\nFILE \"image.flac\" WAVE\nTRACK 01 AUDIO\n"));
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_TRUE(port.infos.empty());
  EXPECT_EQ(reader.lastCueSheet(), 0);
}

TEST_F(CueFixture, UnreadableSheetIsReported) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  const std::string cue = sheet("disc.cue", sheetWithStarts(kThreeStarts));
  fs::permissions(cue, fs::perms::none);
  list.addFile(cue);
  EXPECT_EQ(list.rowCount(), 0);
  ASSERT_EQ(port.errors.size(), 1u);
  EXPECT_TRUE(port.errors[0].starts_with("Cannot open file \"" + cue + "\"")) << port.errors[0];
}

}  // namespace
