// The profile-file reader and writer: Windows conventions, hostile input,
// writing through a rename.
#include "settings/ini_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace sondrel::settings {
namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(IniFile, SectionAndKeyNamesMatchWithoutRegardToCase) {
  const IniFile ini = IniFile::parse("[DSP]\nNormValue=50\n[Wma]\ncodec=2\n");
  EXPECT_EQ(ini.value("dsp", "normvalue"), "50");
  EXPECT_EQ(ini.value("wma", "Codec"), "2");
  EXPECT_EQ(ini.value("dsp", "codec"), std::nullopt);
}

TEST(IniFile, FirstOfDuplicateSectionsAndKeysWins) {
  const IniFile ini = IniFile::parse("[a]\nk=1\nk=2\n[b]\nx=0\n[A]\nk=3\nj=4\n");
  EXPECT_EQ(ini.value("a", "k"), "1");
  EXPECT_EQ(ini.value("a", "j"), "4");
  ASSERT_EQ(ini.sections().size(), 2u);
  EXPECT_EQ(ini.serialize(), "[a]\nk=1\nj=4\n[b]\nx=0\n");
}

TEST(IniFile, ProfileIntegers) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"94", 94},          {" 94 ", 94},         {"-5", -5},          {"+7", 7},
      {"0x1F", 31},        {"0", 0},             {"", std::nullopt},  {"12abc", std::nullopt},
      {"abc", std::nullopt}, {"1.5", std::nullopt}, {"--1", std::nullopt}, {"0x", std::nullopt},
      {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", std::nullopt},
      {"99999999999999999999999", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parseProfileInt(text), expected) << '"' << text << '"';
}

TEST(IniFile, ValuesKeepTheirSpacesAndQuotesThroughAWriteAndARead) {
  const std::string values[] = {" lead", "trail ", "\"quoted\"", "a=b", "", "\"", "tab\tinside", "Bj\xC3\xB6rk"};
  IniFile ini;
  for (int i = 0; i < static_cast<int>(std::size(values)); ++i) ini.set("s", "k" + std::to_string(i), values[i]);
  const IniFile back = IniFile::parse(ini.serialize());
  for (int i = 0; i < static_cast<int>(std::size(values)); ++i)
    EXPECT_EQ(back.value("s", "k" + std::to_string(i)), values[i]) << i;
}

TEST(IniFile, SetReplacesAKeyOfAnotherCase) {
  IniFile ini = IniFile::parse("[DSP]\nNORMALIZE=0\nother=1\n");
  ini.set("dsp", "normalize", "1");
  EXPECT_EQ(ini.serialize(), "[dsp]\nnormalize=1\nother=1\n");
}

TEST(IniFile, KeepsOnlyLinesItCanUnderstand) {
  const std::string text = std::string("orphan=1\n") +       // before any section
                           "[ok]\n"
                           "good=1\n"
                           "no equals sign\n"
                           "=novalue\n"
                           "bad\xFF" "key=1\n"             // invalid UTF-8 in the key
                           "badvalue=\xC3\x28\n"           // invalid UTF-8 in the value
                           "nul=a" + std::string(1, '\0') + "b\n"
                           "overlong=\xC0\xAF\n"           // an overlong encoding of '/'
                           "surrogate=\xED\xA0\x80\n"
                           "[bro\xFEken]\n"
                           "lost=1\n"
                           "[ok2]\r\n"
                           "crlf=2\r\n";
  const IniFile ini = IniFile::parse(text);
  EXPECT_EQ(ini.serialize(), "[ok]\ngood=1\n[ok2]\ncrlf=2\n");
}

TEST(IniFile, ManyShortKeysAreReadAndMergedInLinearTime) {
  // Hundreds of thousands of tiny keys would take hours if every key searched the ones before it.
  std::string text = "[dsp]\n";
  for (int i = 0; i < 300000; ++i) text += "k" + std::to_string(i) + "=\n";
  const IniFile many = IniFile::parse(text);
  IniFile mine;
  mine.set("DSP", "k5", "mine");
  mine.addMissingFrom(many);
  ASSERT_EQ(mine.sections().size(), 1u);
  EXPECT_EQ(mine.sections()[0].entries.size(), 300000u);
  EXPECT_EQ(mine.value("dsp", "k5"), "mine");
  EXPECT_EQ(mine.value("dsp", "k299999"), "");
}

TEST(IniFile, ByteOrderMarkIsNotPartOfTheFirstSection) {
  const IniFile ini = IniFile::parse("\xEF\xBB\xBF[misc]\nskin=3\n");
  EXPECT_EQ(ini.value("misc", "skin"), "3");
}

TEST(IniFile, OverlongLineIsSkippedAndTheRestStillRead) {
  std::string text = "[dsp]\nnormvalue=" + std::string(10 * 1024 * 1024, '7') + "\nlowpass=1\n";
  text += "[mp3]\n" + std::string(10 * 1024 * 1024, 'x') + "\nsample=0";  // last line without a newline
  const IniFile ini = IniFile::parse(text);
  EXPECT_EQ(ini.value("dsp", "normvalue"), std::nullopt);
  EXPECT_EQ(ini.value("dsp", "lowpass"), "1");
  EXPECT_EQ(ini.value("mp3", "sample"), "0");
}

TEST(IniFile, KeptTextIsBounded) {
  std::string text = "[s]\n";
  for (int i = 0; text.size() < 2 * IniFile::kMaxKeptBytes; ++i) text += "key" + std::to_string(i) + "=" + std::string(100, 'v') + "\n";
  const IniFile ini = IniFile::parse(text);
  // Each kept line costs its key and value plus "=" and a newline.
  EXPECT_LT(ini.serialize().size(), IniFile::kMaxKeptBytes + IniFile::kMaxKeptBytes / 10);
  EXPECT_EQ(ini.value("s", "key0"), std::string(100, 'v'));
}

TEST(IniFile, EndlessDeviceIsNotReadForEver) {
  // /dev/zero never ends and never breaks a line.
  const IniFile ini = IniFile::read("/dev/zero");
  EXPECT_TRUE(ini.sections().empty());
}

TEST(IniFile, WriteReplacesTheFileAndLeavesNoTemporaryBehind) {
  sondrel::test::TempDir dir;
  const auto file = dir.path() / "sub" / "qorv.ini";  // the folder does not exist yet
  IniFile ini;
  ini.set("dsp", "normalize", "1");
  std::string error;
  ASSERT_TRUE(ini.write(file, error)) << error;
  ini.set("dsp", "normalize", "0");
  ASSERT_TRUE(ini.write(file, error)) << error;
  EXPECT_EQ(readAll(file.string()), "[dsp]\nnormalize=0\n");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(file.parent_path())) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(IniFile, WriteIntoAFolderThatCannotExistFails) {
  sondrel::test::TempDir dir;
  sondrel::test::writeFile(dir.file("plain"), "not a folder");
  IniFile ini;
  ini.set("a", "b", "c");
  std::string error;
  EXPECT_FALSE(ini.write(dir.path() / "plain" / "qorv" / "qorv.ini", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(readAll(dir.file("plain")), "not a folder");
}

}  // namespace
}  // namespace sondrel::settings
