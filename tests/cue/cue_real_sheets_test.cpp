// Sheets as ripping programs and people write them (tests/cue/sheets): line
// ends, byte-order marks, Windows code pages, commands the program does not
// use in any position, names with blanks and another letter case.
#include "cue_fixture.h"

using namespace sondrel;
using namespace sondrel::test;

namespace {

constexpr RowKind kTrack = RowKind::CueTrack;
constexpr RowKind kFile = RowKind::File;

struct RealSheet {
  std::string sheet;
  std::vector<std::pair<std::string, std::string>> audio;  // fixture, name beside the sheet
  std::vector<TrackRow> rows;
  std::string performer, title, date, genre, comment;
};

void PrintTo(const RealSheet& s, std::ostream* os) { *os << s.sheet; }

class CueRealSheets : public CueFixture, public ::testing::WithParamInterface<RealSheet> {};

TEST_P(CueRealSheets, RowsAndDiscData) {
  const RealSheet& s = GetParam();
  for (const auto& [fixtureName, name] : s.audio) copy(fixtureName, name);
  const std::string cue = dir.file(s.sheet);
  std::filesystem::copy_file(std::string(SONDREL_CUE_SHEETS_DIR) + "/" + s.sheet, cue);
  list.addFile(cue);
  EXPECT_EQ(rows(), s.rows);
  EXPECT_TRUE(port.infos.empty());
  EXPECT_TRUE(port.errors.empty());
  ASSERT_GT(list.rowCount(), 0);
  const CueSheetSlot* slot = reader.slot(list.row(0).item->cueSheet);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->discPerformer, s.performer);
  EXPECT_EQ(slot->discTitle, s.title);
  EXPECT_EQ(slot->discDate, s.date);
  EXPECT_EQ(slot->discGenre, s.genre);
  EXPECT_EQ(slot->discComment, s.comment);
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, CueRealSheets,
    ::testing::Values(
        // UTF-8 with a byte-order mark and CRLF; the sheet spells the image's
        // extension in capitals, the file beside it in small letters.
        RealSheet{"eac_utf8_bom_crlf.cue",
                  {{"image612.flac", "Café Sessions - Disc Image.flac"}},
                  {{"Überfahrt", "00:04:12", 0, 252, kTrack},
                   {"Señor FILE 13", "00:04:49", 252, 289, kTrack},
                   {"Naïve", "00:01:11", 541, 71, kTrack}},
                  "Various Artists",
                  "Café Sessions",
                  "1999",
                  "Progressive Rock",
                  "ExactAudioCopy v1.6"},
        // Windows-1252 bytes, LF, REM and CATALOG lines between and after the tracks.
        RealSheet{"windows1252_lf.cue",
                  {{"image612.flac", "Old Tape Image.flac"}},
                  {{"L’été indien", "00:05:00", 0, 300, kTrack},
                   {"Prix: 5 €", "00:05:00", 300, 300, kTrack},
                   {"Œuvre n° 3", "00:00:12", 600, 12, kTrack}},
                  "Zoé",
                  "Déjà Vu – Live",
                  "1978",
                  "Chanson",
                  ""},
        // One file per track, the pregap of track 2 kept at the end of file 1.
        RealSheet{"per_track_files.cue",
                  {{"s16_44100_2.wav", "01 - First Song.wav"},
                   {"s16_22050_1.wav", "02 - Second Song.wav"},
                   {"lossless.flac", "03 - Third Song.flac"}},
                  {{"First Song", "00:00:03", 0, 3, kFile},
                   {"Second Song", "00:00:02", 0, 2, kFile},
                   {"Third Song", "00:00:03", 0, 3, kFile}},
                  "The Band",
                  "Three Songs",
                  "",
                  "",
                  "Gaps appended to the track before"}),
    [](const auto& info) {
      std::string name = info.param.sheet.substr(0, info.param.sheet.find('.'));
      return name;
    });

}  // namespace
