// The options window, offscreen: navigation, the widgets of every setting,
// the buttons.
#include "settings/option_window.h"
#include "settings/value_labels.h"
#include "settings_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

// Fontconfig keeps a cache for the life of the process that it never frees;
// that is not ours to fix, and a sanitizer build should not fail on it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace sondrel::settings::test {
namespace {

QApplication& application() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "test_option_window";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's own objects that outlive the tests (the test input
  // devices) must not be torn down by the application at exit.
  static QApplication* app = new QApplication(argc, argv);
  QLocale::setDefault(QLocale::c());
  return *app;
}

class OptionWindowTest : public SettingsTest {
 protected:
  OptionWindowTest() {
    application();
    model_ = fresh();
    window_ = std::make_unique<Tfrmoption>(*model_, host_);
  }

  template <typename T>
  T* find(const char* name) {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  QTreeWidgetItem* treeNode(const QString& text) {
    const auto items = find<QTreeWidget>("treeopt")->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.front();
  }

  void selectNode(const QString& text) {
    QTreeWidget* tree = find<QTreeWidget>("treeopt");
    QTreeWidgetItem* node = treeNode(text);
    ASSERT_NE(node, nullptr) << text.toStdString();
    const QRect rect = tree->visualItemRect(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
  }

  void click(const char* button) { find<QAbstractButton>(button)->click(); }

  std::unique_ptr<SettingsModel> model_;
  std::unique_ptr<Tfrmoption> window_;
};

TEST_F(OptionWindowTest, TreeNodesShowTheirPagesAndEncodingLeavesThePageInPlace) {
  window_->show();
  QStackedWidget* pages = find<QStackedWidget>("sPageControl1");
  EXPECT_EQ(window_->windowTitle(), "Options");
  EXPECT_EQ(pages->count(), 14);
  const std::pair<const char*, int> nodes[] = {
      {"Misc", 1}, {"DSP", 2},    {"Equalizer", 3}, {"WAV", 4},      {"Encoding", 4}, {"MP3", 5},  {"WMA", 6},
      {"OGG", 7},  {"APE", 8},    {"FLAC", 9},      {"WAVPACK", 10}, {"MPC", 11},     {"AAC/MP4", 12},
      {"CUE", 13}, {"Output", 0}, {"Encoding", 0},
  };
  for (const auto& [node, page] : nodes) {
    selectNode(node);
    EXPECT_EQ(pages->currentIndex(), page) << node;
    EXPECT_EQ(window_->activePage(), page);
  }
  const char* const sheets[] = {"outsheet", "Miscsheet", "Dspsheet", "Equsheet", "wavsheet", "mp3sheet", "wmasheet",
                                "oggsheet", "apesheet", "flacsheet", "wavpacksheet", "mpcsheet", "aacsheet", "cuesheet"};
  for (int page = 0; page < 14; ++page) EXPECT_EQ(pages->widget(page)->objectName(), sheets[page]);
}

TEST_F(OptionWindowTest, TreeNeverCollapses) {
  window_->show();
  QTreeWidget* tree = find<QTreeWidget>("treeopt");
  QTreeWidgetItem* encoding = treeNode("Encoding");
  ASSERT_EQ(encoding->childCount(), 10);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(encoding).center());
  tree->collapseItem(encoding);
  EXPECT_TRUE(encoding->isExpanded());
}

TEST_F(OptionWindowTest, ShowingOpensOnTheOutputPage) {
  window_->show();
  selectNode("FLAC");
  window_->hide();
  window_->show();
  EXPECT_EQ(window_->activePage(), 0);
  selectNode("FLAC");  // the node can be chosen again at once
  EXPECT_EQ(window_->activePage(), 9);
}

TEST_F(OptionWindowTest, EverySettingHasItsWidgetWithItsItemsAndCaption) {
  for (const ControlDef& d : controls()) {
    SCOPED_TRACE(d.name);
    QWidget* widget = find<QWidget>(d.name.c_str());
    if (!widget) continue;
    switch (d.kind) {
      case Kind::List: {
        auto* combo = qobject_cast<QComboBox*>(widget);
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(combo->count(), static_cast<int>(model_->items(d.name).size()));
        for (int i = 0; i < combo->count(); ++i) EXPECT_EQ(combo->itemText(i).toStdString(), model_->items(d.name)[i]);
        EXPECT_EQ(combo->currentIndex(), model_->list(d.name));
        break;
      }
      case Kind::Check: {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text().toStdString(), d.caption);
        EXPECT_EQ(button->isChecked(), model_->check(d.name));
        break;
      }
      case Kind::Slider: {
        auto* bar = qobject_cast<QSlider*>(widget);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->minimum(), d.minimum);
        EXPECT_EQ(bar->maximum(), d.maximum);
        EXPECT_EQ(bar->value(), model_->slider(d.name));
        break;
      }
      case Kind::Number: {
        auto* box = qobject_cast<QSpinBox*>(widget);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->minimum(), d.minimum);
        EXPECT_EQ(box->maximum(), d.maximum);
        EXPECT_EQ(box->value(), model_->number(d.name));
        break;
      }
      case Kind::Text: {
        auto* edit = qobject_cast<QLineEdit*>(widget);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text().toStdString(), model_->text(d.name));
        break;
      }
    }
  }
  for (const char* button : {"sButton1", "Btnok", "sButton2"}) find<QPushButton>(button);
  EXPECT_EQ(find<QPushButton>("sButton1")->text(), "&Default");
  EXPECT_EQ(find<QPushButton>("Btnok")->text(), "&Apply");
  EXPECT_EQ(find<QPushButton>("sButton2")->text(), "&Ok");
}

TEST_F(OptionWindowTest, ValueLabelsShowTheirInitialCaptionUntilTheSliderMoves) {
  for (const ValueLabel& v : kValueLabels)
    EXPECT_EQ(find<QLabel>(std::string(v.label).c_str())->text().toStdString(), v.initialCaption);
  find<QSlider>("barlowcut")->setValue(1234);
  EXPECT_EQ(find<QLabel>("llowcut")->text(), "low Cut:12.34%");
  EXPECT_EQ(model_->slider("barlowcut"), 1234);
  find<QSlider>("barhighcut")->setValue(4000);
  find<QSlider>("barhighcut")->setValue(5000);
  EXPECT_EQ(find<QLabel>("lhighcut")->text(), "HighCut:50%");
}

TEST_F(OptionWindowTest, DefaultRestoresTheActivePage) {
  window_->show();
  selectNode("DSP");
  find<QSlider>("barlowcut")->setValue(1234);
  find<QSpinBox>("spinnorm")->setValue(20);
  find<QComboBox>("cpartcom")->setCurrentIndex(1);  // another page
  click("sButton1");
  EXPECT_EQ(model_->slider("barlowcut"), 5000);
  EXPECT_EQ(find<QSlider>("barlowcut")->value(), 5000);
  EXPECT_EQ(find<QLabel>("llowcut")->text(), "low Cut:50%");
  EXPECT_EQ(find<QSpinBox>("spinnorm")->value(), 94);
  EXPECT_EQ(model_->list("cpartcom"), 1);
}

TEST_F(OptionWindowTest, OkKeepsTheChangeWithoutSavingAndApplySaves) {
  window_->show();
  click("cnorm");
  EXPECT_FALSE(model_->check("cnorm"));
  click("sButton2");
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(model_->check("cnorm"));
  EXPECT_FALSE(std::filesystem::exists(dataFolder_ / "qorv.ini"));

  window_->show();
  click("Btnok");
  EXPECT_FALSE(window_->isVisible());
  EXPECT_NE(savedText().find("normalize=0"), std::string::npos);
}

TEST_F(OptionWindowTest, ApplyThatCannotSaveSaysWhereAndKeepsTheWindow) {
  sondrel::test::writeFile(temp_.file("Documents"), "a file where the folder should be");
  window_->show();
  QString shown;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->accept();
    }
  });
  click("Btnok");
  EXPECT_TRUE(shown.contains(QString::fromStdString((dataFolder_ / "qorv.ini").string()))) << shown.toStdString();
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(OptionWindowTest, WidgetsFollowTheRules) {
  window_->show();
  find<QComboBox>("mp3samplecom")->setCurrentIndex(0);
  QComboBox* cbr = find<QComboBox>("mp3cbrbitratecom");
  EXPECT_EQ(cbr->count(), 8);
  EXPECT_EQ(cbr->currentText(), "40 kbps");
  EXPECT_EQ(find<QComboBox>("mp3minbitratecom")->currentText(), "32 kbps");
  EXPECT_EQ(find<QComboBox>("mp3maxbitratecom")->currentText(), "48 kbps");

  EXPECT_FALSE(cbr->isEnabled());
  click("cmp3cbr");
  EXPECT_TRUE(cbr->isEnabled());
  EXPECT_FALSE(find<QAbstractButton>("cmp3preset")->isChecked());
  click("cmp3cbr");  // clicking the ticked radio button keeps it ticked
  EXPECT_TRUE(find<QAbstractButton>("cmp3cbr")->isChecked());

  find<QComboBox>("cueformatcom")->setCurrentIndex(3);
  EXPECT_EQ(find<QLineEdit>("ecuename")->text(), "CDImage.ogg");
  EXPECT_FALSE(find<QCheckBox>("ccueape2")->isEnabled());

  find<QComboBox>("wmacodeccom")->setCurrentIndex(1);
  EXPECT_EQ(find<QComboBox>("wmacbrbitratecom")->count(), 0);
  EXPECT_EQ(host_.notices, std::vector<std::string>{"No Codec on this settings"});

  find<QComboBox>("equcom")->setCurrentIndex(6);  // Full Treble
  EXPECT_EQ(find<QSlider>("eq10")->value(), -90);

  QLineEdit* folder = find<QLineEdit>("efolder");
  folder->setFocus();
  QTest::keyClicks(folder, "x");
  EXPECT_EQ(model_->text("efolder"), musicFolder_ + "x");
  EXPECT_EQ(host_.outputFolders.back(), musicFolder_ + "x");
}

TEST_F(OptionWindowTest, WindowMadeBeforeLoadingShowsTheLoadedSettings) {
  writeSettings("[dsp]\nlowpassvalue=1234\n[mp3]\nsample=0\n[misc]\nskin=4\n");
  model_->load();
  window_->show();
  EXPECT_EQ(find<QSlider>("barlowcut")->value(), 1234);
  EXPECT_EQ(find<QLabel>("llowcut")->text(), "low Cut:12.34%");
  EXPECT_EQ(find<QComboBox>("mp3cbrbitratecom")->count(), 8);
  EXPECT_EQ(find<QComboBox>("skincom")->currentText(), "tv-b");
}

}  // namespace
}  // namespace sondrel::settings::test
