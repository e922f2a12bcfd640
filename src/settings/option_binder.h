// Widgets that show one setting each and pass the user's changes to the
// settings model. The model decides (rules, rebuilt lists, enabling); refresh()
// shows what it decided.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;
class QSpinBox;
class QWidget;

namespace sondrel::settings {

class SettingsModel;

class OptionBinder : public QObject {
  Q_OBJECT

 public:
  explicit OptionBinder(SettingsModel& model, QObject* parent = nullptr);

  // Each widget carries the control's name as its object name and is owned by
  // the layout it is put in.
  QComboBox* combo(const std::string& name);
  QCheckBox* checkBox(const std::string& name);  // caption from the setting
  QRadioButton* radio(const std::string& name);  // caption from the setting
  QSlider* slider(const std::string& name, Qt::Orientation orientation = Qt::Horizontal);
  QSpinBox* spin(const std::string& name);
  QLineEdit* edit(const std::string& name);
  // The label that follows a slider made by slider(), e.g. "llowcut".
  QLabel* valueLabel(const std::string& sliderName);

  // Shows the model's current values, items and enabled states.
  void refresh();

 signals:
  // The user changed a setting through one of the widgets.
  void edited();

 private:
  struct Binding {
    std::string name;
    QPointer<QWidget> widget;
    QPointer<QLabel> label;  // sliders with a value label
    int shownPosition = 0;   // sliders: the model position last shown
  };

  Binding& bind(const std::string& name, QWidget* widget);
  void refreshOne(Binding& binding);
  QString labelText(const std::string& sliderName, int position) const;
  void showSlider(Binding& binding, QSlider* bar);

  SettingsModel& model_;
  std::vector<Binding> bindings_;
};

}  // namespace sondrel::settings
