// The main window: menus, tool buttons, the file list, the status bar, and
// the commands that work on the list. Commands whose work belongs to the
// converter, the player, the options and the property window are present with
// their captions and enabling rules; those parts connect their handlers.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <map>
#include <memory>
#include <string>

#include "audio/engine.h"
#include "settings/settings_host.h"
#include "settings/settings_model.h"
#include "shell/file_list.h"

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class QFrame;

namespace sondrel {

class AudioListView;
class CueSheetReader;
class FileListModel;
namespace settings {
class Tfrmoption;
}
namespace convert {
class Converter;
class Tfrmenc;
}

class Tfrmmain : public QMainWindow, public UserPort, public settings::SettingsHost {
  Q_OBJECT
 public:
  Tfrmmain(audio::Engine& engine, QStringList commandLineFiles, QWidget* splash = nullptr);
  ~Tfrmmain() override;

  FileList& fileList() { return *list_; }
  settings::SettingsModel& settings() { return *settings_; }
  convert::Converter& converter() { return *converter_; }
  convert::Tfrmenc* progressWindow() { return frmenc_; }
  AudioListView* audioList() const { return audiolist_; }

  const std::string& programFolder() const { return programFolder_; }
  const std::string& skinFolder() const { return skinFolder_; }
  const std::string& dataFolder() const { return dataFolder_; }
  const std::string& musicFolder() const { return musicFolder_; }
  const std::string& outputFolder() const { return outputFolder_; }

  // Sets the enabled states of the tool buttons and menu items that depend on
  // the list and on playback.
  void RefreshCommands();
  // Skin by name, hue turned by `hueDegrees`; the skin manager's switch.
  void applySkin(const QString& name, int hueDegrees);

  // UserPort
  void showError(const std::string& text) override;
  void showInfo(const std::string& text) override;
  void setStatus(int panel, const std::string& text) override;
  void processEvents() override;

  // SettingsHost
  bool loadSoundFont(const std::string& path) override;
  void outputFolderChanged(const std::string& folder) override;
  void skinChanged(const std::string& name, int hue) override;
  void information(const std::string& text) override;

 public slots:
  void btnaddClick();
  void AddFolder1Click();
  void btndelClick();
  void ClearFileList1Click();
  void SelectAll1Click();
  void SelectNone1Click();
  void InvertSelection1Click();
  void ItemUP1Click();
  void ItemDown1Click();
  void audiolistClick();
  void ContentsandIndex1Click();
  void WebSite1Click();
  void MailUs1Click();
  void About1Click();
  void GotoOutPutFolder1Click();
  void SetOutPutFolder1Click();
  void btnoptionClick();
  // The "Convert to" commands (format 1..9) and the list's "Convert".
  void convertTo(int format);
  void Convert1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void buildMenus();
  void buildToolBar();
  void buildStatusBar();
  void buildPopupMenus();
  void PopupMenu1Popup(const QPoint& at);
  QAction* action(QMenu* menu, const char* name, const char* caption);
  void syncSelectionToList();
  void syncSelectionFromList();

  audio::Engine& engine_;
  QStringList commandLineFiles_;
  QWidget* splash_;
  std::unique_ptr<FileList> list_;
  std::unique_ptr<CueSheetReader> cueReader_;  // after the list: it goes first
  std::unique_ptr<settings::SettingsModel> settings_;
  settings::Tfrmoption* frmoption_ = nullptr;
  convert::Tfrmenc* frmenc_ = nullptr;
  std::unique_ptr<convert::Converter> converter_;
  QString skinName_;
  bool splashShowing_ = true;
  FileListModel* model_ = nullptr;
  AudioListView* audiolist_ = nullptr;
  QFrame* paintFrame_ = nullptr;
  QFrame* positionBar_ = nullptr;
  QLabel* panels_[3] = {nullptr, nullptr, nullptr};
  QMenu* popupMenu1_ = nullptr;
  QMenu* popupMenu2_ = nullptr;
  QTimer timer2_;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, QToolButton*> buttons_;
  std::string programFolder_, skinFolder_, dataFolder_, musicFolder_, outputFolder_;
  bool firstShow_ = true;
  bool syncingSelection_ = false;
};

}  // namespace sondrel
