#include "settings/option_binder.h"

#include "settings/catalog.h"
#include "settings/settings_model.h"
#include "settings/value_labels.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStringList>

#include <algorithm>

namespace sondrel::settings {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QStringList toStringList(const std::vector<std::string>& items) {
  QStringList list;
  for (const auto& item : items) list << qs(item);
  return list;
}

QStringList comboItems(const QComboBox* combo) {
  QStringList list;
  for (int i = 0; i < combo->count(); ++i) list << combo->itemText(i);
  return list;
}

}  // namespace

OptionBinder::OptionBinder(SettingsModel& model, QObject* parent) : QObject(parent), model_(model) {}

OptionBinder::Binding& OptionBinder::bind(const std::string& name, QWidget* widget) {
  widget->setObjectName(qs(name));
  bindings_.push_back(Binding{name, widget, nullptr});
  if (auto* bar = qobject_cast<QSlider*>(widget)) {
    const QSignalBlocker blocker(bar);
    bar->setValue(model_.slider(name));
    bindings_.back().shownPosition = model_.slider(name);
  }
  refreshOne(bindings_.back());
  return bindings_.back();
}

QComboBox* OptionBinder::combo(const std::string& name) {
  auto* box = new QComboBox;
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(12);
  bind(name, box);
  connect(box, &QComboBox::currentIndexChanged, this, [this, name](int index) {
    model_.setList(name, index);
    emit edited();
  });
  return box;
}

QCheckBox* OptionBinder::checkBox(const std::string& name) {
  auto* box = new QCheckBox(qs(findControl(name)->caption));
  bind(name, box);
  connect(box, &QCheckBox::clicked, this, [this, name](bool on) {
    model_.setCheck(name, on);
    emit edited();
  });
  return box;
}

QRadioButton* OptionBinder::radio(const std::string& name) {
  auto* button = new QRadioButton(qs(findControl(name)->caption));
  // The model keeps the group exclusive; Qt's own exclusivity would not allow
  // the "none ticked" state a settings file can hold.
  button->setAutoExclusive(false);
  bind(name, button);
  connect(button, &QRadioButton::clicked, this, [this, name] {
    model_.setCheck(name, true);  // a click always ticks a radio button
    emit edited();
  });
  return button;
}

QSlider* OptionBinder::slider(const std::string& name, Qt::Orientation orientation) {
  const ControlDef* d = findControl(name);
  auto* bar = new QSlider(orientation);
  bar->setRange(d->minimum, d->maximum);
  // Vertical sliders have their minimum at the top, as on the Equalizer page
  // where the top of the gain slider (-12) means +12 dB.
  if (orientation == Qt::Vertical) bar->setInvertedAppearance(true);
  bind(name, bar);
  connect(bar, &QSlider::valueChanged, this, [this, name](int position) {
    model_.setSlider(name, position);
    emit edited();
  });
  return bar;
}

QSpinBox* OptionBinder::spin(const std::string& name) {
  const ControlDef* d = findControl(name);
  auto* box = new QSpinBox;
  box->setRange(d->minimum, d->maximum);
  bind(name, box);
  connect(box, &QSpinBox::valueChanged, this, [this, name](int value) {
    model_.setNumber(name, value);
    emit edited();
  });
  return box;
}

QLineEdit* OptionBinder::edit(const std::string& name) {
  const ControlDef* d = findControl(name);
  auto* line = new QLineEdit;
  if (d->maxLength > 0) line->setMaxLength(d->maxLength);
  bind(name, line);
  connect(line, &QLineEdit::textEdited, this, [this, name](const QString& text) {
    model_.setText(name, text.toStdString());  // refused text is put back by the refresh
    emit edited();
  });
  return line;
}

QLabel* OptionBinder::valueLabel(const std::string& sliderName) {
  const auto caption = std::find_if(kValueLabels.begin(), kValueLabels.end(),
                                    [&](const ValueLabel& v) { return v.slider == sliderName; });
  auto binding = std::find_if(bindings_.begin(), bindings_.end(),
                              [&](const Binding& b) { return b.name == sliderName; });
  if (caption == kValueLabels.end() || binding == bindings_.end()) return nullptr;
  auto* label = new QLabel;
  label->setObjectName(QString::fromLatin1(caption->label.data(), static_cast<qsizetype>(caption->label.size())));
  // The initial caption stays until the slider first moves; a value loaded
  // before the window exists has already moved it.
  const int position = model_.slider(sliderName);
  label->setText(position == findControl(sliderName)->defaultValue
                     ? QString::fromUtf8(caption->initialCaption.data(),
                                         static_cast<qsizetype>(caption->initialCaption.size()))
                     : labelText(sliderName, position));
  binding->label = label;
  return label;
}

QString OptionBinder::labelText(const std::string& sliderName, int position) const {
  const QString point = QLocale().decimalPoint();
  const char separator = point.size() == 1 && point[0].unicode() < 0x80 ? point[0].toLatin1() : '.';
  return qs(valueLabelText(sliderName, position, separator));
}

void OptionBinder::refresh() {
  for (Binding& binding : bindings_) refreshOne(binding);
}

// A slider's label follows every change of its position, whether the user
// moved it or the model set it (loading, "Default", a preset).
void OptionBinder::showSlider(Binding& binding, QSlider* bar) {
  const int position = model_.slider(binding.name);
  if (bar->value() != position) bar->setValue(position);
  if (position == binding.shownPosition) return;
  binding.shownPosition = position;
  if (binding.label) binding.label->setText(labelText(binding.name, position));
}

void OptionBinder::refreshOne(Binding& binding) {
  QWidget* widget = binding.widget;
  if (!widget) return;
  const QSignalBlocker blocker(widget);
  const std::string& name = binding.name;
  widget->setEnabled(model_.enabled(name));
  if (auto* box = qobject_cast<QComboBox*>(widget)) {
    const QStringList items = toStringList(model_.items(name));
    if (comboItems(box) != items) {
      box->clear();
      box->addItems(items);
    }
    box->setCurrentIndex(model_.list(name));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setChecked(model_.check(name));
  } else if (auto* bar = qobject_cast<QSlider*>(widget)) {
    showSlider(binding, bar);
  } else if (auto* box = qobject_cast<QSpinBox*>(widget)) {
    if (box->value() != model_.number(name)) box->setValue(model_.number(name));
  } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    const QString text = qs(model_.text(name));
    if (line->text() != text) line->setText(text);
  }
}

}  // namespace sondrel::settings
