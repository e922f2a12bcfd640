// Shows the core file list in a Qt view: five columns, check boxes, the
// alternating row colours, and drags within the list and from the desktop.
#pragma once

#include <QAbstractTableModel>

#include "shell/file_list.h"

namespace sondrel {

class FileListModel : public QAbstractTableModel, public FileListObserver {
  Q_OBJECT
 public:
  explicit FileListModel(FileList& list, QObject* parent = nullptr);
  ~FileListModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // FileListObserver
  void rowsAboutToBeInserted(int first, int last) override;
  void rowsInserted() override;
  void rowsAboutToBeRemoved(int first, int last) override;
  void rowsRemoved() override;
  void rowsChanged(int first, int last) override;
  void focusChanged(int row) override;

 signals:
  // A check box was toggled by the user: the list counts again.
  void checkToggled();
  void focusMoved(int row);

 private:
  FileList& list_;
};

}  // namespace sondrel
