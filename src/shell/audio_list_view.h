// The list view of the main window: draws the hint on an empty list, takes
// files dropped from the desktop and rows dragged within itself.
#pragma once

#include <QTreeView>
#include <functional>
#include <string>
#include <vector>

namespace sondrel {

class AudioListView : public QTreeView {
  Q_OBJECT
 public:
  explicit AudioListView(QWidget* parent = nullptr);

 signals:
  // Paths dropped from the desktop, in the order delivered.
  void filesDropped(const std::vector<std::string>& paths);
  // A row dragged inside the list was let go over `targetRow` (-1: no row
  // under the pointer).
  void rowDropped(int targetRow);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace sondrel
