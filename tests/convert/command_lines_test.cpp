#include <gtest/gtest.h>

#include "audio/encoder.h"
#include "convert/command_lines.h"
#include "convert/naming.h"
#include "support/test_support.h"

using namespace sondrel;
using namespace sondrel::convert;

namespace {

struct CommandLines : ::testing::Test {
  test::TempDir dir;
  settings::SettingsModel s{dir.path() / "qorv", dir.path().string() + "/"};
  const std::string prog = "/opt/s/";
};

TEST_F(CommandLines, FirstRunLines) {
  EXPECT_EQ(LameCommandLine(s, prog, "/o/a.mp3"), "/opt/s/bin/lame --preset standard -m f - \"/o/a.mp3\"");
  EXPECT_EQ(OggCommandLine(s, prog, "/o/a.ogg"), "/opt/s/bin/oggenc2 -q 2.75 - -o\"/o/a.ogg\"");
  EXPECT_EQ(WavPackCommandLine(s, prog, "/o/a.wv"), "/opt/s/bin/wavpack -j1 -i - \"/o/a.wv\"");
  EXPECT_EQ(MpcCommandLine(s, prog, "/o/a.mpc"), "/opt/s/bin/mppenc --silent --overwrite --standard - \"/o/a.mpc\"");
  EXPECT_EQ(AacCommandLine(s, prog, "/o/a.aac"), "/opt/s/bin/FAAC -q <100> -o \"/o/a.aac\" -");
  EXPECT_EQ(ApeCommandLine(s, prog, "/o/a.ape"), "/opt/s/bin/MAC - \"/o/a.ape\" -c3000");
  EXPECT_EQ(FlacCommandLine(s, prog, "/o/a.flac"), "/opt/s/bin/flac -f --compression-level-2 -o \"/o/a.flac\" -");
  // A program folder with a blank is quoted so the line still splits right.
  EXPECT_EQ(FlacCommandLine(s, "/my apps/", "/o/a.flac"), "\"/my apps/bin/flac\" -f --compression-level-2 -o \"/o/a.flac\" -");
}

TEST_F(CommandLines, SettingVariants) {
  s.setCheck("cmp3vbr", true);
  s.setList("mp3minbitratecom", 10);
  s.setList("mp3maxbitratecom", 12);
  s.setList("mp3qualitycom", 4);
  EXPECT_EQ(LameCommandLine(s, prog, "o"), "/opt/s/bin/lame -b 112 -m f -V 4 -B 144 - \"o\"");
  s.setCheck("cmp3abr", true);
  s.setNumber("emp3abr", 192);
  EXPECT_EQ(LameCommandLine(s, prog, "o"), "/opt/s/bin/lame -b 112 -m f --abr 192 -B 144 - \"o\"");

  const std::pair<int, const char*> ogg[] = {{-150, "/opt/s/bin/oggenc2 --quality-1.5 - -o\"o\""},
                                              {0, "/opt/s/bin/oggenc2 -q 0 - -o\"o\""},
                                              {1000, "/opt/s/bin/oggenc2 -q 10 - -o\"o\""}};
  for (const auto& [position, line] : ogg) {
    s.setSlider("baroggquality", position);
    EXPECT_EQ(OggCommandLine(s, prog, "o"), line);
  }
  s.setCheck("coggaverage", true);
  s.setList("oggnorbitratecom", 9);
  s.setList("oggminbitratecom", 7);
  EXPECT_EQ(OggCommandLine(s, prog, "o"), "/opt/s/bin/oggenc2 -b 160 -m 96 - -o\"o\"");

  s.setCheck("cwpcompress", true);
  s.setCheck("cwpbs", true);
  s.setSlider("barwpbs", 0);
  EXPECT_EQ(WavPackCommandLine(s, prog, "o"), "/opt/s/bin/wavpack -j1 -b0 -i - \"o\"");
  s.setSlider("barwpbs", 239);
  EXPECT_EQ(WavPackCommandLine(s, prog, "o"), "/opt/s/bin/wavpack -j1 -b23.9 -i - \"o\"");

  s.setList("mpccmodecom", 5);
  EXPECT_EQ(MpcCommandLine(s, prog, "o"), "/opt/s/bin/mppenc --silent --overwrite --standard - \"o\"");
  s.setList("mpccmodecom", 4);
  EXPECT_EQ(MpcCommandLine(s, prog, "o"), "/opt/s/bin/mppenc --silent --overwrite --standard --ms 10 - \"o\"");

  s.setList("aacformatcom", 1);
  s.setList("aacmpegcom", 2);
  EXPECT_EQ(AacCommandLine(s, prog, "o"), "/opt/s/bin/FAAC -q <100> -o \"o\" -");
  s.setList("aacformatcom", 0);
  EXPECT_EQ(AacCommandLine(s, prog, "o"), "/opt/s/bin/FAAC --mpeg-vers 4 -q <100> -o \"o\" -");
}

TEST_F(CommandLines, OutputLayouts) {
  OutputLayout layout;
  SetOutputFormat(s, kMp3, layout);
  EXPECT_EQ(layout.rate, 44100);
  EXPECT_EQ(layout.bits, 16);
  EXPECT_EQ(layout.channels, 2);
  s.setList("mp3channelcom", 4);  // Mono
  SetOutputFormat(s, kMp3, layout);
  EXPECT_EQ(layout.channels, 1);
  s.setList("wpchannelcom", 0);
  SetOutputFormat(s, kWavPack, layout);
  EXPECT_EQ(layout.channels, 1);
  s.setList("wavbitcom", 2);
  s.setList("wavsamplecom", 3);
  SetOutputFormat(s, kWav, layout);
  EXPECT_EQ(layout.bits, 24);
  EXPECT_EQ(layout.rate, 22050);
  EXPECT_EQ(quotientText(275, 100), "2.75");
  EXPECT_EQ(quotientText(300, 100), "3");
  EXPECT_EQ(quotientText(-150, 100), "-1.5");
  EXPECT_EQ(quotientText(239, 10), "23.9");
  EXPECT_EQ(quotientText(-5, 100), "-0.05");
}

TEST(CommandSplit, QuotesGroupAndVanish) {
  EXPECT_EQ(audio::splitCommandLine("/b/oggenc2 -q 2.75 - -o\"/o/a b.ogg\""),
            (std::vector<std::string>{"/b/oggenc2", "-q", "2.75", "-", "-o/o/a b.ogg"}));
  EXPECT_EQ(audio::splitCommandLine("\"/my apps/x\"  a \"\" -"), (std::vector<std::string>{"/my apps/x", "a", "", "-"}));
}

}  // namespace

