#include "shell/main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

#include "convert/converter.h"
#include "convert/progress_window.h"
#include "effects/install_effects.h"
#include "settings/option_window.h"
#include "shell/about_window.h"
#include "shell/audio_list_view.h"
#include "shell/cue_sheet_reader.h"
#include "shell/extensions.h"
#include "shell/file_list_model.h"
#include "shell/folders.h"
#include "shell/skins.h"

namespace sondrel {
namespace {

constexpr const char* kWebSite = "https://www.sondrel-audio.org/";
constexpr const char* kMailAddress = "mailto:support@sondrel-audio.org";

// Turns "Label|*.a;*.b|Label|*.c" into the filters a Qt file dialog takes.
QStringList dialogFilters(const char* filter) {
  const QStringList parts = QString(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return filters;
}

const char* const kConvertActions[] = {"ConverttoWAVE2", "Converttomp32",     "ConverttoWMA2",     "ConverttoOGG2",
                                       "ConverttoAPE1",  "ConverttoFlac1",    "ConverttoWavPack1", "ConverttoMPC1",
                                       "ConverttoAACMP41", "ConverttoCUE1"};
const char* const kRowActions[] = {"ItemUP1", "ItemDown1", "Property2", "DeleteFile1", "cutaudio2", "SplitAudio2"};
const char* const kRowButtons[] = {"btndel", "btnplay", "btnprop"};

}  // namespace

Tfrmmain::Tfrmmain(audio::Engine& engine, QStringList commandLineFiles, QWidget* splash)
    : engine_(engine), commandLineFiles_(std::move(commandLineFiles)), splash_(splash) {
  FormCreate();
}

Tfrmmain::~Tfrmmain() {
  // The model stops observing before the list goes.
  delete model_;
  model_ = nullptr;
}

void Tfrmmain::FormCreate() {
  setObjectName("frmmain");
  setWindowTitle("Sondrel");
  resize(800, 560);
  list_ = std::make_unique<FileList>(engine_, *this);
  cueReader_ = std::make_unique<CueSheetReader>(engine_, *list_, *this);
  list_->setCueExpander(cueReader_.get());
  // Folders beside the program and of the user.
  programFolder_ = AddSlash(QCoreApplication::applicationDirPath().toStdString());
  skinFolder_ = programFolder_ + "skin";
  dataFolder_ = sondrel::documentsFolder() + "qorv/";
  musicFolder_ = sondrel::musicFolder();
  outputFolder_ = musicFolder_;

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  positionBar_ = new QFrame(central);
  positionBar_->setObjectName("PB");
  positionBar_->setFixedHeight(30);
  positionBar_->setFrameShape(QFrame::StyledPanel);
  layout->addWidget(positionBar_);
  audiolist_ = new AudioListView(central);
  audiolist_->setObjectName("audiolist");
  model_ = new FileListModel(*list_);
  audiolist_->setModel(model_);
  audiolist_->header()->resizeSection(0, 200);
  audiolist_->header()->resizeSection(1, 60);
  audiolist_->header()->resizeSection(2, 60);
  audiolist_->header()->resizeSection(4, 275);
  layout->addWidget(audiolist_);
  setCentralWidget(central);

  buildPopupMenus();
  buildMenus();
  buildToolBar();
  buildStatusBar();

  connect(audiolist_, &QAbstractItemView::clicked, this, [this] { audiolistClick(); });
  connect(audiolist_, &QAbstractItemView::doubleClicked, this, [this] { actions_["Play1"]->trigger(); });
  connect(model_, &FileListModel::checkToggled, this, [this] { audiolistClick(); });
  connect(audiolist_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { syncSelectionToList(); });
  connect(audiolist_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { list_->setFocused(current.isValid() ? current.row() : -1); });
  connect(model_, &FileListModel::focusMoved, this, [this](int row) {
    audiolist_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
    syncSelectionFromList();
  });
  connect(audiolist_, &AudioListView::filesDropped, this, [this](const std::vector<std::string>& paths) {
    list_->dropNames(paths);
    RefreshCommands();
  });
  connect(audiolist_, &AudioListView::rowDropped, this, [this](int target) {
    audiolist_->setUpdatesEnabled(false);
    list_->moveFocusedTo(target);
    audiolist_->setUpdatesEnabled(true);
  });
  connect(audiolist_, &QWidget::customContextMenuRequested, this, &Tfrmmain::PopupMenu1Popup);
  qApp->installEventFilter(this);


  settings_ = std::make_unique<settings::SettingsModel>(dataFolder_, musicFolder_, skinFolder_);
  settings_->setHost(this);
  frmenc_ = new convert::Tfrmenc(*settings_, *this, this);
  converter_ = std::make_unique<convert::Converter>(engine_, *settings_, *list_, *this, *frmenc_, programFolder_);
  frmenc_->setCancelHandler([this] { converter_->cancel(); });
  effects::installEffects(*converter_, *settings_);

  timer2_.setSingleShot(true);
  timer2_.setInterval(1000);
  connect(&timer2_, &QTimer::timeout, this, [this] {
    if (splash_) splash_->close();
    splashShowing_ = false;
    if (!skinName_.isEmpty()) applySkin(skinName_, settings_->slider("barskinhue"));
  });

  std::error_code ec;
  if (!std::filesystem::is_directory(dataFolder_, ec) && !ForceFolder(dataFolder_)) {
    // The program goes on without a skin; settings then take their defaults.
    showError("Cannot create " + dataFolder_);
    return;
  }
  applySkin(skinName(readSkinNumber(dataFolder_ + "qorv.ini", 1)), 0);
}

void Tfrmmain::applySkin(const QString& name, int hueDegrees) {
  const QString sheet = loadSkin(skinFolder_, name, hueDegrees);
  if (sheet.isEmpty()) return;
  skinName_ = name;
  qApp->setStyleSheet(sheet);
}

QAction* Tfrmmain::action(QMenu* menu, const char* name, const char* caption) {
  QAction* a = menu->addAction(QString::fromUtf8(caption));
  a->setObjectName(name);
  actions_[name] = a;
  return a;
}

void Tfrmmain::buildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  connect(action(file, "AddFolder1", "Add Folder"), &QAction::triggered, this, &Tfrmmain::AddFolder1Click);
  connect(action(file, "AddFile1", "Add File"), &QAction::triggered, this, &Tfrmmain::btnaddClick);
  connect(action(file, "DeleteFile1", "Delete File"), &QAction::triggered, this, &Tfrmmain::btndelClick);
  connect(action(file, "ClearFileList1", "Clear File List"), &QAction::triggered, this,
          &Tfrmmain::ClearFileList1Click);
  file->addSeparator();
  connect(action(file, "Exit1", "Exit"), &QAction::triggered, this, &QWidget::close);

  QMenu* edit = menuBar()->addMenu("&Edit");
  connect(action(edit, "SelectAll1", "Select All"), &QAction::triggered, this, &Tfrmmain::SelectAll1Click);
  connect(action(edit, "SelectNone1", "Select None"), &QAction::triggered, this, &Tfrmmain::SelectNone1Click);
  connect(action(edit, "InvertSelection1", "Invert Selection"), &QAction::triggered, this,
          &Tfrmmain::InvertSelection1Click);
  edit->addSeparator();
  connect(action(edit, "ItemUP1", "Item UP"), &QAction::triggered, this, &Tfrmmain::ItemUP1Click);
  connect(action(edit, "ItemDown1", "Item Down"), &QAction::triggered, this, &Tfrmmain::ItemDown1Click);
  edit->addSeparator();
  action(edit, "Property2", "Property");

  QMenu* act = menuBar()->addMenu("&Action");
  const char* captions[] = {"Convert to WAVE",   "Convert to MP3",     "Convert to WMA", "Convert to OGG",
                            "Convert to APE",    "Convert to FLAC",    "Convert to WavPack", "Convert to MPC",
                            "Convert to AAC/MP4", "Convert to CUE"};
  for (int i = 0; i < 10; ++i) action(act, kConvertActions[i], captions[i]);
  act->addSeparator();
  action(act, "cutaudio2", "Cut Audio");
  action(act, "SplitAudio2", "Split Audio");

  QMenu* pref = menuBar()->addMenu("&Preference");
  connect(action(pref, "Options1", "Options"), &QAction::triggered, this, &Tfrmmain::btnoptionClick);
  connect(action(pref, "GotoOutPutFolder1", "Go to Output Folder"), &QAction::triggered, this,
          &Tfrmmain::GotoOutPutFolder1Click);

  QMenu* help = menuBar()->addMenu("&Help");
  connect(action(help, "ContentsandIndex1", "Contents and Index"), &QAction::triggered, this,
          &Tfrmmain::ContentsandIndex1Click);
  connect(action(help, "WebSite1", "Web Site"), &QAction::triggered, this, &Tfrmmain::WebSite1Click);
  connect(action(help, "MailUs1", "Mail Us"), &QAction::triggered, this, &Tfrmmain::MailUs1Click);
  help->addSeparator();
  connect(action(help, "About1", "About"), &QAction::triggered, this, &Tfrmmain::About1Click);

  for (int i = 0; i < 9; ++i)
    connect(actions_[kConvertActions[i]], &QAction::triggered, this, [this, i] { convertTo(i + 1); });
  connect(actions_["Convert1"], &QAction::triggered, this, &Tfrmmain::Convert1Click);

  // The menu items and the tool buttons of the same command share a handler.
  connect(actions_["Property2"], &QAction::triggered, actions_["Property1"], &QAction::trigger);
  for (int i = 0; i < 10; ++i) {
    const auto popupItems = popupMenu2_->actions();
    for (QAction* item : popupItems)
      if (item->property("format").toInt() == i) connect(item, &QAction::triggered, actions_[kConvertActions[i]], &QAction::trigger);
  }
}

void Tfrmmain::buildPopupMenus() {
  popupMenu1_ = new QMenu(this);
  popupMenu1_->setObjectName("PopupMenu1");
  QMenu* p = popupMenu1_;
  action(p, "Convert1", "Convert");
  p->addSeparator();
  action(p, "CutAudio1", "Cut Audio");
  action(p, "SplitAudio1", "Split Audio");
  p->addSeparator();
  connect(action(p, "SetOutPutFolder1", "Set Output Folder"), &QAction::triggered, this,
          &Tfrmmain::SetOutPutFolder1Click);
  p->addSeparator();
  connect(action(p, "AddAudioFile1", "Add Audio File"), &QAction::triggered, this, &Tfrmmain::btnaddClick);
  connect(action(p, "DeleteFile2", "Delete File"), &QAction::triggered, this, &Tfrmmain::btndelClick);
  p->addSeparator();
  action(p, "Play1", "Play Audio File");
  p->addSeparator();
  connect(action(p, "SelectAll2", "Select All"), &QAction::triggered, this, &Tfrmmain::SelectAll1Click);
  connect(action(p, "SelectNone2", "Select None"), &QAction::triggered, this, &Tfrmmain::SelectNone1Click);
  p->addSeparator();
  action(p, "Property1", "Property");

  popupMenu2_ = new QMenu(this);
  popupMenu2_->setObjectName("PopupMenu2");
  const std::pair<int, const char*> items[] = {{0, "Convert to WAVE"},     {-1, nullptr},
                                               {1, "Convert to MP3"},      {2, "Convert to WMA"},
                                               {3, "Convert to OGG"},      {-1, nullptr},
                                               {4, "Convert to APE"},      {5, "Convert to FLAC"},
                                               {6, "Convert to WavPAck"},  {-1, nullptr},
                                               {7, "Convert to MPC"},      {8, "Convert  to AAC/MP4"},
                                               {-1, nullptr},              {9, "Convert to CUE"}};
  for (const auto& [format, caption] : items) {
    if (!caption) {
      popupMenu2_->addSeparator();
      continue;
    }
    popupMenu2_->addAction(caption)->setProperty("format", format);
  }
}

void Tfrmmain::buildToolBar() {
  QToolBar* bar = addToolBar("CoolBar1");
  bar->setObjectName("CoolBar1");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  struct Button {
    const char* name;
    const char* caption;
    const char* icon;                 // the desktop theme's icon
    QStyle::StandardPixmap fallback;  // where the theme has none
    const char* trigger;              // the action whose handler the button runs
  };
  const Button buttons[] = {{"btnconvert", "Convert", "media-record", QStyle::SP_BrowserReload, nullptr},
                            {"btnadd", "Add", "list-add", QStyle::SP_DialogOpenButton, "AddFile1"},
                            {"btndel", "Delete", "list-remove", QStyle::SP_TrashIcon, "DeleteFile1"},
                            {"btnplay", "Play", "media-playback-start", QStyle::SP_MediaPlay, "Play1"},
                            {"btnpause", "Pause", "media-playback-pause", QStyle::SP_MediaPause, nullptr},
                            {"btnstop", "Stop", "media-playback-stop", QStyle::SP_MediaStop, nullptr},
                            {"btnprop", "Property", "document-properties", QStyle::SP_FileDialogDetailedView, "Property1"},
                            {"btnoption", "Options", "preferences-system", QStyle::SP_FileDialogListView, "Options1"},
                            {"btnhelp", "Help", "help-contents", QStyle::SP_DialogHelpButton, "ContentsandIndex1"}};
  for (const auto& b : buttons) {
    auto* button = new QToolButton(bar);
    button->setObjectName(b.name);
    button->setText(b.caption);
    button->setIcon(QIcon::fromTheme(b.icon, style()->standardIcon(b.fallback)));
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    if (b.trigger) connect(button, &QToolButton::clicked, actions_[b.trigger], &QAction::trigger);
    bar->addWidget(button);
    buttons_[b.name] = button;
  }
  buttons_["btnconvert"]->setMenu(popupMenu2_);
  buttons_["btnconvert"]->setPopupMode(QToolButton::InstantPopup);
  auto* spacer = new QWidget(bar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  bar->addWidget(spacer);
  paintFrame_ = new QFrame(bar);
  paintFrame_->setObjectName("PaintFrame");
  paintFrame_->setFixedSize(160, 48);
  paintFrame_->setFrameShape(QFrame::StyledPanel);
  bar->addWidget(paintFrame_);
}

void Tfrmmain::buildStatusBar() {
  statusBar()->setObjectName("sStatusBar1");
  const int widths[] = {260, 150, 300};
  const char* texts[] = {"Welcome to use Sondrel", "Total Selected:0", "Output folder: /"};
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(texts[i], statusBar());
    panels_[i]->setObjectName(QString("panel%1").arg(i));
    panels_[i]->setMinimumWidth(widths[i]);
    statusBar()->addWidget(panels_[i], i == 2 ? 1 : 0);
  }
}

void Tfrmmain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstShow_) return;
  RefreshCommands();
  settings_->load();
  outputFolderChanged(settings_->text("efolder"));
  timer2_.start();
  firstShow_ = false;
  for (const QString& arg : commandLineFiles_) {
    std::error_code ec;
    const std::string path = std::filesystem::absolute(arg.toStdString(), ec).lexically_normal().string();
    if (IsSupportedFile(path)) list_->addFile(path);
  }
}

bool Tfrmmain::eventFilter(QObject* watched, QEvent* event) {
  // The Delete key deletes the selected rows from any control of the window.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) {
      btndelClick();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void Tfrmmain::RefreshCommands() {
  const CommandStates s = list_->commandStates(false);
  buttons_["btnconvert"]->setEnabled(s.convert);
  for (const char* name : kConvertActions) actions_[name]->setEnabled(s.convert);
  for (const char* name : kRowActions) actions_[name]->setEnabled(s.rowCommands);
  for (const char* name : kRowButtons) buttons_[name]->setEnabled(s.rowCommands);
  buttons_["btnpause"]->setEnabled(s.transport);
  buttons_["btnstop"]->setEnabled(s.transport);
}

void Tfrmmain::PopupMenu1Popup(const QPoint& at) {
  const bool selected = list_->hasSelection();
  actions_["Convert1"]->setEnabled(list_->checkedCount() != 0);
  for (const char* name : {"CutAudio1", "SplitAudio1", "DeleteFile2", "Play1", "Property1"})
    actions_[name]->setEnabled(selected);
  popupMenu1_->popup(audiolist_->viewport()->mapToGlobal(at));
}

void Tfrmmain::syncSelectionToList() {
  if (syncingSelection_) return;
  const QItemSelectionModel* sel = audiolist_->selectionModel();
  for (int i = 0; i < list_->rowCount(); ++i) list_->setSelected(i, sel->isRowSelected(i, {}));
}

void Tfrmmain::syncSelectionFromList() {
  syncingSelection_ = true;
  QItemSelection selection;
  for (int i = 0; i < list_->rowCount(); ++i)
    if (list_->row(i).selected) selection.select(model_->index(i, 0), model_->index(i, 4));
  audiolist_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  syncingSelection_ = false;
}

// --- List commands ---

void Tfrmmain::btnaddClick() {
  QFileDialog dialog(this, "Select Audio Files");
  dialog.setObjectName("audioopen");
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(dialogFilters(kOpenDialogFilter));
  if (dialog.exec() == QDialog::Accepted)
    for (const QString& f : dialog.selectedFiles()) list_->addFile(f.toStdString());
  RefreshCommands();
}

void Tfrmmain::AddFolder1Click() {
  const QString folder = QFileDialog::getExistingDirectory(this, "Select a folder to add audio files");
  if (!folder.isEmpty()) list_->addFolderFiles(folder.toStdString(), true);
  RefreshCommands();
}

void Tfrmmain::btndelClick() {
  syncSelectionToList();
  if (list_->rowCount() > 0) list_->deleteSelected();
  RefreshCommands();
}

void Tfrmmain::ClearFileList1Click() {
  list_->clear();
  RefreshCommands();
}

void Tfrmmain::SelectAll1Click() {
  list_->selectAll();
  syncSelectionFromList();
}

void Tfrmmain::SelectNone1Click() {
  list_->selectNone();
  syncSelectionFromList();
}

void Tfrmmain::InvertSelection1Click() {
  list_->invertSelection();
  syncSelectionFromList();
}

void Tfrmmain::ItemUP1Click() {
  audiolist_->setUpdatesEnabled(false);
  list_->moveUp();
  audiolist_->setUpdatesEnabled(true);
}

void Tfrmmain::ItemDown1Click() {
  audiolist_->setUpdatesEnabled(false);
  list_->moveDown();
  audiolist_->setUpdatesEnabled(true);
}

void Tfrmmain::audiolistClick() {
  syncSelectionToList();
  list_->listClicked();
  RefreshCommands();
}

// --- Folders, help, about ---

void Tfrmmain::GotoOutPutFolder1Click() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(settings_->text("efolder"))));
}

void Tfrmmain::SetOutPutFolder1Click() {
  const QString folder = QFileDialog::getExistingDirectory(this, "Select output folder");
  if (folder.isEmpty()) return;
  outputFolder_ = folder.toStdString();
  settings_->setText("efolder", outputFolder_);
  converter_->setOutputFolder(outputFolder_);
  setStatus(2, "Output Folder:" + outputFolder_);
}

void Tfrmmain::convertTo(int format) { converter_->ConvertChecked(format); }

void Tfrmmain::Convert1Click() {
  const int index = settings_->list("cdefaultformatcom");
  if (index >= 0 && index < 9) convertTo(index + 1);
  else if (index == 9) actions_["ConverttoCUE1"]->trigger();
}

void Tfrmmain::btnoptionClick() {
  if (!frmoption_) frmoption_ = new settings::Tfrmoption(*settings_, *this, this);
  frmoption_->exec();
}

void Tfrmmain::ContentsandIndex1Click() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(programFolder_ + "help/index.html")));
}

void Tfrmmain::WebSite1Click() { QDesktopServices::openUrl(QUrl(kWebSite)); }
void Tfrmmain::MailUs1Click() { QDesktopServices::openUrl(QUrl(kMailAddress)); }

void Tfrmmain::About1Click() {
  Tfrmabout about(this, kWebSite, kMailAddress);
  about.exec();
}

// --- UserPort ---

void Tfrmmain::showError(const std::string& text) {
  QMessageBox::critical(this, "Sondrel", QString::fromStdString(text), QMessageBox::Ok);
}

void Tfrmmain::showInfo(const std::string& text) {
  QMessageBox::information(this, "Sondrel", QString::fromStdString(text), QMessageBox::Ok);
}

void Tfrmmain::setStatus(int panel, const std::string& text) {
  if (panel >= 0 && panel < 3 && panels_[panel]) panels_[panel]->setText(QString::fromStdString(text));
}

void Tfrmmain::processEvents() { QCoreApplication::processEvents(); }

// --- SettingsHost ---

bool Tfrmmain::loadSoundFont(const std::string& path) { return engine_.loadSoundFont(path); }

void Tfrmmain::outputFolderChanged(const std::string& folder) {
  outputFolder_ = folder;
  if (converter_) converter_->setOutputFolder(folder);
  setStatus(2, "Output Folder:" + folder);
}

void Tfrmmain::skinChanged(const std::string& name, int hue) {
  // While the splash shows, the hue waits for it to close.
  applySkin(name.empty() ? skinName_ : QString::fromStdString(name), splashShowing_ ? 0 : hue);
}

void Tfrmmain::information(const std::string& text) { showInfo(text); }

}  // namespace sondrel
