#include "shell/audio_list_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace sondrel {

AudioListView::AudioListView(QWidget* parent) : QTreeView(parent) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFrameShape(QFrame::NoFrame);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

void AudioListView::paintEvent(QPaintEvent* event) {
  QTreeView::paintEvent(event);
  if (model() && model()->rowCount() > 0) return;
  QPainter painter(viewport());
  QFont font = painter.font();
  font.setBold(true);
  font.setPointSize(20);
  painter.setFont(font);
  painter.setPen(palette().color(QPalette::Highlight));
  painter.drawText(QPoint(160, 120), "Drag Audio files Here");
}

void AudioListView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this || event->mimeData()->hasUrls()) event->acceptProposedAction();
  else event->ignore();
}

void AudioListView::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() == this || event->mimeData()->hasUrls()) event->acceptProposedAction();
  else event->ignore();
}

void AudioListView::dropEvent(QDropEvent* event) {
  if (event->source() == this) {
    const QModelIndex target = indexAt(event->position().toPoint());
    emit rowDropped(target.isValid() ? target.row() : -1);
    event->setDropAction(Qt::IgnoreAction);  // the list has moved the row itself
    event->accept();
    return;
  }
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  event->acceptProposedAction();
  emit filesDropped(paths);
}

}  // namespace sondrel
