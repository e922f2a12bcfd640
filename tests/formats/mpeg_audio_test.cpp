#include <gtest/gtest.h>

#include "byte_fixtures.h"
#include "formats/mpeg_audio.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

using test::mpegFrame;
using test::writeAll;

// MPEG-1 Layer III, 128 kbit/s, 44100 Hz, joint stereo.
const std::string kHeader("\xFF\xFB\x90\x40", 4);
const std::string kPaddedHeader("\xFF\xFB\x92\x40", 4);

std::string cbrFrames(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += mpegFrame(kHeader, 417);
  return s;
}

// A first frame carrying a Xing or Info header at offset 36.
std::string vbrFrame(const std::string& kind, uint32_t frames, uint32_t bytes) {
  std::string f = mpegFrame(kHeader, 417);
  f.replace(36, 4, kind);
  f.replace(36 + 4, 4, test::be32s(3));
  f.replace(36 + 8, 4, test::be32s(frames));
  f.replace(36 + 12, 4, test::be32s(bytes));
  return f;
}

TMPEGaudio readMpeg(const std::string& path) {
  TMPEGaudio m;
  EXPECT_TRUE(m.Read(path));
  return m;
}

TEST(MPEGaudio, FrameLengthAndTheNextHeaderDecideAFrame) {
  TMPEGaudio::FrameData f;
  f.VersionIndex = 3;
  f.LayerIndex = 1;
  f.BitRateIndex = 9;
  f.SampleRateIndex = 0;
  EXPECT_EQ(TMPEGaudio::FrameLength(f), 417);
  f.Padding = true;
  EXPECT_EQ(TMPEGaudio::FrameLength(f), 418);

  test::TempDir dir;
  struct Case {
    std::string name, bytes;
    bool found;
  } cases[] = {
      {"two frames", cbrFrames(2), true},
      {"padded frame then frame", mpegFrame(kPaddedHeader, 418) + mpegFrame(kHeader, 417), true},
      {"second header one byte late", mpegFrame(kHeader, 418) + mpegFrame(kHeader, 417), false},
      {"lone frame", mpegFrame(kHeader, 417) + std::string(400, '\0'), false},
      {"emphasis 2 rejected", mpegFrame(std::string("\xFF\xFB\x90\x42", 4), 417) + mpegFrame(std::string("\xFF\xFB\x90\x42", 4), 417), false},
      {"free format rejected", mpegFrame(std::string("\xFF\xFB\x00\x40", 4), 417) + cbrFrames(1), false},
  };
  for (const auto& c : cases) {
    writeAll(dir.file("a.mp3"), c.bytes);
    EXPECT_EQ(readMpeg(dir.file("a.mp3")).Frame().Found, c.found) << c.name;
  }
}

TEST(MPEGaudio, AudioStartsAfterTheID3v2TagAndEndsBeforeTheID3v1Tag) {
  test::TempDir dir;
  std::string tag = test::id3v2Tag(3, test::id3v2Frame(3, "TIT2", std::string(1, '\0') + "t"), 4096 - 10 - 12);
  ASSERT_EQ(tag.size(), 4096u);
  std::string audio = cbrFrames(100);
  writeAll(dir.file("a.mp3"), tag + audio + test::id3v1Tag("v1", "", "", "", "", 1));
  TMPEGaudio m = readMpeg(dir.file("a.mp3"));
  ASSERT_TRUE(m.Valid());
  EXPECT_EQ(m.AudioStart(), 4096);
  EXPECT_EQ(m.AudioEnd(), static_cast<int64_t>(4096 + audio.size()));
  EXPECT_DOUBLE_EQ(m.Duration(), audio.size() * 8 / 128000.0);
  EXPECT_EQ(m.BitRate(), 128);
  EXPECT_EQ(m.SampleRate(), 44100);
  EXPECT_EQ(m.ChannelModeName(), "Joint Stereo");
  EXPECT_EQ(m.ID3v2().Title(), "t");
  EXPECT_EQ(m.ID3v1().Title(), "v1");
}

TEST(MPEGaudio, XingFrameCountGivesTheDurationWhateverTheFileSize) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), vbrFrame("Xing", 1000, 1000 * 300) + cbrFrames(3));
  TMPEGaudio m = readMpeg(dir.file("a.mp3"));
  ASSERT_TRUE(m.VBR().Found);
  EXPECT_EQ(m.VBR().Kind, "Xing");
  EXPECT_NEAR(m.Duration(), 1000 * 1152 / 44100.0, 1e-9);
  EXPECT_EQ(m.BitRate(), 92);  // 300 bytes a frame at 44100 Hz
  EXPECT_TRUE(m.Valid());
}

TEST(MPEGaudio, InfoHeaderIsNotAVbrHeader) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), vbrFrame("Info", 1000, 1000 * 300) + cbrFrames(30));
  TMPEGaudio m = readMpeg(dir.file("a.mp3"));
  EXPECT_FALSE(m.VBR().Found);
  EXPECT_EQ(m.BitRate(), 128);
}

TEST(MPEGaudio, VbrBitRateAbove448IsInvalid) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), vbrFrame("Xing", 100, 100 * 2000) + cbrFrames(3));
  TMPEGaudio m = readMpeg(dir.file("a.mp3"));
  EXPECT_EQ(m.BitRate(), 612);  // 612.5, rounded half to even
  EXPECT_FALSE(m.Valid());
}

TEST(MPEGaudio, AFrameBeyondTheSearchPositionsIsFoundInTheNextChunk) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), std::string(1800, '\0') + cbrFrames(20));
  TMPEGaudio m = readMpeg(dir.file("a.mp3"));
  ASSERT_TRUE(m.Frame().Found);
  // Frames start at 1800 + 417k; the first one inside chunk 1 (from 3458) is at 3468.
  EXPECT_EQ(m.Frame().Position, 3468);
}

TEST(MPEGaudio, NoFrameMeansNoTagsEither) {
  test::TempDir dir;
  writeAll(dir.file("a.mp3"), std::string(5000, 'x') + test::id3v1Tag("t", "", "", "", "", 1));
  TMPEGaudio m = readMpeg(dir.file("a.mp3"));
  EXPECT_FALSE(m.Valid());
  EXPECT_FALSE(m.ID3v1().Present());
  EXPECT_EQ(m.Duration(), 0);
}

TEST(MPEGaudio, BytesBeyondTheEndOfAShortFileAreNotTakenForAFrame) {
  test::TempDir dir;
  // The second header would need the 4 bytes past the end of the file.
  writeAll(dir.file("a.mp3"), mpegFrame(kHeader, 417) + std::string("\xFF\xFB", 2));
  EXPECT_FALSE(readMpeg(dir.file("a.mp3")).Frame().Found);
}

TEST(MPEGaudio, MissingFileFails) {
  TMPEGaudio m;
  EXPECT_FALSE(m.Read("/nonexistent.mp3"));
}

}  // namespace
}  // namespace sondrel
