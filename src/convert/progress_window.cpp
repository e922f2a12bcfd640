#include "convert/progress_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

namespace sondrel::convert {
namespace {
const char* const kEffects[] = {"Low Pass", "High Pass", "Band Pass", "Equalizer", "Gain", "Normalize"};

QProgressBar* gauge(QWidget* parent, const char* name) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(name);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setFormat("%p% Done");
  return bar;
}
}  // namespace

Tfrmenc::Tfrmenc(const settings::SettingsModel& settings, UserPort& port, QWidget* mainWindow)
    : QDialog(mainWindow), settings_(settings), port_(port), mainWindow_(mainWindow) {
  setObjectName("frmenc");
  setWindowTitle("Convert Audio Files");
  setModal(false);
  setFixedSize(385, 229);
  auto* grid = new QGridLayout(this);
  lname_ = new QLabel("Convert File:", this);
  lname_->setObjectName("lname");
  grid->addWidget(lname_, 0, 0, 1, 3);
  grid->addWidget(new QLabel("Every file:", this), 1, 0);
  onebar_ = gauge(this, "onebar");
  grid->addWidget(onebar_, 1, 1, 1, 2);
  grid->addWidget(new QLabel("Total file:", this), 2, 0);
  totalbar_ = gauge(this, "totalbar");
  grid->addWidget(totalbar_, 2, 1, 1, 2);
  grid->addWidget(new QLabel("DSP Used:", this), 3, 0, Qt::AlignTop);
  dsplistbox_ = new QListWidget(this);
  dsplistbox_->setObjectName("dsplistbox");
  dsplistbox_->setSelectionMode(QAbstractItemView::NoSelection);
  for (const char* name : kEffects) {
    auto* item = new QListWidgetItem(name, dsplistbox_);
    item->setFlags(Qt::ItemIsEnabled);  // shown, not changed here
    item->setCheckState(Qt::Unchecked);
  }
  grid->addWidget(dsplistbox_, 3, 1, 2, 1);
  ltime_ = new QLabel("Used time:00:00", this);
  ltime_->setObjectName("ltime");
  grid->addWidget(ltime_, 3, 2, Qt::AlignTop);
  auto* buttons = new QHBoxLayout;
  btnok_ = new QPushButton("&Ok", this);
  btnok_->setObjectName("btnok");
  btncancel_ = new QPushButton("&Cancel", this);
  btncancel_->setObjectName("btncancel");
  buttons->addWidget(btnok_);
  buttons->addWidget(btncancel_);
  grid->addLayout(buttons, 4, 2, Qt::AlignBottom);
  connect(btnok_, &QPushButton::clicked, this, &Tfrmenc::btnokClick);
  connect(btncancel_, &QPushButton::clicked, this, &Tfrmenc::btncancelClick);
  timer1_.setInterval(1000);
  connect(&timer1_, &QTimer::timeout, this, &Tfrmenc::Timer1Timer);
}

void Tfrmenc::setCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }
void Tfrmenc::setFileLabel(const std::string& text) { lname_->setText(QString::fromStdString(text)); }
void Tfrmenc::setFileProgress(int percent) { onebar_->setValue(std::clamp(percent, 0, 100)); }
void Tfrmenc::setTotalProgress(int position) {
  totalbar_->setValue(std::clamp(position, totalbar_->minimum(), totalbar_->maximum()));
}
int Tfrmenc::totalMaximum() const { return totalbar_->maximum(); }
void Tfrmenc::setTotalMaximum(int maximum) { totalbar_->setMaximum(std::max(maximum, 0)); }

void Tfrmenc::ShowEffects() {
  // "Gain" is ticked whenever the gain slider is off zero: conversions apply
  // the gain with or without the equalizer, and the list says what is applied.
  const bool ticks[] = {settings_.check("clowpass"), settings_.check("chighpass"), settings_.check("cbandpass"),
                        settings_.check("ceq"), settings_.slider("bargain") != 0, settings_.check("cnorm")};
  for (int i = 0; i < 6; ++i) dsplistbox_->item(i)->setCheckState(ticks[i] ? Qt::Checked : Qt::Unchecked);
}

void Tfrmenc::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (mainWindow_) mainWindow_->setEnabled(false);
  setEnabled(true);
  timer1_.start();
  seconds_ = 0;
  ltime_->setText("Used time:00:00");
  btncancel_->setEnabled(true);
  btnok_->setEnabled(false);
  onebar_->setValue(0);
  totalbar_->setValue(0);
  ShowEffects();
}

void Tfrmenc::Timer1Timer() {
  ++seconds_;
  // Minutes and seconds of the elapsed time; the hours are not shown.
  ltime_->setText(QString("Used time:%1:%2").arg((seconds_ / 60) % 60, 2, 10, QChar('0')).arg(seconds_ % 60, 2, 10, QChar('0')));
  if (totalbar_->value() == totalbar_->maximum()) {
    timer1_.stop();
    btnok_->setEnabled(true);
    btncancel_->setEnabled(false);
    port_.setStatus(0, "Convert Completed");
  }
}

void Tfrmenc::btnokClick() {
  if (settings_.check("copen"))
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(settings_.text("efolder"))));
  close();
}

void Tfrmenc::btncancelClick() {
  if (onCancel_) onCancel_();
  close();
}

void Tfrmenc::closeEvent(QCloseEvent* event) {
  if (mainWindow_) mainWindow_->setEnabled(true);
  timer1_.stop();
  btncancel_->setEnabled(false);
  btnok_->setEnabled(true);
  QDialog::closeEvent(event);
}

}  // namespace sondrel::convert
