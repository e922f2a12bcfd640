#include "shell/about_window.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace sondrel {
namespace {
QLabel* link(QWidget* parent, const QString& url, const QString& text) {
  auto* label = new QLabel(QString("<a href=\"%1\" style=\"color:blue;text-decoration:underline\">%2</a>").arg(url, text), parent);
  label->setOpenExternalLinks(true);
  label->setCursor(Qt::PointingHandCursor);
  return label;
}
}  // namespace

Tfrmabout::Tfrmabout(QWidget* parent, const QString& webSite, const QString& mailAddress) : QDialog(parent) {
  setObjectName("frmabout");
  setWindowTitle("About Sondrel");
  setFixedSize(359, 226);
  auto* grid = new QGridLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(48, 48));
  grid->addWidget(icon, 0, 0, 2, 1);
  auto* name = new QLabel("Sondrel", this);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPixelSize(16);
  name->setFont(bold);
  grid->addWidget(name, 0, 1);
  grid->addWidget(new QLabel("Version:4.10", this), 1, 1);
  grid->addWidget(new QLabel("Convert popular audio formats including WAV,MP3 WMA,OGG,\nAPE,FLAC,WavPack,MPC,AAC,MP4...", this), 2, 0, 1, 3);
  auto* picture = new QLabel(this);
  picture->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
  grid->addWidget(picture, 3, 0);
  grid->addWidget(new QLabel("Vista and windows 7 \nCompatible", this), 3, 1);
  grid->addWidget(new QLabel("Official Site:", this), 4, 0);
  grid->addWidget(link(this, webSite, webSite), 4, 1, 1, 2);
  grid->addWidget(new QLabel("Support:", this), 5, 0);
  QString mail = mailAddress;
  grid->addWidget(link(this, mailAddress, mail.remove("mailto:")), 5, 1, 1, 2);
  auto* ok = new QPushButton("&Ok", this);
  ok->setObjectName("btnok");
  connect(ok, &QPushButton::clicked, this, [this] { done(1); });
  grid->addWidget(ok, 6, 2);
}

}  // namespace sondrel
