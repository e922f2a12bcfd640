// The progress window of a conversion: the file and total bars, the used
// time, the effects in use, and OK and Cancel.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

#include "convert/progress_view.h"
#include "settings/settings_model.h"
#include "shell/user_port.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace sondrel::convert {

class Tfrmenc : public QDialog, public ProgressView {
  Q_OBJECT
 public:
  Tfrmenc(const settings::SettingsModel& settings, UserPort& port, QWidget* mainWindow);

  // Called by Cancel before the window closes.
  void setCancelHandler(std::function<void()> handler) { onCancel_ = std::move(handler); }

  // ProgressView
  void setCaption(const std::string& caption) override;
  void setFileLabel(const std::string& text) override;
  void setFileProgress(int percent) override;
  void setTotalProgress(int position) override;
  int totalMaximum() const override;
  void setTotalMaximum(int maximum) override;
  bool isShowing() const override { return isVisible(); }
  void showProgress() override { show(); }

  void ShowEffects();

 public slots:
  void Timer1Timer();
  void btnokClick();
  void btncancelClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  const settings::SettingsModel& settings_;
  UserPort& port_;
  QWidget* mainWindow_;
  QLabel* lname_;
  QProgressBar* onebar_;
  QProgressBar* totalbar_;
  QListWidget* dsplistbox_;
  QLabel* ltime_;
  QPushButton* btnok_;
  QPushButton* btncancel_;
  QTimer timer1_;
  int seconds_ = 0;
  std::function<void()> onCancel_;
};

}  // namespace sondrel::convert
