// Reading a sheet's text into a slot, without any audio: the line decoding,
// which lines make tracks, the disc data, and the index times.
#include <gtest/gtest.h>

#include "shell/cue_parser.h"
#include "shell/cue_text.h"
#include "shell/cue_tracks.h"

using namespace sondrel;

namespace {

CueSheetSlot parse(const std::string& text, CueVariant variant = CueVariant::File) {
  return parseCueSheet(cueSheetLines(text), variant);
}

TEST(CueText, LineEndsMarksAndEncodings) {
  const std::vector<std::string> ab{"a", "b"};
  EXPECT_EQ(cueSheetLines("a\r\nb\r\n"), ab);
  EXPECT_EQ(cueSheetLines("a\nb"), ab);
  EXPECT_EQ(cueSheetLines("a\rb\r"), ab);  // old Mac line ends
  EXPECT_EQ(cueSheetLines("\xEF\xBB\xBF" "a\n\nb\n"), ab);
  // Windows-1252 where the bytes are not UTF-8, line by line.
  EXPECT_EQ(cueSheetLines("caf\xE9 \x80\x92\nUTF-8 caf\xC3\xA9"),
            (std::vector<std::string>{"caf\xC3\xA9 \xE2\x82\xAC\xE2\x80\x99", "UTF-8 caf\xC3\xA9"}));
  // UTF-16 with its byte-order mark, in either byte order.
  const std::string le("\xFF\xFEx\0\xE9\0\r\0\n\0y\0", 12);
  const std::string be("\xFE\xFF\0x\0\xE9\0\n\0y", 10);
  EXPECT_EQ(cueSheetLines(le), (std::vector<std::string>{"x\xC3\xA9", "y"}));
  EXPECT_EQ(cueSheetLines(be), (std::vector<std::string>{"x\xC3\xA9", "y"}));
}

TEST(CueParse, DiscDataAndTracks) {
  const CueSheetSlot s = parse(
      "REM GENRE \"Hard Rock\"\nREM DATE 1980\nREM COMMENT \"made by hand\"\n"
      "PERFORMER \"Disc Artist\"\nTITLE \"Disc Title\"\nFILE \"image name.flac\" WAVE\n"
      "  TRACK 01 AUDIO\n    TITLE \"One\"\n    PERFORMER \"A\"\n    INDEX 01 00:00:00\n"
      "  TRACK 02 AUDIO\n    TITLE \"Two\"\n    PERFORMER \"B\"\n    INDEX 00 04:10:00\n    INDEX 01 04:12:40\n");
  EXPECT_EQ(s.discGenre, "Hard Rock");
  EXPECT_EQ(s.discDate, "1980");
  EXPECT_EQ(s.discComment, "made by hand");
  EXPECT_EQ(s.discPerformer, "Disc Artist");  // not the last track's performer
  EXPECT_EQ(s.discTitle, "Disc Title");
  EXPECT_EQ(s.imageFile, "image name.flac");
  EXPECT_TRUE(s.singleFile);
  ASSERT_EQ(s.trackCount(), 2);
  EXPECT_EQ(s.tracks[1].trackTitle, "Two");
  EXPECT_EQ(s.tracks[1].trackPerformer, "B");
  EXPECT_EQ(s.tracks[1].trackIndex00, "04:10:00");
  EXPECT_EQ(s.tracks[1].trackIndex01, "04:12:40");
  EXPECT_EQ(s.tracks[1].trackFile, "image name.flac");
  EXPECT_EQ(s.tracks[0].trackIndex00, "");
}

TEST(CueParse, WithoutDiscPerformerTheLastPerformerStands) {
  const CueSheetSlot s = parse(
      "FILE \"i.wav\" WAVE\nTRACK 01 AUDIO\nPERFORMER \"A\"\nINDEX 01 00:00:00\n"
      "TRACK 02 AUDIO\nPERFORMER \"B\"\nINDEX 01 01:00:00\n");
  EXPECT_EQ(s.discPerformer, "B");
}

TEST(CueParse, FileLinesDecideTheKindOfSheet) {
  const CueSheetSlot perTrack = parse(
      "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE b.wav WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n");
  EXPECT_FALSE(perTrack.singleFile);
  EXPECT_EQ(perTrack.imageFile, "a.wav");
  EXPECT_EQ(perTrack.tracks[1].trackFile, "b.wav");  // unquoted names are names too

  // A title holding the word FILE does not split an image sheet into files.
  const CueSheetSlot image = parse(
      "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nTITLE \"FILE 13\"\nINDEX 01 01:00:00\n");
  EXPECT_TRUE(image.singleFile);

  // In a sheet kept in a tag the FILE lines name nothing that counts.
  const CueSheetSlot embedded = parse(
      "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE \"b.wav\" WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n",
      CueVariant::Embedded);
  EXPECT_TRUE(embedded.singleFile);
}

TEST(CueTimes, IndexTimesInWholeSeconds) {
  EXPECT_EQ(CueSeconds("00:00:00"), 0);
  EXPECT_EQ(CueSeconds("04:12:40"), 252);
  EXPECT_EQ(CueSeconds("09:01:74"), 541);  // frames are dropped
  EXPECT_EQ(CueSeconds("120:00:00"), 7200);
  EXPECT_EQ(CueSeconds("04:12"), 252);
  for (const char* bad : {"", "0412", "4x:12:00", "04:1y:00", "-1:00:00", "+1:00:00", " 1:00:00", ":00:00",
                          "9999999999:00:00", "99999999:00:00"})
    EXPECT_EQ(CueSeconds(bad), std::nullopt) << bad;
}

TEST(CueTimes, TrackSpansOfAnImage) {
  CueSheetSlot s = parse(
      "FILE \"i.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 04:10:00\n"
      "INDEX 01 04:12:40\nTRACK 03 AUDIO\nINDEX 01 09:01:10\n");
  const auto span = [&](size_t i, CueVariant v) { return trackSpan(s, i, v, 612).span.value(); };
  EXPECT_EQ(span(0, CueVariant::File).length, 252);  // the pregap belongs to the track before
  EXPECT_EQ(span(0, CueVariant::Embedded).length, 250);  // in a tag it belongs to none
  EXPECT_EQ(span(1, CueVariant::File).start, 252);
  EXPECT_EQ(span(1, CueVariant::File).length, 289);
  EXPECT_EQ(span(2, CueVariant::File).length, 71);
  // A start past the end of the file, or before the one before, is empty.
  EXPECT_EQ(trackSpan(s, 2, CueVariant::File, 500).span->length, 0);
  s.tracks[1].trackIndex01 = "10:00:00";
  EXPECT_EQ(span(1, CueVariant::File).length, 0);
  s.tracks[2].trackIndex01 = "09:0x:10";
  EXPECT_FALSE(trackSpan(s, 1, CueVariant::File, 612).span);
  EXPECT_EQ(trackSpan(s, 1, CueVariant::File, 612).badTime, "09:0x:10");
}

}  // namespace
