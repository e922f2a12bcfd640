#include "shell/file_list_model.h"

#include <QApplication>
#include <QColor>
#include <QStyle>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

namespace sondrel {
namespace {
const char* const kHeaders[] = {"File Name", "Length", "Size", "Type", "File Information"};

QIcon iconForExtension(const std::string& ext) {
  const QMimeDatabase mimes;
  const QMimeType type = mimes.mimeTypeForFile("x" + QString::fromStdString(ext), QMimeDatabase::MatchExtension);
  QIcon icon = QIcon::fromTheme(type.iconName());
  if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
  if (icon.isNull()) icon = QIcon::fromTheme("audio-x-generic");
  if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_MediaVolume);
  return icon;
}
}  // namespace

FileListModel::FileListModel(FileList& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {
  list_.setObserver(this);
}

FileListModel::~FileListModel() { list_.setObserver(nullptr); }

int FileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : list_.rowCount(); }
int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 5; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= list_.rowCount()) return {};
  const FileRow& row = list_.row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case 0: return QString::fromStdString(row.caption);
        case 1: return QString::fromStdString(row.lengthText);
        case 2: return QString::fromStdString(row.sizeText);
        case 3: return QString::fromStdString(row.typeText);
        case 4: return QString::fromStdString(row.infoText);
      }
      break;
    case Qt::CheckStateRole:
      if (index.column() == 0) return row.checked ? Qt::Checked : Qt::Unchecked;
      break;
    case Qt::DecorationRole:
      if (index.column() == 0) return iconForExtension(row.iconExtension);
      break;
    case Qt::BackgroundRole:
      return index.row() % 2 == 0 ? QColor(Qt::white) : QColor(235, 235, 235);
    case Qt::ForegroundRole:
      return QColor(Qt::black);
  }
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 5)
    return QString(kHeaders[section]);
  return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
  if (index.isValid()) f |= Qt::ItemIsDragEnabled;
  if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
  return f;
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0) return false;
  list_.setChecked(index.row(), value.toInt() == Qt::Checked);
  emit checkToggled();
  return true;
}

void FileListModel::rowsAboutToBeInserted(int first, int last) { beginInsertRows({}, first, last); }
void FileListModel::rowsInserted() { endInsertRows(); }
void FileListModel::rowsAboutToBeRemoved(int first, int last) { beginRemoveRows({}, first, last); }
void FileListModel::rowsRemoved() { endRemoveRows(); }
void FileListModel::rowsChanged(int first, int last) { emit dataChanged(index(first, 0), index(last, 4)); }
void FileListModel::focusChanged(int row) { emit focusMoved(row); }

}  // namespace sondrel
