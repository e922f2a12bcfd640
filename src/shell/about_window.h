// The about window.
#pragma once

#include <QDialog>

namespace sondrel {

class Tfrmabout : public QDialog {
  Q_OBJECT
 public:
  Tfrmabout(QWidget* parent, const QString& webSite, const QString& mailAddress);
};

}  // namespace sondrel
