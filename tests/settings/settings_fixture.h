// A scratch documents folder, music folder and skin folder for settings tests.
#pragma once

#include "recording_host.h"
#include "settings/catalog.h"
#include "settings/settings_model.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace sondrel::settings::test {

inline const char* const kSkinNames[] = {"vista", "beijing", "tv-b", "darkglass", "pulsar", "macos2"};

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest()
      : dataFolder_(temp_.path() / "Documents" / "qorv"),
        musicFolder_((temp_.path() / "Music").string() + "/"),
        skinFolder_(temp_.path() / "skin") {
    std::filesystem::create_directories(skinFolder_);
    for (const char* name : kSkinNames) sondrel::test::writeFile((skinFolder_ / (std::string(name) + ".qss")).string(), "");
    sondrel::test::writeFile((skinFolder_ / "readme.txt").string(), "not a skin");
  }

  std::unique_ptr<SettingsModel> fresh() {
    auto model = std::make_unique<SettingsModel>(dataFolder_, musicFolder_, skinFolder_);
    model->setHost(&host_);
    return model;
  }

  std::unique_ptr<SettingsModel> loaded() {
    auto model = fresh();
    model->load();
    return model;
  }

  void writeSettings(const std::string& text) {
    std::filesystem::create_directories(dataFolder_);
    sondrel::test::writeFile((dataFolder_ / "qorv.ini").string(), text);
  }

  std::string savedText() const {
    std::ifstream in(dataFolder_ / "qorv.ini", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  sondrel::test::TempDir temp_;
  std::filesystem::path dataFolder_;
  std::string musicFolder_;
  std::filesystem::path skinFolder_;
  RecordingHost host_;
};

// One control's state as text: its value, and a list's items.
inline std::string stateOf(const SettingsModel& model, const ControlDef& d) {
  switch (d.kind) {
    case Kind::List: {
      std::string s = std::to_string(model.list(d.name)) + " of";
      for (const auto& item : model.items(d.name)) s += " [" + item + "]";
      return s;
    }
    case Kind::Check: return model.check(d.name) ? "on" : "off";
    case Kind::Slider: return std::to_string(model.slider(d.name));
    case Kind::Number: return std::to_string(model.number(d.name));
    case Kind::Text: return '"' + model.text(d.name) + '"';
  }
  return {};
}

// Every control's state, by name.
inline std::map<std::string, std::string> snapshot(const SettingsModel& model) {
  std::map<std::string, std::string> states;
  for (const ControlDef& d : controls()) states[d.name] = stateOf(model, d);
  return states;
}

}  // namespace sondrel::settings::test
