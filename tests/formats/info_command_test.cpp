#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "byte_fixtures.h"
#include "formats/info_command.h"
#include "support/test_support.h"

namespace sondrel {
namespace {

std::pair<int, std::string> runInfo(const std::string& path) {
  std::ostringstream out;
  int code = runInfoCommand(path, out);
  return {code, out.str()};
}

TEST(InfoCommand, PrintsStreamLinesThenEachTagKind) {
  test::TempDir dir;
  std::string path = dir.file("song.mp3");
  std::filesystem::copy_file(test::fixture("cbr.mp3"), path);
  test::writeAll(path, test::id3v2Tag(3, test::id3v2Frame(3, "TIT2", std::string(1, '\0') + "Front")) +
                           test::readAll(path) + test::id3v1Tag("Back", "Band", "", "1999", "", 17));
  auto [code, text] = runInfo(path);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(text,
            "valid: yes\n"
            "sample rate: 44100\n"
            "channels: 2\n"
            "bits: 0\n"
            "duration: 3.056\n"
            "bit rate: 128\n"
            "ID3v1.title: Back\n"
            "ID3v1.artist: Band\n"
            "ID3v1.year: 1999\n"
            "ID3v1.genre: Rock\n"
            "ID3v2.title: Front\n");
}

TEST(InfoCommand, UnrecognisedFilesSayNoAndFail) {
  for (const char* name : {"empty.mp3", "random.mp3", "folder.mp3", "truncated.flac", "s16_44100_2.wav", "tune.mod"}) {
    auto [code, text] = runInfo(test::fixture(name));
    EXPECT_NE(code, 0) << name;
    EXPECT_EQ(text, "valid: no\n") << name;
  }
  auto [code, text] = runInfo("/nonexistent/file.ogg");
  EXPECT_NE(code, 0);
  EXPECT_EQ(text, "valid: no\n");
}

TEST(InfoCommand, TheExtensionPicksTheReader) {
  test::TempDir dir;
  // FLAC bytes under an Ogg name are not Ogg Vorbis.
  std::string path = dir.file("renamed.ogg");
  std::filesystem::copy_file(test::fixture("lossless.flac"), path);
  EXPECT_EQ(runInfo(path).second, "valid: no\n");
  std::string upper = dir.file("LOUD.FLAC");
  std::filesystem::copy_file(test::fixture("lossless.flac"), upper);
  EXPECT_EQ(runInfo(upper).first, 0);
}

TEST(InfoCommand, TruncatedRealFilesAreRejectedOrReadNeverCrash) {
  test::TempDir dir;
  for (const char* name : {"cbr.mp3", "vbr.mp3", "lossless.flac", "vorbis.ogg", "musepack.mpc", "speex.spx",
                           "wma2.wma", "adts.aac", "dolby.ac3", "pack.wv", "truaudio.tta"}) {
    std::string whole = test::readAll(test::fixture(name));
    std::string ext = std::filesystem::path(name).extension().string();
    for (size_t cut : {0, 1, 3, 4, 7, 10, 27, 42, 100, 417, 1000, 4000}) {
      std::string path = dir.file("cut" + std::to_string(cut) + ext);
      test::writeAll(path, whole.substr(0, std::min(cut, whole.size())));
      auto [code, text] = runInfo(path);
      // Every format needs more than 7 bytes to say anything.
      if (cut < 7) {
        EXPECT_EQ(text, "valid: no\n") << name << " cut at " << cut;
      }
    }
  }
}

}  // namespace
}  // namespace sondrel
