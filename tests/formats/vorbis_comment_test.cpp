#include <gtest/gtest.h>

#include "byte_fixtures.h"
#include "formats/input_file.h"
#include "formats/ogg_page.h"
#include "formats/ogg_vorbis.h"
#include "formats/vorbis_comment.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

using test::oggPage;
using test::readAll;
using test::writeAll;

std::string commentPacket(const TVorbisComment::Items& items, const std::string& vendor = "v") {
  Bytes b = TVorbisComment::Render(vendor, items, true);
  return {b.begin(), b.end()};
}

const std::string kSetup = std::string("\x05vorbis", 7) + std::string(600, 's');

// An Ogg Vorbis file of hand-made pages: identification, comment and setup,
// then audio pages whose packets are opaque bytes.
std::string oggFile(const std::string& comment, uint64_t lastGranule = 441000) {
  std::string f = oggPage(7, 0, 0, 2, {test::vorbisIdentification(2, 44100, 128000)});
  f += oggPage(7, 1, 0, 0, {comment, kSetup});
  f += oggPage(7, 2, 4410, 0, {std::string(1000, 'a'), std::string(900, 'b')});
  f += oggPage(7, 3, lastGranule, 4, {std::string(800, 'c')});
  return f;
}

struct PageInfo {
  uint32_t sequence;
  std::vector<uint8_t> lacing;
  bool crcValid;
};

std::vector<PageInfo> pages(const std::string& path) {
  auto file = InputFile::open(path);
  std::vector<PageInfo> out;
  for (int64_t pos = 0; pos < file->size();) {
    auto page = readOggPageHeader(*file, pos);
    if (!page) break;
    Bytes raw = file->read(pos, page->totalSize());
    uint32_t stored = le32(raw, 22);
    for (int i = 22; i < 26; ++i) raw[static_cast<size_t>(i)] = 0;
    out.push_back({page->sequence, page->lacing, oggCrc(raw) == stored});
    pos += page->totalSize();
  }
  return out;
}

TEST(VorbisComment, TrackNumberIsTheNumberBeforeTheSlash) {
  struct Case {
    std::string text;
    int track;
  } cases[] = {{"3/12", 3}, {"A", 0}, {"7", 7}, {" 4 ", 4}, {"", 0}, {"300", 0}};
  for (const auto& c : cases) EXPECT_EQ(TrackNumberValue(c.text), c.track) << c.text;
}

TEST(VorbisComment, ParsesWithAndWithoutThePacketPrefixAndMapsFallbacks) {
  std::string packet = commentPacket({{"performer", "P"}, {"DESCRIPTION", "D"}, {"title", "T"}, {"TITLE", "T2"}});
  TVorbisComment c;
  ASSERT_TRUE(c.Parse(Bytes(packet.begin(), packet.end())));
  EXPECT_EQ(c.Vendor(), "v");
  EXPECT_EQ(c.Title(), "T");
  EXPECT_EQ(c.Artist(), "P");
  EXPECT_EQ(c.Comment(), "D");
  std::string bare = packet.substr(7);
  ASSERT_TRUE(c.Parse(Bytes(bare.begin(), bare.end())));
  EXPECT_EQ(c.ItemList().size(), 4u);
}

TEST(VorbisComment, CountsAndLengthsBeyondTheBlockStopTheParse) {
  std::string packet = commentPacket({{"TITLE", "T"}});
  packet.replace(7 + 4 + 1, 4, test::le32s(1000000));  // item count
  TVorbisComment c;
  EXPECT_FALSE(c.Parse(Bytes(packet.begin(), packet.end())));
  EXPECT_EQ(c.Title(), "T");
}

TEST(OggVorbisWrite, CommentPacketOf300BytesGetsLacing255And45BeforeTheSetupHeader) {
  test::TempDir dir;
  writeAll(dir.file("a.ogg"), oggFile(commentPacket({})));
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.Read(dir.file("a.ogg")));
  EXPECT_TRUE(ogg.Valid());
  EXPECT_DOUBLE_EQ(ogg.Duration(), 10.0);
  ogg.SetTitle(std::string(273, 'x'));  // 7 + 4+1 + 4 + 4+6+273 + 1 = 300 bytes
  ASSERT_TRUE(ogg.Write(dir.file("a.ogg")));
  auto p = pages(dir.file("a.ogg"));
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[1].lacing, (std::vector<uint8_t>{255, 45, 255, 255, 97}));
  for (size_t i = 0; i < p.size(); ++i) {
    EXPECT_TRUE(p[i].crcValid) << i;
    EXPECT_EQ(p[i].sequence, i);
  }
  TOggVorbis back;
  ASSERT_TRUE(back.Read(dir.file("a.ogg")));
  EXPECT_EQ(back.Title(), std::string(273, 'x'));
}

TEST(OggVorbisWrite, OtherItemsAreKeptAndAudioPagesFollowUnchanged) {
  test::TempDir dir;
  std::string original = oggFile(commentPacket({{"TITLE", "old"}, {"REPLAYGAIN_TRACK_GAIN", "-3 dB"}, {"PERFORMER", "p"}}));
  writeAll(dir.file("a.ogg"), original);
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.Read(dir.file("a.ogg")));
  ogg.SetTitle("new");
  ogg.SetTrack(4);
  ASSERT_TRUE(ogg.Write(dir.file("a.ogg")));
  std::string file = readAll(dir.file("a.ogg"));
  size_t audio = original.find(std::string(1000, 'a')) - 27 - 3;
  EXPECT_EQ(file.substr(file.size() - (original.size() - audio)), original.substr(audio));
  auto file2 = InputFile::open(dir.file("a.ogg"));
  int64_t next = 0;
  int used = 0;
  bool boundary = false;
  auto second = readOggPageHeader(*file2, 0);
  auto packets = readOggPackets(*file2, second->totalSize(), 1, 1 << 20, next, used, boundary);
  TVorbisComment c;
  ASSERT_TRUE(c.Parse(packets.at(0)));
  // PERFORMER stood in for the artist; it is written back as ARTIST.
  EXPECT_EQ(c.ItemList(), (TVorbisComment::Items{
                              {"TITLE", "new"}, {"ARTIST", "p"}, {"TRACKNUMBER", "4"}, {"REPLAYGAIN_TRACK_GAIN", "-3 dB"}}));
}

TEST(OggVorbisWrite, ACommentTooBigForOnePageSpillsOverAndLaterPagesAreRenumbered) {
  test::TempDir dir;
  writeAll(dir.file("a.ogg"), oggFile(commentPacket({})));
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.Read(dir.file("a.ogg")));
  ogg.SetComment(std::string(70000, 'c'));
  ASSERT_TRUE(ogg.Write(dir.file("a.ogg")));
  auto p = pages(dir.file("a.ogg"));
  ASSERT_EQ(p.size(), 5u);
  for (size_t i = 0; i < p.size(); ++i) {
    EXPECT_TRUE(p[i].crcValid) << i;
    EXPECT_EQ(p[i].sequence, i);
  }
  TOggVorbis back;
  ASSERT_TRUE(back.Read(dir.file("a.ogg")));
  EXPECT_EQ(back.Comment().size(), 70000u);
  EXPECT_DOUBLE_EQ(back.Duration(), 10.0);
}

TEST(OggVorbisWrite, FilesThatAreNotOggAreLeftAlone) {
  test::TempDir dir;
  writeAll(dir.file("a.ogg"), "not an ogg file at all");
  TOggVorbis ogg;
  ogg.SetTitle("x");
  EXPECT_FALSE(ogg.Write(dir.file("a.ogg")));
  EXPECT_EQ(readAll(dir.file("a.ogg")), "not an ogg file at all");
}

}  // namespace
}  // namespace sondrel
