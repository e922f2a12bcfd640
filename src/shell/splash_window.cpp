#include "shell/splash_window.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace sondrel {

Tfrmsplash::Tfrmsplash() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen) {
  setObjectName("frmsplash");
  setFixedSize(400, 230);
  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->geometry().center() - rect().center());
}

void Tfrmsplash::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient sky(0, 0, 0, height());
  sky.setColorAt(0, QColor(28, 52, 92));
  sky.setColorAt(1, QColor(10, 18, 36));
  p.fillRect(rect(), sky);
  // A row of level bars, the program's mark.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 24; ++i) {
    const int h = 20 + static_cast<int>(60 * (0.5 + 0.5 * std::sin(i * 0.7)));
    p.setBrush(QColor::fromHsv((180 + i * 6) % 360, 160, 230));
    p.drawRect(40 + i * 14, 170 - h, 10, h);
  }
  QFont font = p.font();
  font.setPixelSize(40);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 170, width(), 50), Qt::AlignCenter, "Sondrel");
}

}  // namespace sondrel
