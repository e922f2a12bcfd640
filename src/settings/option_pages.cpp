#include "settings/option_pages.h"

#include "settings/equalizer_presets.h"
#include "shell/folders.h"
#include "settings/option_binder.h"
#include "settings/settings_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>
#include <string>

namespace sondrel::settings {
namespace {

QLabel* text(const char* caption) { return new QLabel(QString::fromUtf8(caption)); }

// Lays out one page's controls; each page is a grid of caption and control rows.
class PageBuilder {
 public:
  PageBuilder(OptionBinder& binder, SettingsModel& model, QWidget* dialog)
      : binder_(binder), model_(model), dialog_(dialog) {}

  QWidget* build(int page) {
    const OptionPage& info = kOptionPages[static_cast<std::size_t>(page)];
    auto* sheet = new QWidget;
    sheet->setObjectName(QString::fromLatin1(info.objectName));
    auto* box = new QGroupBox(QString::fromUtf8(info.groupCaption));
    auto* outer = new QVBoxLayout(sheet);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(box);
    grid_ = new QGridLayout(box);
    row_ = 0;
    switch (page) {
      case kOutputPage: output(); break;
      case kMiscPage: misc(); break;
      case kDspPage: dsp(); break;
      case kEqualizerPage: equalizer(); break;
      case kWavPage: basics("wav"); break;
      case kMp3Page: mp3(); break;
      case kWmaPage: wma(); break;
      case kOggPage: ogg(); break;
      case kApePage: withLevel("ape"); break;
      case kFlacPage: withLevel("flac"); break;
      case kWavPackPage: wavpack(); break;
      case kMpcPage: mpc(); break;
      case kAacPage: aac(); break;
      case kCuePage: cue(); break;
      default: break;
    }
    grid_->setRowStretch(row_, 1);
    grid_->setColumnStretch(2, 1);
    return sheet;
  }

 private:
  // A caption in column 0 and the control spanning the rest.
  void row(const char* caption, QWidget* control) {
    grid_->addWidget(text(caption), row_, 0);
    grid_->addWidget(control, row_++, 1, 1, 3);
  }
  void whole(QWidget* widget) { grid_->addWidget(widget, row_++, 0, 1, 4); }
  void whole(QLayout* layout) { grid_->addLayout(layout, row_++, 0, 1, 4); }

  // A check or radio button with its control, and an optional value label.
  void option(QWidget* button, QWidget* control, QWidget* label = nullptr) {
    grid_->addWidget(button, row_, 0);
    grid_->addWidget(control, row_, 1, 1, label ? 2 : 3);
    if (label) grid_->addWidget(label, row_, 3);
    ++row_;
  }

  // The slider is made first: its label starts from the slider's state.
  void sliderOption(QWidget* button, const std::string& sliderName) {
    QSlider* bar = binder_.slider(sliderName);
    option(button, bar, binder_.valueLabel(sliderName));
  }

  void basics(const std::string& prefix) {
    row("SampleRate:", binder_.combo(prefix + "samplecom"));
    row("Bits Per Sample:", binder_.combo(prefix + "bitcom"));
    row("Channel:", binder_.combo(prefix + "channelcom"));
  }

  void withLevel(const std::string& prefix) {
    basics(prefix);
    row("Compres level:", binder_.combo(prefix + "levelcom"));
  }

  QHBoxLayout* line(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    for (QWidget* w : widgets) layout->addWidget(w);
    return layout;
  }

  QToolButton* browseButton() {
    auto* button = new QToolButton;
    button->setText(QStringLiteral("..."));
    return button;
  }

  void output() {
    whole(text("Select a directory to store output files"));
    QLineEdit* folder = binder_.edit("efolder");
    QToolButton* browse = browseButton();
    browse->setObjectName(QStringLiteral("efolderbrowse"));
    // The builder is gone when the button is clicked: capture what lives on.
    QObject::connect(browse, &QToolButton::clicked, dialog_, [&binder = binder_, &model = model_, dialog = dialog_] {
      const QString chosen =
          QFileDialog::getExistingDirectory(dialog, QString(), QString::fromStdString(model.text("efolder")));
      if (chosen.isEmpty()) return;
      model.setText("efolder", AddSlash(chosen.toStdString()));
      binder.refresh();
    });
    whole(line({folder, browse}));
    whole(text("Naming rule for output files"));
    whole(binder_.combo("namecom"));
    whole(binder_.checkBox("coverwrite"));
    whole(binder_.checkBox("copen"));
    whole(binder_.checkBox("ctag"));
  }

  void misc() {
    row("Default Output format :", binder_.combo("cdefaultformatcom"));
    row("Default cut action:", binder_.combo("cpartcom"));
    row("Play Mode:", binder_.combo("playmodecom"));
    whole(text("Use Custom Sound Font (SF2) for MIDI:"));
    QLineEdit* font = binder_.edit("esf2");
    QToolButton* browse = browseButton();
    browse->setObjectName(QStringLiteral("esf2browse"));
    QObject::connect(browse, &QToolButton::clicked, dialog_, [&binder = binder_, &model = model_, dialog = dialog_] {
      const QString chosen = QFileDialog::getOpenFileName(dialog, QString(), QString::fromStdString(model.text("esf2")),
                                                          QStringLiteral("SF2/SF2PACK (*.sf2 *.sf2pack)"));
      if (chosen.isEmpty()) return;
      model.pickSoundFont(chosen.toStdString());
      binder.refresh();
    });
    whole(line({font, browse}));
    row("Skin:", binder_.combo("skincom"));
    row("Skin HUE:", binder_.slider("barskinhue"));
  }

  void dsp() {
    whole(text("When Converting"));
    option(binder_.checkBox("cnorm"), binder_.spin("spinnorm"));
    sliderOption(binder_.checkBox("clowpass"), "barlowcut");
    sliderOption(binder_.checkBox("chighpass"), "barhighcut");
    whole(binder_.checkBox("cbandpass"));
    sliderOption(new QWidget, "barbandlowcut");
    sliderOption(new QWidget, "barbandhighcut");
    whole(text("Note:low/high pass max value is half source's sample "));
    whole(text("(eg source is 44100hz then max value:22050hz)"));
  }

  void equalizer() {
    whole(binder_.checkBox("ceq"));
    row("Preset:", binder_.combo("equcom"));
    auto* bands = new QHBoxLayout;
    // The scale beside the sliders: top, middle, bottom.
    auto* scale = new QVBoxLayout;
    scale->addWidget(text("+12db"));
    scale->addStretch();
    scale->addWidget(text("0"));
    scale->addStretch();
    scale->addWidget(text("-12db"));
    bands->addLayout(scale);
    auto column = [&](QWidget* bar, const QString& caption) {
      auto* layout = new QVBoxLayout;
      bar->setMinimumHeight(110);
      layout->addWidget(bar, 1, Qt::AlignHCenter);
      auto* label = new QLabel(caption);
      label->setAlignment(Qt::AlignHCenter);
      layout->addWidget(label);
      bands->addLayout(layout);
    };
    column(binder_.slider("bargain", Qt::Vertical), QString());
    for (int band = 0; band < kEqualizerBandCount; ++band) {
      QSlider* bar = binder_.slider("eq" + std::to_string(band + 1), Qt::Vertical);
      // The band number, as the effect chain addresses bands.
      bar->setProperty("band", band);
      const auto label = kEqualizerBands[static_cast<std::size_t>(band)].label;
      column(bar, QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size())));
    }
    whole(bands);
  }

  void mp3() {
    basics("mp3");
    option(binder_.radio("cmp3preset"), binder_.combo("mp3presetcom"));
    option(binder_.radio("cmp3cbr"), binder_.combo("mp3cbrbitratecom"));
    grid_->addWidget(binder_.radio("cmp3vbr"), row_++, 0);
    row("Min:", binder_.combo("mp3minbitratecom"));
    row("Max:", binder_.combo("mp3maxbitratecom"));
    row("Quailty:", binder_.combo("mp3qualitycom"));
    option(binder_.checkBox("cmp3abr"), binder_.spin("emp3abr"), text("Kbps"));
    auto* header = new QGroupBox(QStringLiteral("Header Options"));
    auto* flags = new QHBoxLayout(header);
    flags->addWidget(binder_.checkBox("cmp3crc"));
    flags->addWidget(binder_.checkBox("cmp3copy"));
    flags->addWidget(binder_.checkBox("cmp3non"));
    whole(header);
  }

  void wma() {
    basics("wma");
    row("WMA Codec:", binder_.combo("wmacodeccom"));
    whole(binder_.radio("cwmacbr"));
    row("BitRate(kbps):", binder_.combo("wmacbrbitratecom"));
    whole(binder_.radio("cwmavbr"));
    row("Quality:", binder_.combo("wmaqualitycom"));
  }

  void ogg() {
    basics("ogg");
    sliderOption(binder_.radio("coggquality"), "baroggquality");
    whole(binder_.radio("coggaverage"));
    row("Normal Bitrate:", binder_.combo("oggnorbitratecom"));
    row("Min Bitrate:", binder_.combo("oggminbitratecom"));
    row("Max Bitrate:", binder_.combo("oggmaxbitratecom"));
  }

  void wavpack() {
    basics("wp");
    whole(binder_.checkBox("cwpcompress"));
    row("Mode:", binder_.combo("wpqualitycom"));
    auto* type = new QGroupBox(QStringLiteral("Compression type"));
    auto* layout = new QGridLayout(type);
    layout->addWidget(binder_.radio("cwpbs"), 0, 0);
    layout->addWidget(binder_.slider("barwpbs"), 0, 1);
    layout->addWidget(binder_.valueLabel("barwpbs"), 0, 2);
    layout->addWidget(binder_.radio("cwpks"), 1, 0);
    layout->addWidget(binder_.slider("barwpks"), 1, 1);
    layout->addWidget(binder_.valueLabel("barwpks"), 1, 2);
    layout->setColumnStretch(1, 1);
    whole(type);
  }

  void mpc() {
    basics("mpc");
    row("Channel Mode:", binder_.combo("mpccmodecom"));
    row("Format type:", binder_.combo("mpcformatcom"));
    auto* quality = new QGroupBox(QStringLiteral("Quality"));
    auto* layout = new QGridLayout(quality);
    layout->addWidget(binder_.radio("cmpcpreset"), 0, 0);
    layout->addWidget(binder_.combo("mpcpresetcom"), 0, 1, 1, 4);
    layout->addWidget(binder_.radio("cmpccustomset"), 1, 0);
    layout->addWidget(text("Low"), 1, 1);
    layout->addWidget(binder_.slider("barmpcquality"), 1, 2);
    layout->addWidget(text("High"), 1, 3);
    layout->addWidget(binder_.valueLabel("barmpcquality"), 1, 4);
    layout->setColumnStretch(2, 1);
    whole(quality);
  }

  void aac() {
    basics("aac");
    row("Format Type:", binder_.combo("aacformatcom"));
    row("Mpeg Version:", binder_.combo("aacmpegcom"));
    sliderOption(binder_.radio("caacvbr"), "baraacquality");
    sliderOption(binder_.radio("caacabr"), "baraacabr");
    sliderOption(binder_.checkBox("caacbandwith"), "baraacbandwith");
  }

  void cue() {
    row("Output format for CUE:", binder_.combo("cueformatcom"));
    row("Out name for CUE:", binder_.edit("ecuename"));
    option(binder_.checkBox("ccuegrap"), binder_.spin("ecuegrap"), text("seconds between tracks"));
    whole(binder_.checkBox("ccueape2"));
    whole(binder_.checkBox("ccuemfile"));
  }

  OptionBinder& binder_;
  SettingsModel& model_;
  QWidget* dialog_;
  QGridLayout* grid_ = nullptr;
  int row_ = 0;
};

}  // namespace

QWidget* buildOptionPage(int page, OptionBinder& binder, SettingsModel& model, QWidget* dialog) {
  return PageBuilder(binder, model, dialog).build(page);
}

}  // namespace sondrel::settings
