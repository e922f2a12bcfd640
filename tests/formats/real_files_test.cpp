// Files made by real encoders, checked against independent programs: FFmpeg
// for the stream properties and the audio, TagLib for the tags.
#include <gtest/gtest.h>

#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/speexfile.h>
#include <taglib/trueaudiofile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "formats/ape_tag.h"
#include "formats/flac_file.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"
#include "formats/info_command.h"
#include "formats/ogg_vorbis.h"
#include "formats/wma_attributes.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using Fields = std::map<std::string, std::string>;

// The "field: value" lines of the info command.
Fields info(const std::string& path) {
  std::ostringstream out;
  runInfoCommand(path, out);
  Fields fields;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) {
    auto colon = line.find(": ");
    if (colon != std::string::npos) fields[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return fields;
}

std::string copyFixture(const test::TempDir& dir, const std::string& name) {
  std::string path = dir.file(name);
  fs::copy_file(test::fixture(name), path);
  return path;
}

double decodedSeconds(const std::string& path, int channels, int rate) {
  return double(test::ffmpegDecode(path, "s16le").size()) / (2.0 * channels * rate);
}

struct StreamCase {
  std::string fixture;
  double durationTolerance;  // fraction; the header method decides how exact it can be
  double bitRateTolerance;
};

class AgainstFFmpeg : public testing::TestWithParam<StreamCase> {};

TEST_P(AgainstFFmpeg, RateChannelsDurationAndBitRate) {
  const auto& c = GetParam();
  std::string path = test::fixture(c.fixture);
  Fields ours = info(path);
  ASSERT_EQ(ours["valid"], "yes");
  const int rate = std::stoi(test::ffprobeStream(path, "sample_rate"));
  const int channels = std::stoi(test::ffprobeStream(path, "channels"));
  EXPECT_EQ(std::stoi(ours["sample rate"]), rate);
  EXPECT_EQ(std::stoi(ours["channels"]), channels);
  const double seconds = decodedSeconds(path, channels, rate);
  EXPECT_NEAR(std::stod(ours["duration"]), seconds, seconds * c.durationTolerance);
  const double kbps = fs::file_size(path) * 8 / seconds / 1000;
  EXPECT_NEAR(std::stod(ours["bit rate"]), kbps, kbps * c.bitRateTolerance);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, AgainstFFmpeg,
    testing::Values(StreamCase{"cbr.mp3", 0.02, 0.03}, StreamCase{"vbr.mp3", 0.02, 0.03},
                    StreamCase{"noxing.mp3", 0.02, 0.03}, StreamCase{"layer2.mp2", 0.02, 0.03},
                    StreamCase{"sweep20.mp3", 0.01, 0.02}, StreamCase{"sweep20_noxing.mp3", 0.01, 0.02},
                    StreamCase{"vorbis.ogg", 0.01, 0.02}, StreamCase{"musepack.mpc", 0.02, 0.03},
                    StreamCase{"sweep20.mpc", 0.01, 0.02}, StreamCase{"speex.spx", 0.02, 0.03},
                    // WMA: length from file size and maximum bit rate, rate from the
                    // stream's average; the ASF packets add their overhead.
                    StreamCase{"wma2.wma", 0.16, 0.15}, StreamCase{"adts.aac", 0.01, 0.02},
                    StreamCase{"sweep20.aac", 0.01, 0.02}, StreamCase{"dolby.ac3", 0.02, 0.03},
                    StreamCase{"lossless.flac", 0.001, 0.01}, StreamCase{"hires.flac", 0.001, 0.01},
                    StreamCase{"sweep20.flac", 0.001, 0.01}, StreamCase{"pack.wv", 0.001, 0.01},
                    StreamCase{"sweep20.wv", 0.001, 0.01}, StreamCase{"truaudio.tta", 0.001, 0.01}),
    [](const auto& info) { return sondrel::test::testName(info.param.fixture); });

TEST(AgainstFFmpeg, BitsPerSampleOfLosslessFiles) {
  EXPECT_EQ(info(test::fixture("hires.flac"))["bits"], "24");
  EXPECT_EQ(info(test::fixture("lossless.flac"))["bits"], "16");
  EXPECT_EQ(info(test::fixture("pack.wv"))["bits"], "16");
  EXPECT_EQ(info(test::fixture("truaudio.tta"))["bits"], "16");
}

// The tag values every case writes; text that only fits Unicode where the tag
// kind can hold it.
struct Values {
  std::string title, artist, album, year, genre, comment, track;
};
const Values kUnicode{"Title \xC3\x9C\x6E\xC3\xAF \xE6\x97\xA5\xE6\x9C\xAC", "Artist \xC3\xA9", "Album", "2004",
                      "Rock", "Comment text", "7"};
const Values kLatin1{"Title Caf\xC3\xA9", "Artist", "Album", "2004", "Rock", "Comment", "7"};

void setTagLib(TagLib::Tag* tag, const Values& v) {
  ASSERT_NE(tag, nullptr);
  auto s = [](const std::string& x) { return TagLib::String(x, TagLib::String::UTF8); };
  tag->setTitle(s(v.title));
  tag->setArtist(s(v.artist));
  tag->setAlbum(s(v.album));
  tag->setYear(static_cast<unsigned>(std::stoi(v.year)));
  tag->setGenre(s(v.genre));
  tag->setComment(s(v.comment));
  tag->setTrack(static_cast<unsigned>(std::stoi(v.track)));
}

void expectValues(const Fields& fields, const std::string& kind, const Values& v) {
  EXPECT_EQ(fields.count(kind + ".title") ? fields.at(kind + ".title") : "", v.title) << kind;
  EXPECT_EQ(fields.count(kind + ".artist") ? fields.at(kind + ".artist") : "", v.artist) << kind;
  EXPECT_EQ(fields.count(kind + ".album") ? fields.at(kind + ".album") : "", v.album) << kind;
  EXPECT_EQ(fields.count(kind + ".year") ? fields.at(kind + ".year") : "", v.year) << kind;
  EXPECT_EQ(fields.count(kind + ".genre") ? fields.at(kind + ".genre") : "", v.genre) << kind;
  EXPECT_EQ(fields.count(kind + ".comment") ? fields.at(kind + ".comment") : "", v.comment) << kind;
  EXPECT_EQ(fields.count(kind + ".track") ? fields.at(kind + ".track") : "", v.track) << kind;
}

struct TaggedCase {
  std::string name, fixture, kind;
  Values values;
  std::function<void(const std::string&, const Values&)> tagWithTagLib;
};

class TaggedByTagLib : public testing::TestWithParam<TaggedCase> {};

TEST_P(TaggedByTagLib, OurReadersSeeTheSameValues) {
  const auto& c = GetParam();
  test::TempDir dir;
  std::string path = copyFixture(dir, c.fixture);
  c.tagWithTagLib(path, c.values);
  Fields fields = info(path);
  ASSERT_EQ(fields["valid"], "yes");
  expectValues(fields, c.kind, c.values);
}

INSTANTIATE_TEST_SUITE_P(
    TagKinds, TaggedByTagLib,
    testing::Values(
        TaggedCase{"Mp3ID3v24", "cbr.mp3", "ID3v2", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::MPEG::File f(p.c_str());
                     setTagLib(f.ID3v2Tag(true), v);
                     f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
                   }},
        TaggedCase{"Mp3ID3v23", "vbr.mp3", "ID3v2", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::MPEG::File f(p.c_str());
                     setTagLib(f.ID3v2Tag(true), v);
                     f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3);
                   }},
        TaggedCase{"Mp3ID3v1", "cbr.mp3", "ID3v1", kLatin1,
                   [](const std::string& p, const Values& v) {
                     TagLib::MPEG::File f(p.c_str());
                     setTagLib(f.ID3v1Tag(true), v);
                     f.save(TagLib::MPEG::File::ID3v1);
                   }},
        TaggedCase{"Mp3APE", "cbr.mp3", "APE", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::MPEG::File f(p.c_str());
                     setTagLib(f.APETag(true), v);
                     f.save(TagLib::MPEG::File::APE);
                   }},
        TaggedCase{"FlacXiph", "lossless.flac", "Vorbis", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::FLAC::File f(p.c_str());
                     setTagLib(f.xiphComment(true), v);
                     f.save();
                   }},
        TaggedCase{"OggXiph", "vorbis.ogg", "Vorbis", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::Ogg::Vorbis::File f(p.c_str());
                     setTagLib(f.tag(), v);
                     f.save();
                   }},
        TaggedCase{"SpeexXiph", "speex.spx", "Vorbis", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::Ogg::Speex::File f(p.c_str());
                     setTagLib(f.tag(), v);
                     f.save();
                   }},
        TaggedCase{"MusepackAPE", "musepack.mpc", "APE", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::MPC::File f(p.c_str());
                     setTagLib(f.APETag(true), v);
                     f.save();
                   }},
        TaggedCase{"WavPackAPE", "pack.wv", "APE", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::WavPack::File f(p.c_str());
                     setTagLib(f.APETag(true), v);
                     f.save();
                   }},
        TaggedCase{"TtaID3v2", "truaudio.tta", "ID3v2", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::TrueAudio::File f(p.c_str());
                     setTagLib(f.ID3v2Tag(true), v);
                     f.save();
                   }},
        TaggedCase{"WmaAttributes", "wma2.wma", "WMA", kUnicode,
                   [](const std::string& p, const Values& v) {
                     TagLib::ASF::File f(p.c_str());
                     setTagLib(f.tag(), v);
                     f.save();
                   }}),
    [](const auto& info) { return info.param.name; });

// What TagLib reads back from a file our writers tagged.
Values tagLibValues(TagLib::Tag* tag) {
  if (!tag) return {};
  return {tag->title().to8Bit(true), tag->artist().to8Bit(true), tag->album().to8Bit(true),
          tag->year() ? std::to_string(tag->year()) : "", tag->genre().to8Bit(true), tag->comment().to8Bit(true),
          tag->track() ? std::to_string(tag->track()) : ""};
}

void expectSame(const Values& a, const Values& b) {
  EXPECT_EQ(a.title, b.title);
  EXPECT_EQ(a.artist, b.artist);
  EXPECT_EQ(a.album, b.album);
  EXPECT_EQ(a.year, b.year);
  EXPECT_EQ(a.genre, b.genre);
  EXPECT_EQ(a.comment, b.comment);
  EXPECT_EQ(a.track, b.track);
}

struct WrittenCase {
  std::string name, fixture;
  Values values;
  std::function<bool(const std::string&, const Values&)> writeWithOurs;
  std::function<Values(const std::string&)> readWithTagLib;
};

class WrittenByUs : public testing::TestWithParam<WrittenCase> {};

TEST_P(WrittenByUs, TagLibReadsTheValuesAndTheAudioIsUnchanged) {
  const auto& c = GetParam();
  test::TempDir dir;
  std::string path = copyFixture(dir, c.fixture);
  auto before = test::ffmpegDecode(path, "s16le");
  ASSERT_TRUE(c.writeWithOurs(path, c.values));
  expectSame(c.readWithTagLib(path), c.values);
  // A second write over our own tag goes the in-place or rebuild way again.
  ASSERT_TRUE(c.writeWithOurs(path, c.values));
  expectSame(c.readWithTagLib(path), c.values);
  EXPECT_TRUE(test::ffmpegDecode(path, "s16le") == before) << "decoded audio changed";
  EXPECT_EQ(info(path)["valid"], "yes");
}

bool writeApe(const std::string& path, const Values& v) {
  TAPETag tag;
  tag.Read(path);
  tag.SetField("Title", v.title);
  tag.SetField("Artist", v.artist);
  tag.SetField("Album", v.album);
  tag.SetField("Year", v.year);
  tag.SetField("Genre", v.genre);
  tag.SetField("Comment", v.comment);
  tag.SetField("Track", v.track);
  return tag.Write(path);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, WrittenByUs,
    testing::Values(
        WrittenCase{"ID3v1WithLyrics3", "cbr.mp3", {std::string(35, 'L'), "Artist", "Album", "2004", "Rock", "Comment", "7"},
                    [](const std::string& p, const Values& v) {
                      TID3v1 t;
                      t.SetTitle(v.title);
                      t.SetArtist(v.artist);
                      t.SetAlbum(v.album);
                      t.SetYear(v.year);
                      t.SetGenre(v.genre);
                      t.SetComment(v.comment);
                      t.SetTrack(7);
                      t.SetLyrics("words");
                      return t.Save(p);
                    },
                    [](const std::string& p) {
                      TagLib::MPEG::File f(p.c_str());
                      Values v = tagLibValues(f.ID3v1Tag());
                      // ID3v1 holds 30 characters; the full title is in Lyrics3,
                      // which TagLib does not read.
                      if (v.title.size() == 30) v.title += std::string(5, 'L');
                      return v;
                    }},
        WrittenCase{"ID3v2", "vbr.mp3", kUnicode,
                    [](const std::string& p, const Values& v) {
                      TID3v2 t;
                      t.SetTitle(v.title);
                      t.SetArtist(v.artist);
                      t.SetAlbum(v.album);
                      t.SetYear(v.year);
                      t.SetGenre(v.genre);
                      t.SetComment(v.comment);
                      t.SetTrack(7);
                      return t.Write(p);
                    },
                    [](const std::string& p) {
                      TagLib::MPEG::File f(p.c_str());
                      return tagLibValues(f.ID3v2Tag());
                    }},
        WrittenCase{"APEOnMp3", "cbr.mp3", kUnicode, writeApe,
                    [](const std::string& p) {
                      TagLib::MPEG::File f(p.c_str());
                      return tagLibValues(f.APETag());
                    }},
        WrittenCase{"APEOnMusepack", "musepack.mpc", kUnicode, writeApe,
                    [](const std::string& p) {
                      TagLib::MPC::File f(p.c_str());
                      return tagLibValues(f.APETag());
                    }},
        WrittenCase{"APEOnWavPack", "pack.wv", kUnicode, writeApe,
                    [](const std::string& p) {
                      TagLib::WavPack::File f(p.c_str());
                      return tagLibValues(f.APETag());
                    }},
        WrittenCase{"FlacComments", "lossless.flac", kUnicode,
                    [](const std::string& p, const Values& v) {
                      TFLACfile f;
                      f.Read(p);
                      f.SetTag("TITLE", v.title);
                      f.SetTag("ARTIST", v.artist);
                      f.SetTag("ALBUM", v.album);
                      f.SetTag("DATE", v.year);
                      f.SetTag("GENRE", v.genre);
                      f.SetTag("COMMENT", v.comment);
                      f.SetTag("TRACKNUMBER", v.track);
                      return f.Write(p);
                    },
                    [](const std::string& p) {
                      TagLib::FLAC::File f(p.c_str());
                      return tagLibValues(f.xiphComment());
                    }},
        WrittenCase{"OggComments", "vorbis.ogg", kUnicode,
                    [](const std::string& p, const Values& v) {
                      TOggVorbis o;
                      o.Read(p);
                      o.SetTitle(v.title);
                      o.SetArtist(v.artist);
                      o.SetAlbum(v.album);
                      o.SetYear(v.year);
                      o.SetGenre(v.genre);
                      o.SetComment(v.comment);
                      o.SetTrack(7);
                      return o.Write(p);
                    },
                    [](const std::string& p) {
                      TagLib::Ogg::Vorbis::File f(p.c_str());
                      return tagLibValues(f.tag());
                    }},
        WrittenCase{"WmaAttributes", "wma2.wma", kUnicode,
                    [](const std::string& p, const Values& v) {
                      WMAAttributes a;
                      a.Title = v.title;
                      a.Author = v.artist;
                      a.AlbumTitle = v.album;
                      a.Year = v.year;
                      a.Genre = v.genre;
                      a.Description = v.comment;
                      a.TrackNumber = v.track;
                      return WriteWMAAttributes(p, a);
                    },
                    [](const std::string& p) {
                      TagLib::ASF::File f(p.c_str());
                      return tagLibValues(f.tag());
                    }}),
    [](const auto& info) { return info.param.name; });

TEST(WrittenByUs, OggCommentLargerThanAPageKeepsTheAudio) {
  test::TempDir dir;
  std::string path = copyFixture(dir, "vorbis.ogg");
  auto before = test::ffmpegDecode(path, "s16le");
  TOggVorbis o;
  ASSERT_TRUE(o.Read(path));
  o.SetComment(std::string(100000, 'c'));
  ASSERT_TRUE(o.Write(path));
  EXPECT_TRUE(test::ffmpegDecode(path, "s16le") == before);
  TagLib::Ogg::Vorbis::File f(path.c_str());
  EXPECT_EQ(f.tag()->comment().size(), 100000u);
}

TEST(WrittenByUs, FlacKeepsAPictureBlockTagLibAdded) {
  test::TempDir dir;
  std::string path = copyFixture(dir, "lossless.flac");
  {
    TagLib::FLAC::File f(path.c_str());
    auto* picture = new TagLib::FLAC::Picture;
    picture->setMimeType("image/png");
    picture->setData(TagLib::ByteVector(5000, 'p'));
    f.addPicture(picture);
    f.save();
  }
  TFLACfile ours;
  ASSERT_TRUE(ours.Read(path));
  ours.SetTag("TITLE", std::string(9000, 't'));  // more than the padding holds
  ASSERT_TRUE(ours.Write(path));
  TagLib::FLAC::File f(path.c_str());
  ASSERT_EQ(f.pictureList().size(), 1u);
  EXPECT_EQ(f.pictureList().front()->data().size(), 5000u);
  EXPECT_EQ(f.xiphComment()->title().size(), 9000u);
}

// Monkey's Audio has no encoder among Debian's packages; our own bin/MAC makes
// the file when it has been built (or SONDREL_MAC_ENCODER names one).
TEST(MonkeysAudio, EncodedFileAgainstFFmpegAndTagLib) {
  const char* env = std::getenv("SONDREL_MAC_ENCODER");
  std::string encoder = env ? env : (test::buildDir() / "bin" / "MAC").string();
  if (!fs::exists(encoder)) GTEST_SKIP() << "no Monkey's Audio encoder at " << encoder;
  test::TempDir dir;
  std::string path = dir.file("a.ape");
  ASSERT_EQ(test::run({encoder, test::fixture("s16_44100_2.wav"), path, "-c2000"}).exitCode, 0);
  Fields ours = info(path);
  ASSERT_EQ(ours["valid"], "yes");
  EXPECT_EQ(ours["sample rate"], test::ffprobeStream(path, "sample_rate"));
  EXPECT_EQ(ours["channels"], test::ffprobeStream(path, "channels"));
  EXPECT_EQ(ours["bits"], "16");
  EXPECT_NEAR(std::stod(ours["duration"]), decodedSeconds(path, 2, 44100), 0.001);

  {
    TagLib::APE::File f(path.c_str());
    setTagLib(f.APETag(true), kUnicode);
    f.save();
  }
  expectValues(info(path), "APE", kUnicode);
  auto before = test::ffmpegDecode(path, "s16le");
  ASSERT_TRUE(writeApe(path, kLatin1));
  TagLib::APE::File f(path.c_str());
  expectSame(tagLibValues(f.APETag()), kLatin1);
  EXPECT_TRUE(test::ffmpegDecode(path, "s16le") == before);
}

}  // namespace
}  // namespace sondrel
