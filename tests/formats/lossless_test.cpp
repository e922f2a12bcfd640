#include <gtest/gtest.h>

#include <cmath>

#include "byte_fixtures.h"
#include "formats/flac_file.h"
#include "formats/monkey.h"
#include "formats/musepack.h"
#include "formats/optimfrog.h"
#include "formats/tta.h"
#include "formats/vorbis_comment.h"
#include "formats/wavpack_file.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

using test::flacBlock;
using test::flacStreamInfo;
using test::le16s;
using test::le32s;
using test::readAll;
using test::writeAll;

const std::string kFrames = std::string("\xFF\xF8\x69\x08", 4) + std::string(3000, '\x5A');

std::string vorbisBlockBody(const std::vector<std::pair<std::string, std::string>>& items) {
  Bytes b = TVorbisComment::Render("vendor", items, false);
  return {b.begin(), b.end()};
}

std::string flacFile(const std::string& blocks) {
  return "fLaC" + flacBlock(0, blocks.empty(), flacStreamInfo(44100, 2, 16, 441000)) + blocks + kFrames;
}

TFLACfile readFlac(const std::string& path) {
  TFLACfile f;
  f.Read(path);
  return f;
}

TEST(FLACfile, StreamInfoAndRatio) {
  test::TempDir dir;
  std::string file = flacFile(flacBlock(1, true, std::string(100, '\0')));
  file.resize(1000000, '\x5A');
  writeAll(dir.file("a.flac"), file);
  TFLACfile f = readFlac(dir.file("a.flac"));
  ASSERT_TRUE(f.Valid());
  EXPECT_EQ(f.SampleRate(), 44100);
  EXPECT_EQ(f.Channels(), 2);
  EXPECT_EQ(f.BitsPerSample(), 16);
  EXPECT_EQ(f.Samples(), 441000u);
  EXPECT_NEAR(f.Ratio(), 56.69, 0.005);
  EXPECT_EQ(f.ChannelModeName(), "Stereo");
}

TEST(FLACfile, BlockTypesDecideValidity) {
  test::TempDir dir;
  struct Case {
    std::string name, blocks;
    bool valid;
  } cases[] = {
      {"picture block", flacBlock(6, true, std::string(40, 'p')), true},
      {"reserved type 7", flacBlock(7, true, std::string(40, 'r')), false},
      {"invalid type 127", flacBlock(127, true, ""), false},
      {"empty block then more", flacBlock(2, false, "") + flacBlock(1, true, std::string(10, '\0')), true},
      {"block past the end", flacBlock(1, true, "") .substr(0, 1) + test::be24s(0xFFFFFF), false},
  };
  for (const auto& c : cases) {
    writeAll(dir.file("a.flac"), flacFile(c.blocks));
    EXPECT_EQ(readFlac(dir.file("a.flac")).Valid(), c.valid) << c.name;
  }
}

TEST(FLACfile, CommentsFillFieldsAndKeepEverythingElse) {
  test::TempDir dir;
  writeAll(dir.file("a.flac"), flacFile(flacBlock(4, true, vorbisBlockBody({{"title", "T"}, {"TITLE", "T2"}, {"MOOD", "calm"}, {"CUSTOM", "c"}}))));
  TFLACfile f = readFlac(dir.file("a.flac"));
  EXPECT_EQ(f.Title(), "T");
  EXPECT_EQ(f.GetTag("mood"), "calm");
  EXPECT_EQ(f.Extras(), (TFLACfile::ExtraItems{{"TITLE", "T2"}, {"CUSTOM", "c"}}));
  EXPECT_EQ(f.Vendor(), "vendor");
  EXPECT_TRUE(f.HasComments());
}

TEST(FLACfile, GrowingCommentFitsIntoThePaddingInPlace) {
  test::TempDir dir;
  std::string seek = flacBlock(3, false, std::string(18, 's'));
  // vendor 4 + 6, count 4, item 4 + "TITLE=" + text: 24 bytes around the title
  std::string comment = vorbisBlockBody({{"TITLE", std::string(176, 'o')}});
  ASSERT_EQ(comment.size(), 200u);
  writeAll(dir.file("a.flac"), flacFile(seek + flacBlock(4, false, comment) + flacBlock(1, true, std::string(4096, '\0'))));
  const size_t before = readAll(dir.file("a.flac")).size();
  TFLACfile f = readFlac(dir.file("a.flac"));
  f.SetTag("TITLE", std::string(476, 't'));  // a 500-byte block body
  ASSERT_TRUE(f.Write(dir.file("a.flac")));
  std::string file = readAll(dir.file("a.flac"));
  EXPECT_EQ(file.size(), before);
  EXPECT_EQ(file.substr(file.size() - kFrames.size()), kFrames);
  const size_t commentAt = 4 + 38 + seek.size();
  EXPECT_EQ(file.substr(commentAt, 4), std::string("\x04\x00\x01\xF4", 4));  // 500 bytes
  EXPECT_EQ(file.substr(commentAt + 504, 4), std::string("\x81\x00\x0E\xD4", 4));  // 3796 bytes of padding
  TFLACfile back = readFlac(dir.file("a.flac"));
  EXPECT_TRUE(back.Valid());
  EXPECT_EQ(back.Title().size(), 476u);
}

TEST(FLACfile, WithoutPaddingTheFileIsRebuiltWith4096BytesOfPadding) {
  test::TempDir dir;
  std::string id3 = test::id3v2Tag(3, test::id3v2Frame(3, "TIT2", std::string(1, '\0') + "id3"));
  writeAll(dir.file("a.flac"), id3 + flacFile(flacBlock(4, true, vorbisBlockBody({}))));
  TFLACfile f = readFlac(dir.file("a.flac"));
  ASSERT_TRUE(f.Valid());
  f.SetTag("ARTIST", "Someone");
  ASSERT_TRUE(f.Write(dir.file("a.flac")));
  std::string file = readAll(dir.file("a.flac"));
  EXPECT_EQ(file.substr(0, id3.size() + 4), id3 + "fLaC");
  EXPECT_EQ(file.substr(file.size() - kFrames.size()), kFrames);
  TFLACfile back = readFlac(dir.file("a.flac"));
  ASSERT_TRUE(back.Valid());
  EXPECT_EQ(back.Artist(), "Someone");
  EXPECT_EQ(back.ID3v2().Title(), "id3");
  EXPECT_EQ(back.AudioOffset(), static_cast<int64_t>(file.size() - kFrames.size()));
  const size_t paddingHeader = back.AudioOffset() - 4096 - 4;
  EXPECT_EQ(file.substr(paddingHeader, 4), std::string("\x81\x00\x10\x00", 4));
}

TEST(FLACfile, AddingACommentBlockWhereThereWasNone) {
  test::TempDir dir;
  writeAll(dir.file("a.flac"), flacFile(flacBlock(1, true, std::string(300, '\0'))));
  TFLACfile f = readFlac(dir.file("a.flac"));
  f.SetTag("TITLE", "T");
  ASSERT_TRUE(f.Write(dir.file("a.flac")));
  std::string file = readAll(dir.file("a.flac"));
  EXPECT_EQ(file.size(), flacFile(flacBlock(1, true, std::string(300, '\0'))).size());
  TFLACfile back = readFlac(dir.file("a.flac"));
  EXPECT_EQ(back.Title(), "T");
  EXPECT_EQ(back.Vendor(), "reference libFLAC 1.1.0 20030126");
}

TEST(FLACfile, ShortFormWritesOnlyTheFirstTwentyNames) {
  test::TempDir dir;
  writeAll(dir.file("a.flac"), flacFile(flacBlock(4, true, vorbisBlockBody({{"ISRC", "X"}, {"TEMPO", "fast"}, {"OWN", "o"}}))));
  TFLACfile f = readFlac(dir.file("a.flac"));
  ASSERT_TRUE(f.Write(dir.file("a.flac"), false));
  TFLACfile back = readFlac(dir.file("a.flac"));
  EXPECT_EQ(back.GetTag("TEMPO"), "fast");
  EXPECT_EQ(back.GetTag("ISRC"), "");
  EXPECT_TRUE(back.Extras().empty());
}

std::string wavpack4(uint32_t flags, uint32_t samples, const std::string& subBlocks = "") {
  return "wvpk" + le32s(static_cast<uint32_t>(24 + subBlocks.size())) + le16s(0x410) + std::string(2, '\0') +
         le32s(samples) + le32s(0) + le32s(samples) + le32s(flags) + le32s(0) + subBlocks + std::string(100, 'w');
}

TEST(WAVPackfile, Version4Flags) {
  test::TempDir dir;
  struct Case {
    uint32_t flags;
    std::string subBlocks;
    int channels, bits, rate;
    std::string mode;
  } cases[] = {
      {2u | 4u | (9u << 23), "", 1, 24, 44100, "Mono"},
      {1u | (10u << 23), "", 2, 16, 48000, "Stereo"},
      {1u | (15u << 23), "", 2, 16, 44100, "Stereo"},
      {1u | (15u << 23), std::string("\x27\x02\x40\x93\x00\x00", 6), 2, 16, 37696, "Stereo"},
  };
  for (const auto& c : cases) {
    writeAll(dir.file("a.wv"), wavpack4(c.flags, 44100, c.subBlocks));
    TWAVPackfile w;
    ASSERT_TRUE(w.Read(dir.file("a.wv")));
    EXPECT_TRUE(w.Valid());
    EXPECT_EQ(w.Channels(), c.channels);
    EXPECT_EQ(w.BitsPerSample(), c.bits);
    EXPECT_EQ(w.SampleRate(), c.rate);
    EXPECT_EQ(w.ChannelModeName(), c.mode);
  }
}

TEST(WAVPackfile, Version3RiffFile) {
  test::TempDir dir;
  std::string fmt = le16s(1) + le16s(1) + le32s(22050) + le32s(44100) + le16s(2) + le16s(16);
  std::string header3 = "wvpk" + le32s(28) + le16s(3) + le16s(16) + le16s(1) + le16s(0) + le32s(22050) + std::string(16, '\0');
  std::string file = "RIFF" + le32s(1000) + "WAVE" + "fmt " + le32s(16) + fmt + "data" + le32s(500) + header3 + std::string(100, 'd');
  writeAll(dir.file("a.wv"), file);
  TWAVPackfile w;
  ASSERT_TRUE(w.Read(dir.file("a.wv")));
  EXPECT_TRUE(w.Valid());
  EXPECT_EQ(w.Version(), 3);
  EXPECT_EQ(w.Channels(), 1);
  EXPECT_EQ(w.SampleRate(), 22050);
  EXPECT_DOUBLE_EQ(w.Duration(), 1.0);
}

std::string ofrHeader(uint8_t sampleType, uint8_t channelConfig, uint32_t rate, uint8_t compression) {
  return "OFR " + le32s(15) + le32s(88200) + le16s(0) + char(sampleType) + char(channelConfig) + le32s(rate) +
         le16s(4) + char(compression) + std::string(200, 'o');
}

TEST(OptimFrog, HeaderFieldsAndValidity) {
  test::TempDir dir;
  struct Case {
    uint8_t type, config;
    uint32_t rate;
    uint8_t compression;
    int bits;
    bool valid;
  } cases[] = {
      {2, 1, 44100, 0, 16, true},  {8, 1, 44100, 0, -32, true}, {4, 0, 48000, 79, 24, true},
      {11, 1, 44100, 0, 0, false}, {2, 2, 44100, 0, 16, false}, {2, 1, 0, 0, 16, false},
      {2, 1, 44100, 80, 16, false},
  };
  for (const auto& c : cases) {
    writeAll(dir.file("a.ofr"), ofrHeader(c.type, c.config, c.rate, c.compression));
    TOptimFrog o;
    EXPECT_TRUE(o.Read(dir.file("a.ofr")));
    EXPECT_EQ(o.BitsPerSample(), c.bits);
    EXPECT_EQ(o.Valid(), c.valid);
    if (c.config == 1) {
      EXPECT_EQ(o.Samples(), 44100u);
    }
  }
  writeAll(dir.file("b.ofr"), "RIFF nothing");
  TOptimFrog o;
  EXPECT_FALSE(o.Read(dir.file("b.ofr")));
}

TEST(Monkey, OldAndNewHeaders) {
  test::TempDir dir;
  // Version 3990: descriptor of 52 bytes, header of 24.
  std::string descriptor = "MAC " + le16s(3990) + le16s(0) + le32s(52) + le32s(24) + std::string(36, '\0');
  std::string header = le16s(2000) + le16s(0) + le32s(73728) + le32s(1000) + le32s(10) + le16s(16) + le16s(2) + le32s(44100);
  writeAll(dir.file("new.ape"), descriptor + header + std::string(500, 'm'));
  TMonkey m;
  ASSERT_TRUE(m.Read(dir.file("new.ape")));
  EXPECT_TRUE(m.Valid());
  EXPECT_EQ(m.Samples(), 9u * 73728 + 1000);
  EXPECT_EQ(m.Channels(), 2);

  // Version 3970 (before the descriptor): 8-bit flag, 294912 blocks a frame.
  std::string old = "MAC " + le16s(3970) + le16s(2000) + le16s(1) + le16s(1) + le32s(22050) + le32s(0) + le32s(0) +
                    le32s(2) + le32s(100) + le32s(0);
  writeAll(dir.file("old.ape"), old + std::string(500, 'm'));
  ASSERT_TRUE(m.Read(dir.file("old.ape")));
  EXPECT_EQ(m.BitsPerSample(), 8);
  EXPECT_EQ(m.Samples(), 294912u + 100);
  EXPECT_EQ(m.Channels(), 1);
}

TEST(TTA, HeaderAfterAnID3v2Tag) {
  test::TempDir dir;
  std::string id3 = test::id3v2Tag(3, "", 20);
  writeAll(dir.file("a.tta"), id3 + "TTA1" + le16s(1) + le16s(2) + le16s(16) + le32s(44100) + le32s(88200) + le32s(0) + std::string(100, 't'));
  TTTA t;
  ASSERT_TRUE(t.Read(dir.file("a.tta")));
  EXPECT_TRUE(t.Valid());
  EXPECT_DOUBLE_EQ(t.Duration(), 2.0);
}

TEST(Musepack, Stream7BitRateLeavesTheID3v1TagOut) {
  test::TempDir dir;
  // 100 frames at 44100 Hz, mid/side stereo.
  std::string header = "MP+" + std::string(1, '\x07') + le32s(100) + std::string(1, '\0') + std::string(1, '\0') +
                       std::string(1, '\0') + std::string(1, '\x40') + std::string(20, '\0');
  std::string body = header + std::string(10000 - header.size(), 'q');
  writeAll(dir.file("a.mpc"), body + test::id3v1Tag("t", "", "", "", "", 1));
  TMPEGplus m;
  ASSERT_TRUE(m.Read(dir.file("a.mpc")));
  ASSERT_TRUE(m.Valid());
  EXPECT_EQ(m.StreamVersion(), 7);
  EXPECT_EQ(m.ChannelModeName(), "Joint Stereo");
  const int expected = static_cast<int>(std::nearbyint(10000.0 * 8 * 44.1 / 100 / 1152));
  EXPECT_EQ(m.BitRate(), expected);
  EXPECT_EQ(m.BitRate(), expected);
  EXPECT_EQ(m.ID3v1().Title(), "t");
}

}  // namespace
}  // namespace sondrel
