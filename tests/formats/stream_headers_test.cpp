#include <gtest/gtest.h>

#include <cmath>

#include "byte_fixtures.h"
#include "formats/aac_file.h"
#include "formats/ac3.h"
#include "formats/ogg_vorbis.h"
#include "formats/speex.h"
#include "formats/wma_file.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

using test::le16s;
using test::le32s;
using test::oggPage;
using test::writeAll;

std::string commentPacket() {
  Bytes b = TVorbisComment::Render("v", {}, true);
  return {b.begin(), b.end()};
}

std::string oggVorbis(int channels, uint64_t lastGranule, size_t fileSize) {
  std::string f = oggPage(1, 0, 0, 2, {test::vorbisIdentification(channels, 44100, 128000)});
  f += oggPage(1, 1, 0, 0, {commentPacket(), std::string("\x05vorbis", 7)});
  std::string last = oggPage(1, 3, lastGranule, 4, {std::string(100, 'z')});
  std::string middle = oggPage(1, 2, 1000, 0, {std::string(1000, 'a')});
  while (f.size() + middle.size() + last.size() < fileSize) f += middle;
  f += std::string(fileSize - f.size() - last.size(), '\0');
  return f + last;
}

TEST(OggVorbis, ChannelCountsAndAverageBitRate) {
  test::TempDir dir;
  struct Case {
    int channels;
    bool valid;
    std::string mode;
  } cases[] = {{1, true, "Mono"}, {2, true, "Stereo"}, {5, false, "Multichannel"}, {6, true, "Multichannel"}};
  for (const auto& c : cases) {
    writeAll(dir.file("a.ogg"), oggVorbis(c.channels, 441000, 1000000));
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Read(dir.file("a.ogg")));
    EXPECT_EQ(ogg.Valid(), c.valid) << c.channels;
    EXPECT_EQ(ogg.ChannelModeName(), c.mode);
    EXPECT_DOUBLE_EQ(ogg.Duration(), 10.0);
    EXPECT_EQ(ogg.BitRate(), 800);  // a million bytes in ten seconds
    EXPECT_EQ(ogg.NominalBitRate(), 128);
  }
}

TEST(OggVorbis, ID3v2InFrontIsSkipped) {
  test::TempDir dir;
  std::string id3 = test::id3v2Tag(3, test::id3v2Frame(3, "TIT2", std::string(1, '\0') + "x"), 100);
  writeAll(dir.file("a.ogg"), id3 + oggVorbis(2, 441000, 50000));
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.Read(dir.file("a.ogg")));
  EXPECT_TRUE(ogg.Valid());
  EXPECT_EQ(ogg.ID3v2().Title(), "x");
}

TEST(Speex, HeaderAndComments) {
  test::TempDir dir;
  std::string header = std::string("Speex   ") + std::string(20, 'v') + le32s(1) + le32s(80) + le32s(16000) +
                       le32s(1) + le32s(4) + le32s(1) + le32s(0xFFFFFFFF) + le32s(320) + le32s(0) + le32s(1) +
                       le32s(0) + le32s(0) + le32s(0);
  Bytes c = TVorbisComment::Render("enc", {{"TITLE", "Spoken"}}, false);
  std::string f = oggPage(9, 0, 0, 2, {header}) + oggPage(9, 1, 0, 0, {std::string(c.begin(), c.end())}) +
                  oggPage(9, 2, 32000, 4, {std::string(4000, 's')});
  writeAll(dir.file("a.spx"), f);
  TSpeex s;
  ASSERT_TRUE(s.Read(dir.file("a.spx")));
  EXPECT_TRUE(s.Valid());
  EXPECT_EQ(s.SampleRate(), 16000);
  EXPECT_EQ(s.Channels(), 1);
  EXPECT_DOUBLE_EQ(s.Duration(), 2.0);
  EXPECT_EQ(s.VorbisComment().Title(), "Spoken");
}

// An ASF header with file properties and one audio stream.
std::string asfFile(uint16_t channels, uint32_t rate, uint32_t bytesPerSecond, uint32_t maxBitRate) {
  const std::string header("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
  const std::string fileProps("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
  const std::string streamProps("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);
  const std::string audio("\x40\x9E\x69\xF8\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B", 16);
  std::string fp = fileProps + le32s(104) + le32s(0) + std::string(100 - 24, '\0') + le32s(maxBitRate);
  std::string sp = streamProps + le32s(96) + le32s(0) + audio + std::string(78 - 40, '\0') + le16s(0x161) +
                   le16s(channels) + le32s(rate) + le32s(bytesPerSecond) + std::string(4, '\0');
  std::string objects = fp + sp;
  return header + le32s(static_cast<uint32_t>(30 + objects.size())) + le32s(0) + le32s(2) + "\x01\x02" + objects +
         std::string(100000, 'd');
}

TEST(WMAfile, StreamPropertiesAndValidity) {
  test::TempDir dir;
  struct Case {
    uint16_t channels;
    uint32_t rate, bytesPerSecond, maxBitRate;
    bool valid;
  } cases[] = {
      {2, 44100, 16000, 128000, true}, {3, 44100, 16000, 128000, false}, {2, 7999, 16000, 128000, false},
      {1, 8000, 40000, 128000, false}, {2, 44100, 16000, 320000, false},
  };
  for (const auto& c : cases) {
    writeAll(dir.file("a.wma"), asfFile(c.channels, c.rate, c.bytesPerSecond, c.maxBitRate));
    TWMAfile w;
    ASSERT_TRUE(w.Read(dir.file("a.wma")));
    EXPECT_EQ(w.Valid(), c.valid);
    if (c.valid) {
      EXPECT_EQ(w.BitRate(), 128);
      EXPECT_DOUBLE_EQ(w.Duration(), w.FileSize() * 8.0 / 128000);
    }
  }
}

std::string adtsFrame(int length, bool vbr) {
  // MPEG-4 AAC LC, 44100 Hz (index 4), 2 channels.
  int fullness = vbr ? 0x7FF : 0x100;
  std::string h = {char(0xFF), char(0xF1), char((1 << 6) | (4 << 2)), char((2 << 6) | ((length >> 11) & 3)),
                   char((length >> 3) & 0xFF), char(((length & 7) << 5) | (fullness >> 6)), char((fullness & 0x3F) << 2)};
  return h + std::string(static_cast<size_t>(length - 7), '\0');
}

TEST(AACfile, AdtsConstantBitRateIsJudgedFromTheFirstFrame) {
  test::TempDir dir;
  writeAll(dir.file("cbr.aac"), adtsFrame(400, false) + adtsFrame(200, false) + adtsFrame(200, false));
  TAACfile a;
  ASSERT_TRUE(a.Read(dir.file("cbr.aac")));
  EXPECT_TRUE(a.Valid());
  EXPECT_EQ(a.Frames(), 1u);
  EXPECT_EQ(a.BitRate(), static_cast<int>(std::nearbyint(44100 * 400 * 8 / 1024.0)));

  writeAll(dir.file("vbr.aac"), adtsFrame(400, true) + adtsFrame(200, true) + adtsFrame(300, true) + test::id3v1Tag("t", "", "", "", "", 1));
  ASSERT_TRUE(a.Read(dir.file("vbr.aac")));
  EXPECT_EQ(a.Frames(), 3u);
  EXPECT_EQ(a.BitRate(), static_cast<int>(std::nearbyint(44100 * (900 * 8 / 1024.0 / 3))));
  EXPECT_EQ(a.Channels(), 2);
  EXPECT_EQ(a.ID3v1().Title(), "t");
}

TEST(AACfile, ZeroLengthFramesEndTheWalk) {
  test::TempDir dir;
  std::string f = adtsFrame(400, true);
  std::string zero = adtsFrame(7, true);
  zero[3] = char(zero[3] & ~3);
  zero[4] = 0;
  zero[5] = char(zero[5] & 0x1F);
  writeAll(dir.file("a.aac"), f + zero + zero);
  TAACfile a;
  ASSERT_TRUE(a.Read(dir.file("a.aac")));
  EXPECT_EQ(a.Frames(), 1u);
}

TEST(AACfile, AdifHeader) {
  test::TempDir dir;
  // "ADIF", no copyright id, constant bit rate 128000, one program config
  // element: profile 1, rate index 4, 1 front + 0 side + 0 back + 0 LFE.
  std::vector<std::pair<uint32_t, int>> fields = {{0, 1}, {0, 1}, {0, 1}, {0, 1}, {128000, 23}, {0, 4}, {0, 20},
                                                  {0, 4}, {1, 2}, {4, 4}, {1, 4}, {0, 4}, {0, 4}, {1, 2}};
  uint64_t acc = 0;
  int count = 0;
  std::string out = "ADIF";
  for (auto [value, width] : fields) {
    for (int i = width - 1; i >= 0; --i) {
      acc = (acc << 1) | ((value >> i) & 1);
      if (++count == 8) {
        out += char(acc);
        acc = 0;
        count = 0;
      }
    }
  }
  if (count) out += char(acc << (8 - count));
  writeAll(dir.file("a.aac"), out + std::string(16000, 'x'));
  TAACfile a;
  ASSERT_TRUE(a.Read(dir.file("a.aac")));
  EXPECT_EQ(a.Header(), TAACfile::HeaderType::ADIF);
  EXPECT_EQ(a.BitRate(), 128000);
  EXPECT_EQ(a.SampleRate(), 44100);
  EXPECT_EQ(a.Channels(), 2);
  EXPECT_TRUE(a.Valid());
}

TEST(AC3, SyncRateCodeAndChannels) {
  test::TempDir dir;
  struct Case {
    uint8_t code;  // byte 4: sample rate code and frame size code
    uint8_t acmod;
    int rate, bitRate, channels;
    bool valid;
  } cases[] = {
      {28, 2, 48000, 384, 2, true},
      {(1 << 6) | 20, 1, 44100, 192, 1, true},
      {(2 << 6) | 36, 7, 32000, 640, 5, true},
      {38, 2, 48000, 0, 2, false},  // frame size code past the table
      {(3 << 6) | 10, 2, 0, 80, 2, false},  // reserved sample rate code
  };
  for (const auto& c : cases) {
    std::string f = {char(0x0B), char(0x77), 0, 0, char(c.code), char(0x40), char(c.acmod << 5)};
    writeAll(dir.file("a.ac3"), f + std::string(47993, '\0'));
    TAC3 a;
    ASSERT_TRUE(a.Read(dir.file("a.ac3")));
    EXPECT_EQ(a.Valid(), c.valid);
    EXPECT_EQ(a.SampleRate(), c.rate);
    EXPECT_EQ(a.BitRate(), c.bitRate);
    EXPECT_EQ(a.Channels(), c.channels);
  }
  writeAll(dir.file("b.ac3"), "no sync");
  TAC3 a;
  ASSERT_TRUE(a.Read(dir.file("b.ac3")));
  EXPECT_FALSE(a.Valid());
}

}  // namespace
}  // namespace sondrel
