// The file list: adding by every route, and the list commands with the count
// of checked rows and the status text that follows it.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "shell/file_list.h"
#include "support/recording_port.h"
#include "support/test_support.h"

using namespace sondrel;
using sondrel::test::fixture;
namespace fs = std::filesystem;

namespace {

using test::RecordingPort;

struct ListFixture : ::testing::Test {
  audio::Engine engine;
  RecordingPort port;
  FileList list{engine, port};
  test::TempDir dir;

  std::string copy(const std::string& name, const std::string& as) {
    const std::string to = dir.file(as);
    fs::create_directories(fs::path(to).parent_path());
    fs::copy_file(fixture(name), to, fs::copy_options::overwrite_existing);
    return to;
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> c;
    for (int i = 0; i < list.rowCount(); ++i) c.push_back(list.row(i).caption);
    return c;
  }
};

TEST_F(ListFixture, AddFileFillsTheRowAndRecord) {
  list.addFile(fixture("lossless.flac"));
  ASSERT_EQ(list.rowCount(), 1);
  const FileRow& r = list.row(0);
  EXPECT_EQ(r.caption, "lossless.flac");
  EXPECT_EQ(r.lengthText, "00:00:03");
  EXPECT_EQ(r.typeText, "FLAC");
  EXPECT_EQ(r.infoText, "Sampele Rate:44100 Hz,Channel:2,BPS:16bit");
  EXPECT_TRUE(r.checked);
  EXPECT_EQ(r.item->rowKind, RowKind::File);
  EXPECT_EQ(r.item->decoder, 3);
  EXPECT_EQ(r.item->fileName, fixture("lossless.flac"));
  EXPECT_EQ(r.item->cueSheet, -1);
  EXPECT_EQ(list.checkedCount(), 1);
  EXPECT_EQ(port.status[1], "Total selected:1");
  list.addFile(fixture("bytes1000.wav"));
  EXPECT_EQ(list.row(1).sizeText, "1000 Bytes");
}

TEST_F(ListFixture, SamePathOnceButLetterCaseCounts) {
  const std::string lower = copy("cbr.mp3", "song.mp3");
  const std::string upper = copy("cbr.mp3", "Song.mp3");
  list.addFile(lower);
  list.addFile(lower);
  list.addFile(upper);
  EXPECT_EQ(captions(), (std::vector<std::string>{"song.mp3", "Song.mp3"}));
}

TEST_F(ListFixture, BadInputAddsNothing) {
  fs::create_directory(dir.file("x.mp3"));
  const std::string unreadable = copy("cbr.mp3", "locked.mp3");
  fs::permissions(unreadable, fs::perms::none);
  for (const char* name : {"empty.mp3", "random.mp3", "truncated.flac"}) list.addFile(fixture(name));
  list.addFile(dir.file("x.mp3"));
  list.addFile(dir.file("missing.flac"));
  if (geteuid() != 0) list.addFile(unreadable);  // root reads everything
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_TRUE(port.errors.empty());
}

TEST_F(ListFixture, FolderScanIsRecursiveAndSkipsDropOnlyTypes) {
  copy("cbr.mp3", "top/b.mp3");
  copy("lossless.flac", "top/a.flac");
  copy("s16_44100_2.aiff", "top/sub/skipped.aiff");
  copy("tune.mod", "top/sub/skipped.xm");
  copy("pack.wv", "top/sub/deeper/c.wv");
  copy("vorbis.ogg", "top/sub/d.ogg");
  // A link back up must not make the scan go round for ever.
  fs::create_directory_symlink(dir.file("top"), dir.file("top/sub/loop"));
  list.addFolderFiles(dir.file("top"), true);
  // Files of a folder come before those of its sub-folders, depth first.
  EXPECT_EQ(captions(), (std::vector<std::string>{"a.flac", "b.mp3", "d.ogg", "c.wv"}));
  // Dropped directly, the types the scan skips are taken.
  list.dropNames({dir.file("top/sub/skipped.aiff"), dir.file("top/sub/skipped.xm"), dir.file("top/nothing.txt")});
  EXPECT_EQ(list.rowCount(), 6);
}

TEST_F(ListFixture, DroppedFolderWithADotIsIgnored) {
  copy("cbr.mp3", "album.v2/a.mp3");
  copy("cbr.mp3", "plain/a.mp3");
  list.dropNames({dir.file("album.v2"), dir.file("plain")});
  EXPECT_EQ(captions(), (std::vector<std::string>{"a.mp3"}));
  EXPECT_EQ(list.row(0).item->fileName, dir.file("plain") + "/a.mp3");
}

TEST_F(ListFixture, LargeFolderKeepsTheWindowsBreathing) {
  fs::create_directory(dir.file("many"));
  for (int i = 0; i < 10000; ++i) test::writeFile(dir.file("many/" + std::to_string(i) + ".mp3"), "");
  copy("cbr.mp3", "many/real.mp3");
  list.addFolderFiles(dir.file("many"), true);
  EXPECT_EQ(list.rowCount(), 1);
}

// The list commands, each from the same five rows: checks C and selections S
// before, the command, and what the checks, the selections and the count are
// after.
TEST_F(ListFixture, ListCommands) {
  struct Case {
    const char* name;
    std::string checksBefore, selectedBefore;
    std::function<void(FileList&)> command;
    std::string checksAfter, selectedAfter;
    int countAfter;
    std::string orderAfter;
  };
  const Case cases[] = {
      {"select all", "10100", "00000", [](FileList& l) { l.selectAll(); }, "11111", "11111", 5, "ABCDE"},
      {"select none", "10100", "01000", [](FileList& l) { l.selectNone(); }, "00000", "00000", 0, "ABCDE"},
      {"invert", "10100", "01000", [](FileList& l) { l.invertSelection(); }, "01011", "01011", 3, "ABCDE"},
      {"delete checked and unchecked", "10100", "11000", [](FileList& l) { l.deleteSelected(); }, "100", "000", 1, "CDE"},
      {"delete unchecked keeps count", "10100", "01000", [](FileList& l) { l.deleteSelected(); }, "1100", "0000", 2, "ACDE"},
      {"up", "10100", "00100", [](FileList& l) { l.setFocused(2); l.moveUp(); }, "11000", "01000", 2, "ACBDE"},
      {"up on first", "10100", "10000", [](FileList& l) { l.setFocused(0); l.moveUp(); }, "10100", "10000", 2, "ABCDE"},
      {"down", "10100", "00000", [](FileList& l) { l.setFocused(0); l.moveDown(); }, "01100", "00000", 2, "BACDE"},
      {"down on last", "10101", "00000", [](FileList& l) { l.setFocused(4); l.moveDown(); }, "10101", "00000", 3, "ABCDE"},
      {"drag onto a row", "10000", "00000", [](FileList& l) { l.setFocused(0); l.moveFocusedTo(3); }, "00100", "00000", 1, "BCADE"},
      {"drag below the rows", "10000", "00000", [](FileList& l) { l.setFocused(1); l.moveFocusedTo(-1); }, "10000", "00000", 1, "ACDEB"},
      {"click recounts", "10100", "00000", [](FileList& l) { l.setChecked(1, true); l.listClicked(); }, "11100", "00000", 3, "ABCDE"},
  };
  const std::string names = "ABCDE";
  for (const auto& c : cases) {
    list.clear();
    for (char n : names) list.addFile(copy("bytes1000.wav", std::string(1, n) + ".wav"));
    for (int i = 0; i < 5; ++i) {
      list.setChecked(i, c.checksBefore[static_cast<size_t>(i)] == '1');
      list.setSelected(i, c.selectedBefore[static_cast<size_t>(i)] == '1');
    }
    list.listClicked();
    c.command(list);
    std::string checks, selected, order;
    for (int i = 0; i < list.rowCount(); ++i) {
      checks += list.row(i).checked ? '1' : '0';
      selected += list.row(i).selected ? '1' : '0';
      order += list.row(i).caption[0];
    }
    EXPECT_EQ(checks, c.checksAfter) << c.name;
    EXPECT_EQ(selected, c.selectedAfter) << c.name;
    EXPECT_EQ(order, c.orderAfter) << c.name;
    EXPECT_EQ(list.checkedCount(), c.countAfter) << c.name;
    EXPECT_EQ(port.status[1], "Total selected:" + std::to_string(c.countAfter)) << c.name;
  }
}

TEST_F(ListFixture, CommandStatesAndReleasedRecords) {
  std::vector<const TAudioItem*> released;
  list.setReleaseHandler([&](const TAudioItem* item) { released.push_back(item); });
  EXPECT_FALSE(list.commandStates(false).convert);
  list.addFile(fixture("cbr.mp3"));
  list.addFile(fixture("vbr.mp3"));
  const TAudioItem* first = list.row(0).item.get();
  auto s = list.commandStates(true);
  EXPECT_TRUE(s.convert);
  EXPECT_FALSE(s.rowCommands);
  EXPECT_TRUE(s.transport);
  list.setSelected(0, true);
  EXPECT_TRUE(list.commandStates(false).rowCommands);
  // Moving hands the same record to the new row.
  list.setFocused(0);
  list.moveDown();
  EXPECT_EQ(list.row(1).item.get(), first);
  list.setSelected(1, true);
  list.deleteSelected();
  EXPECT_EQ(released, (std::vector<const TAudioItem*>{first}));
  list.clear();
  EXPECT_EQ(released.size(), 2u);
  EXPECT_EQ(port.status[1], "Total selected:0");
}

}  // namespace
