// The WMA rates the engine offers, checked against FFmpeg's own command-line
// encoder, and the WMA lists of the settings built from them.
#include "audio/wma_rates.h"
#include "settings_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace sondrel::settings::test {
namespace {

using sondrel::test::run;

// Encodes a second of tone with ffmpeg's wmav2 at this rate and layout.
sondrel::test::ProcessResult encodeWithFfmpeg(const std::string& out, int rate, int channels, int bitrate) {
  return run({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=440:d=1:sample_rate=" + std::to_string(rate),
              "-ac", std::to_string(channels), "-c:a", "wmav2", "-b:a", std::to_string(bitrate), out});
}

TEST(WmaRates, StandardCodecOffersWhatFfmpegEncodes) {
  sondrel::test::TempDir dir;
  struct Layout {
    int rate, channels, bits;
  };
  for (const Layout& l : {Layout{44100, 2, 16}, Layout{8000, 1, 8}, Layout{48000, 2, 24}}) {
    SCOPED_TRACE(std::to_string(l.rate) + "/" + std::to_string(l.channels));
    const auto rates = audio::wmaEncoderBitrates(0, l.rate, l.channels, l.bits);
    ASSERT_FALSE(rates.empty());
    EXPECT_TRUE(std::is_sorted(rates.rbegin(), rates.rend()));
    EXPECT_NE(std::find(rates.begin(), rates.end(), 128000), rates.end());
    for (int bitrate : {rates.front(), rates.back()}) {
      const std::string out = dir.file(std::to_string(bitrate) + ".wma");
      const auto result = encodeWithFfmpeg(out, l.rate, l.channels, bitrate);
      ASSERT_EQ(result.exitCode, 0) << result.err;
      EXPECT_EQ(sondrel::test::ffprobeStream(out, "codec_name"), "wmav2");
      EXPECT_EQ(sondrel::test::ffprobeStream(out, "bit_rate"), std::to_string(bitrate));
    }
    // The step below the lowest offer is one the encoder refuses.
    EXPECT_NE(encodeWithFfmpeg(dir.file("low.wma"), l.rate, l.channels, rates.back() - 4000).exitCode, 0);
  }
}

TEST(WmaRates, NothingWhereNoEncoderCanWork) {
  struct Case {
    const char* why;
    int codec, rate, channels, bits;
  };
  const Case cases[] = {
      {"WMA Pro", 1, 44100, 2, 16},          {"WMA Pro 24 bit with 8-bit samples", 2, 44100, 2, 8},
      {"rate above 48 kHz", 0, 88200, 2, 16}, {"three channels", 0, 44100, 3, 16},
      {"no rate", 0, 0, 2, 16},              {"no depth", 0, 44100, 2, 0},
  };
  for (const Case& c : cases) EXPECT_TRUE(audio::wmaEncoderBitrates(c.codec, c.rate, c.channels, c.bits).empty()) << c.why;
  // wmav2 has no quality-based mode.
  EXPECT_TRUE(audio::wmaEncoderQualities(0, 44100, 2, 16).empty());
  // And a rate above 48 kHz is one ffmpeg refuses too.
  sondrel::test::TempDir dir;
  EXPECT_NE(encodeWithFfmpeg(dir.file("hi.wma"), 96000, 2, 128000).exitCode, 0);
}

TEST_F(SettingsTest, WmaListsFollowCodecRateChannelsDepthAndMode) {
  auto model = fresh();
  const auto expectedKbps = [](int rate, int channels, int bits) {
    std::vector<std::string> texts;
    for (int bitrate : audio::wmaEncoderBitrates(0, rate, channels, bits)) texts.push_back(std::to_string(bitrate / 1000));
    return texts;
  };
  EXPECT_EQ(model->items("wmacbrbitratecom"), expectedKbps(44100, 2, 16));
  EXPECT_EQ(model->list("wmacbrbitratecom"), 0);

  model->setList("wmasamplecom", 0);
  model->setList("wmachannelcom", 0);
  EXPECT_EQ(model->items("wmacbrbitratecom"), expectedKbps(8000, 1, 16));
  EXPECT_TRUE(host_.notices.empty());

  model->setList("wmabitcom", 0);
  model->setList("wmacodeccom", 2);  // Pro (24 bit) with 8-bit samples
  EXPECT_TRUE(model->items("wmacbrbitratecom").empty());
  EXPECT_EQ(model->list("wmacbrbitratecom"), -1);
  EXPECT_EQ(host_.notices, std::vector<std::string>{"No Codec on this settings"});

  model->setList("wmacodeccom", 0);
  model->setCheck("cwmavbr", true);
  EXPECT_FALSE(model->check("cwmacbr"));
  EXPECT_TRUE(model->items("wmacbrbitratecom").empty());
  EXPECT_TRUE(model->items("wmaqualitycom").empty());
  EXPECT_EQ(host_.notices.size(), 2u);

  model->setCheck("cwmacbr", true);
  EXPECT_FALSE(model->items("wmacbrbitratecom").empty());
  EXPECT_EQ(model->list("wmacbrbitratecom"), 0);
}

TEST_F(SettingsTest, LoadingRebuildsTheWmaListsOnceBeforeReadingTheIndex) {
  writeSettings("[wma]\nsample=3\nchannel=0\ncbr=1\nbitrate=1\nquality=3\n");
  const auto model = loaded();
  const auto offered = audio::wmaEncoderBitrates(0, 22050, 1, 16);
  ASSERT_GT(offered.size(), 1u);
  EXPECT_EQ(model->selectedItem("wmacbrbitratecom"), std::to_string(offered[1] / 1000));
  EXPECT_EQ(model->list("wmaqualitycom"), -1);
  EXPECT_TRUE(host_.notices.empty());

  writeSettings("[wma]\nCodec=1\nbitrate=1\n");
  const auto pro = loaded();
  EXPECT_EQ(pro->list("wmacbrbitratecom"), -1);
  EXPECT_EQ(host_.notices, std::vector<std::string>{"No Codec on this settings"});
}

}  // namespace
}  // namespace sondrel::settings::test
