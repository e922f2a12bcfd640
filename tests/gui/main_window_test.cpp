// The main window, offscreen: captions, menu states, status texts, and the
// files given on the command line.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include "shell/audio_list_view.h"
#include "shell/main_window.h"
#include "support/test_support.h"

using namespace sondrel;
using sondrel::test::fixture;

namespace {

int argc = 1;
char arg0[] = "test_main_window";
char* argv[] = {arg0, nullptr};

struct MainWindowTest : ::testing::Test {
  static void SetUpTestSuite() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep the user's real documents folder out of the test.
    qputenv("XDG_DOCUMENTS_DIR", QByteArray::fromStdString(home.path().string() + "/Documents"));
    qputenv("HOME", QByteArray::fromStdString(home.path().string()));
    app = new QApplication(argc, argv);
  }
  static inline test::TempDir home;
  static inline QApplication* app = nullptr;

  template <typename T>
  T* find(QWidget& w, const char* name) {
    T* found = w.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString panel(Tfrmmain& w, int i) { return find<QLabel>(w, QString("panel%1").arg(i).toUtf8().constData())->text(); }
};

TEST_F(MainWindowTest, StartsWithCaptionsMenusAndStatus) {
  audio::Engine engine;
  Tfrmmain w(engine, {});
  w.show();
  EXPECT_EQ(w.windowTitle(), "Sondrel");
  QStringList menus;
  for (QAction* a : w.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Action", "&Preference", "&Help"}));
  EXPECT_EQ(find<QToolButton>(w, "btnconvert")->text(), "Convert");
  EXPECT_EQ(find<QToolButton>(w, "btnoption")->text(), "Options");
  EXPECT_EQ(find<QAction>(w, "Converttomp32")->text(), "Convert to MP3");
  EXPECT_EQ(find<QAction>(w, "ItemUP1")->text(), "Item UP");
  EXPECT_EQ(panel(w, 0), "Welcome to use Sondrel");
  EXPECT_EQ(panel(w, 1), "Total Selected:0");
  // The first run's output folder is the music folder.
  EXPECT_EQ(panel(w, 2), "Output Folder:" + QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + "/");
  // Nothing in the list: nothing to convert, no row to work on.
  EXPECT_FALSE(find<QToolButton>(w, "btnconvert")->isEnabled());
  EXPECT_FALSE(find<QAction>(w, "ConverttoCUE1")->isEnabled());
  EXPECT_FALSE(find<QToolButton>(w, "btndel")->isEnabled());
  EXPECT_FALSE(find<QToolButton>(w, "btnpause")->isEnabled());
  EXPECT_TRUE(find<QToolButton>(w, "btnadd")->isEnabled());
  auto* model = find<AudioListView>(w, "audiolist")->model();
  ASSERT_EQ(model->columnCount(), 5);
  EXPECT_EQ(model->headerData(4, Qt::Horizontal).toString(), "File Information");
  // The skin named in no settings file is "darkglass".
  EXPECT_TRUE(qApp->styleSheet().contains("\"darkglass\""));
}

TEST_F(MainWindowTest, AddsCommandLineFilesAtFirstShowing) {
  audio::Engine engine;
  Tfrmmain w(engine, {QString::fromStdString(fixture("lossless.flac")), QString::fromStdString(fixture("tune.mod")),
                      QString::fromStdString(fixture("cbr.mp3"))});
  EXPECT_EQ(w.fileList().rowCount(), 0);
  w.show();
  // Modules are not among the command line's types.
  ASSERT_EQ(w.fileList().rowCount(), 2);
  EXPECT_EQ(w.fileList().row(0).caption, "lossless.flac");
  EXPECT_EQ(w.fileList().row(1).caption, "cbr.mp3");
  EXPECT_EQ(panel(w, 1), "Total selected:2");
  // The states catch up at the next refresh, here a click in the list.
  EXPECT_FALSE(find<QToolButton>(w, "btnconvert")->isEnabled());
  w.audiolistClick();
  EXPECT_TRUE(find<QToolButton>(w, "btnconvert")->isEnabled());
  // Showing again adds nothing more.
  w.hide();
  w.show();
  EXPECT_EQ(w.fileList().rowCount(), 2);

  // Select None keeps the convert state until the next refresh.
  w.SelectNone1Click();
  EXPECT_EQ(panel(w, 1), "Total selected:0");
  EXPECT_TRUE(find<QToolButton>(w, "btnconvert")->isEnabled());
  w.audiolistClick();
  EXPECT_FALSE(find<QToolButton>(w, "btnconvert")->isEnabled());

  // Select all, then Delete from the keyboard removes every row.
  w.SelectAll1Click();
  w.audiolistClick();
  EXPECT_TRUE(find<QToolButton>(w, "btndel")->isEnabled());
  w.activateWindow();
  QTest::keyClick(find<AudioListView>(w, "audiolist"), Qt::Key_Delete);
  EXPECT_EQ(w.fileList().rowCount(), 0);
  EXPECT_EQ(panel(w, 1), "Total selected:0");
}

TEST_F(MainWindowTest, ConvertsCheckedRowsWithTheProgressWindow) {
  audio::Engine engine;
  Tfrmmain w(engine, {QString::fromStdString(fixture("lossless.flac")), QString::fromStdString(fixture("cbr.mp3"))});
  w.show();
  test::TempDir out;
  w.settings().setText("efolder", out.path().string() + "/");
  EXPECT_EQ(panel(w, 2).toStdString(), "Output Folder:" + out.path().string() + "/");
  w.settings().setCheck("clowpass", true);
  w.settings().setSlider("bargain", -30);
  w.audiolistClick();  // the commands are enabled at the next refresh
  find<QAction>(w, "ConverttoWAVE2")->trigger();
  auto* progress = w.findChild<QDialog*>("frmenc");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->windowTitle(), "Convert Audio Files to WAV Files");
  // "DSP Used:" shows what the conversion applied: the first-run normalizer,
  // the low pass and the gain (the equalizer is off).
  auto* dsp = progress->findChild<QListWidget*>("dsplistbox");
  ASSERT_NE(dsp, nullptr);
  QStringList ticked;
  for (int i = 0; i < dsp->count(); ++i)
    if (dsp->item(i)->checkState() == Qt::Checked) ticked << dsp->item(i)->text();
  EXPECT_EQ(ticked, (QStringList{"Low Pass", "Gain", "Normalize"}));
  EXPECT_TRUE(std::filesystem::exists(out.path() / "lossless.wav"));
  EXPECT_TRUE(std::filesystem::exists(out.path() / "cbr.wav"));
  EXPECT_FALSE(w.isEnabled());  // the main window waits while the progress window shows
  // Within a second the window reports completion and offers OK.
  QTest::qWait(1300);
  EXPECT_EQ(panel(w, 0), "Convert Completed");
  auto* ok = progress->findChild<QPushButton*>("btnok");
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isEnabled());
  w.settings().setCheck("copen", false);
  ok->click();
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(w.isEnabled());
}

}  // namespace
