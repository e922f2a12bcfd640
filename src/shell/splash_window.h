// The splash window: a borderless picture shown while the program starts.
#pragma once

#include <QWidget>

namespace sondrel {

class Tfrmsplash : public QWidget {
  Q_OBJECT
 public:
  Tfrmsplash();

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace sondrel
