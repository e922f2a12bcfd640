// The options window "Options": a tree of pages on the left, one page of
// settings at a time, and the "&Default", "&Apply" and "&Ok" buttons.
#pragma once

#include <QDialog>

class QShowEvent;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace sondrel::settings {

class OptionBinder;
class SettingsHost;
class SettingsModel;

class Tfrmoption : public QDialog {
  Q_OBJECT

 public:
  // The window shows and edits the model; the model reports to the host (the
  // window makes it the model's host). Neither is owned.
  Tfrmoption(SettingsModel& model, SettingsHost& host, QWidget* parent = nullptr);

  int activePage() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void treeoptChange(QTreeWidgetItem* node);
  void sButton1Click();  // "&Default": the active page's defaults
  void BtnokClick();     // "&Apply": save and close
  void sButton2Click();  // "&Ok": close; the changes stay in force for this run

  SettingsModel& model_;
  OptionBinder* binder_;
  QTreeWidget* treeopt_;
  QStackedWidget* pages_;
};

}  // namespace sondrel::settings
