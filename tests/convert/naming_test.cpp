#include <gtest/gtest.h>

#include "convert/naming.h"
#include "support/test_support.h"

using namespace sondrel::convert;
using sondrel::test::TempDir;
using sondrel::test::writeFile;

TEST(Naming, ExtensionsByFormatAndContainer) {
  EXPECT_EQ(formatExtension(kWav, 0, 0), ".wav");
  EXPECT_EQ(formatExtension(kWavPack, 0, 0), ".wv");
  EXPECT_EQ(formatExtension(kMpc, 1, 0), ".mp+");
  EXPECT_EQ(formatExtension(kAac, 0, 3), ".m4b");
  EXPECT_EQ(formatExtension(kAac, 0, 4), "");
  EXPECT_EQ(formatExtension(kMpc, -1, 0), "");
  EXPECT_EQ(formatExtension(10, 0, 0), "");
}

TEST(Naming, BadCharactersAndCueTimes) {
  EXPECT_EQ(ReplaceBadChars("AC/DC: Back in Black?"), "AC_DC_ Back in Black_");
  EXPECT_EQ(ReplaceBadChars("01. Intro"), "01_ Intro");
  EXPECT_EQ(ReplaceBadChars("a'b\\c*d\"e<f>g|h"), "a_b_c_d_e_f_g_h");
  EXPECT_EQ(CueTimeText(0), "00:00:00");
  EXPECT_EQ(CueTimeText(62.5), "01:02:38");  // 37.5 frames round to the even 38
  EXPECT_EQ(CueTimeText(6005), "100:05:00");
  EXPECT_EQ(CueTimeText(1.9999), "00:01:74");  // never frame 75
}

TEST(Naming, UniqueNames) {
  TempDir dir;
  const std::string folder = dir.path().string() + "/";
  // The source is never the target, even when overwriting.
  EXPECT_EQ(UniqueOutputName(folder, folder + "song.wav", ".wav", 0, true, false), folder + "song_1.wav");
  writeFile(folder + "song.mp3", "x");
  writeFile(folder + "song_1.mp3", "x");
  EXPECT_EQ(UniqueOutputName(folder, "/music/song.flac", ".mp3", 0, false, false), folder + "song_2.mp3");
  EXPECT_EQ(UniqueOutputName(folder, "/music/song.flac", ".mp3", 0, true, false), folder + "song.mp3");
  // Track rule: the count is the base; taken numbers are stepped over.
  writeFile(folder + "Track1.mp3", "x");
  EXPECT_EQ(UniqueOutputName(folder, "/music/a.flac", ".mp3", 0, false, true), folder + "Track2.mp3");
  writeFile(folder + "Track2.mp3", "x");
  EXPECT_EQ(UniqueOutputName(folder, "/music/b.flac", ".mp3", 1, false, true), folder + "Track3.mp3");
  // A name without an extension gets one; a double quote cannot reach a
  // quoted command line.
  EXPECT_EQ(UniqueOutputName(folder, "/music/noext", ".ogg", 0, true, false), folder + "noext.ogg");
  EXPECT_EQ(UniqueOutputName(folder, "/music/say \"hi\".wav", ".ogg", 0, true, false), folder + "say _hi_.ogg");
}
