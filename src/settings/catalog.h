// Every setting of the program: the control that holds it, where it is stored
// in the settings file, its kind, range, default and list items. The options
// window and the settings model are both built from this one table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sondrel::settings {

enum class Kind {
  List,    // drop-down list: an item index, -1 for no selection
  Check,   // check box or radio button
  Slider,  // slider position
  Number,  // spin edit value
  Text,    // edit text
};

// Options pages in the order of the window (and of the "Default" button's index).
enum Page {
  kOutputPage, kMiscPage, kDspPage, kEqualizerPage, kWavPage, kMp3Page, kWmaPage,
  kOggPage, kApePage, kFlacPage, kWavPackPage, kMpcPage, kAacPage, kCuePage,
  kPageCount
};

struct ControlDef {
  std::string name;  // the control's name, also the widget's object name
  Kind kind = Kind::Check;
  int page = 0;
  std::string section;  // empty: not stored (the equalizer bands)
  std::string key;
  int defaultValue = 0;  // index, 0/1, position or number
  std::string defaultText;
  bool defaultIsMusicFolder = false;
  int minimum = 0;
  int maximum = 0;
  std::vector<std::string> items;  // fixed items; empty where built at run time
  bool itemsBuiltAtRunTime = false;
  std::string caption;  // check boxes and radio buttons
  int radioGroup = 0;   // radio buttons sharing a number exclude each other; 0: none
  int maxLength = 0;    // texts; 0: no limit
  bool stored() const { return !key.empty(); }
};

// All controls in the order of the settings file (page by page), followed by
// the equalizer band sliders, which are not stored.
const std::vector<ControlDef>& controls();

// The control of that name, or nullptr.
const ControlDef* findControl(std::string_view name);

// Sample rates in Hz behind the items of the WMA page's rate list.
const std::vector<int>& wmaSampleRates();

}  // namespace sondrel::settings
