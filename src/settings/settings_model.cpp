#include "settings/settings_model.h"

#include "audio/wma_rates.h"
#include "settings/equalizer_presets.h"
#include "shell/folders.h"
#include "settings/ini_file.h"
#include "settings/skins.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <system_error>

namespace sondrel::settings {
namespace {

constexpr std::string_view kSettingsFileName = "qorv.ini";
constexpr std::string_view kNoCodecNotice = "No Codec on this settings";

// MP3 bit rates in kbit/s; how many are offered depends on the sample rate.
constexpr std::array<int, 18> kMp3Kbps{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};

struct Mp3RateChoice {
  int count;     // leading rates of kMp3Kbps offered
  int cbrIndex;  // selected for CBR; minimum and maximum sit one below and above
};

Mp3RateChoice mp3RatesFor(int sampleIndex) {
  if (sampleIndex == 0 || sampleIndex == 1) return {8, 4};   // 8000, 11025 Hz: up to 64 kbit/s
  if (sampleIndex == 2 || sampleIndex == 3) return {14, 11};  // 16000, 22050 Hz: up to 160 kbit/s
  return {18, 11};
}

int wmaDepthBits(int bitIndex) {
  constexpr int kBits[] = {8, 16, 24};
  return bitIndex >= 0 && bitIndex < 3 ? kBits[bitIndex] : 0;
}

// The disc image's extension for each format of "cueformatcom"; AAC/MP4 takes
// its extension from the container chosen on the AAC page.
std::string cueImageExtension(int format, int aacFormat) {
  constexpr std::string_view kByFormat[] = {".wav", ".mp3", ".wma", ".ogg", ".ape", ".flac", ".wv", ".mpc"};
  constexpr std::string_view kByContainer[] = {".aac", ".mp4", ".m4a", ".m4b"};
  if (format >= 0 && format < 8) return std::string(kByFormat[format]);
  if (format == 8) return std::string(kByContainer[aacFormat >= 0 && aacFormat < 4 ? aacFormat : 0]);
  return {};
}

// Replaces the part from the last dot of the file name on; a name without one
// gets the extension appended.
std::string withExtension(const std::string& name, const std::string& extension) {
  const auto slash = name.find_last_of('/');
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
    return name.substr(0, dot) + extension;
  return name + extension;
}

std::size_t countCharacters(const std::string& utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Whether a disc image of this format can carry the cue sheet in an APE tag.
bool cueImageTakesApeTag(int format, int aacFormat) {
  if (format == 0 || format == 2 || format == 3) return false;
  if (format == 8 && aacFormat != 0) return false;
  return true;
}

}  // namespace

SettingsModel::SettingsModel(std::filesystem::path dataFolder, std::string musicFolder,
                             std::filesystem::path skinFolder)
    : dataFolder_(std::move(dataFolder)), musicFolder_(AddSlash(musicFolder)) {
  const auto& all = controls();
  states_.resize(all.size());
  for (int i = 0; i < static_cast<int>(all.size()); ++i) {
    byName_.emplace(all[i].name, i);
    states_[i].items = all[i].items;
  }
  states_[indexOf("skincom")].items = listSkins(skinFolder);
  applyFrom(IniFile{}, -1);
}

void SettingsModel::setHost(SettingsHost* host) { host_ = host; }

std::filesystem::path SettingsModel::filePath() const { return dataFolder_ / kSettingsFileName; }

// ---- lookup ----

const ControlDef& SettingsModel::def(int i) const { return controls()[static_cast<std::size_t>(i)]; }

int SettingsModel::indexOf(std::string_view name) const {
  const auto it = byName_.find(name);
  if (it == byName_.end()) throw std::invalid_argument("no setting named " + std::string(name));
  return it->second;
}

int SettingsModel::indexOf(std::string_view name, Kind kind) const {
  const int i = indexOf(name);
  if (def(i).kind != kind) throw std::invalid_argument("setting " + std::string(name) + " is of another kind");
  return i;
}

int SettingsModel::list(std::string_view name) const { return states_[indexOf(name, Kind::List)].value; }
bool SettingsModel::check(std::string_view name) const { return states_[indexOf(name, Kind::Check)].value != 0; }
int SettingsModel::slider(std::string_view name) const { return states_[indexOf(name, Kind::Slider)].value; }
int SettingsModel::number(std::string_view name) const { return states_[indexOf(name, Kind::Number)].value; }
const std::string& SettingsModel::text(std::string_view name) const { return states_[indexOf(name, Kind::Text)].text; }
const std::vector<std::string>& SettingsModel::items(std::string_view name) const {
  return states_[indexOf(name, Kind::List)].items;
}
bool SettingsModel::enabled(std::string_view name) const { return states_[indexOf(name)].enabled; }

std::string SettingsModel::selectedItem(std::string_view name) const {
  const State& s = states_[indexOf(name, Kind::List)];
  return s.value >= 0 ? s.items[static_cast<std::size_t>(s.value)] : std::string{};
}

// ---- raw assignment: no actions, only the change notice ----

void SettingsModel::changed(int i) {
  if (host_) host_->settingChanged(def(i).name);
}

void SettingsModel::assignList(int i, int index) {
  State& s = states_[i];
  const int value = index >= 0 && index < static_cast<int>(s.items.size()) ? index : -1;
  if (s.value == value) return;
  s.value = value;
  changed(i);
}

void SettingsModel::assignCheck(int i, bool on) {
  const ControlDef& d = def(i);
  if (on && d.radioGroup != 0) {
    for (int other = 0; other < static_cast<int>(states_.size()); ++other) {
      if (other != i && def(other).radioGroup == d.radioGroup && states_[other].value != 0) {
        states_[other].value = 0;
        changed(other);
      }
    }
  }
  if (states_[i].value == (on ? 1 : 0)) return;
  states_[i].value = on ? 1 : 0;
  changed(i);
}

void SettingsModel::assignRanged(int i, int value) {
  const ControlDef& d = def(i);
  value = std::clamp(value, d.minimum, d.maximum);
  if (states_[i].value == value) return;
  states_[i].value = value;
  changed(i);
}

void SettingsModel::assignText(int i, std::string text) {
  if (states_[i].text == text) return;
  states_[i].text = std::move(text);
  changed(i);
}

void SettingsModel::assignItems(int i, std::vector<std::string> items) {
  State& s = states_[i];
  s.items = std::move(items);
  s.value = -1;
  changed(i);
}

void SettingsModel::assignDefault(int i) {
  const ControlDef& d = def(i);
  switch (d.kind) {
    case Kind::List: assignList(i, d.defaultValue); break;
    case Kind::Check: assignCheck(i, d.defaultValue != 0); break;
    case Kind::Slider:
    case Kind::Number: assignRanged(i, d.defaultValue); break;
    case Kind::Text: assignText(i, d.defaultIsMusicFolder ? musicFolder_ : d.defaultText); break;
  }
}

// ---- the settings file ----

void SettingsModel::readStored(int i, const IniFile& ini) {
  const ControlDef& d = def(i);
  const auto raw = ini.value(d.section, d.key);
  if (d.kind == Kind::Text) {
    // The parser already refused text a settings line cannot carry.
    if (raw && (d.maxLength == 0 || countCharacters(*raw) <= static_cast<std::size_t>(d.maxLength)))
      assignText(i, *raw);
    else
      assignDefault(i);
    return;
  }
  const auto number = raw ? parseProfileInt(*raw) : std::nullopt;
  if (!number) {
    assignDefault(i);
    return;
  }
  switch (d.kind) {
    case Kind::List: assignList(i, *number); break;
    case Kind::Check: assignCheck(i, *number != 0); break;
    default: assignRanged(i, *number); break;
  }
}

std::string SettingsModel::storedText(int i) const {
  const State& s = states_[i];
  return def(i).kind == Kind::Text ? s.text : std::to_string(s.value);
}

// Reads the stored settings of one page (or of all, onlyPage < 0) in the
// order that lets the lists built from other settings exist before their own
// index is applied.
void SettingsModel::applyFrom(const IniFile& ini, int onlyPage) {
  const int count = static_cast<int>(controls().size());
  for (int i = 0; i < count; ++i) {
    const ControlDef& d = def(i);
    if (!d.stored() || (onlyPage >= 0 && d.page != onlyPage)) continue;
    if (d.name == "cmp3cbr") rebuildMp3Lists();
    if (d.name == "wmacbrbitratecom" || d.name == "wmaqualitycom") continue;
    readStored(i, ini);
    if (d.name == "cwmavbr") {
      rebuildWmaLists();
      const int bitrate = indexOf("wmacbrbitratecom");
      const int quality = indexOf("wmaqualitycom");
      if (check("cwmacbr") && !states_[bitrate].items.empty()) readStored(bitrate, ini);
      if (check("cwmavbr") && !states_[quality].items.empty()) readStored(quality, ini);
    }
  }
  if (onlyPage < 0 || onlyPage == kEqualizerPage) applyEqualizerPreset();
  if ((onlyPage < 0 || onlyPage == kOutputPage) && host_) host_->outputFolderChanged(text("efolder"));
  applyDependencies();
}

void SettingsModel::load() {
  applyFrom(IniFile::read(filePath()), -1);
  const std::string& font = text("esf2");
  std::error_code ec;
  if (!font.empty() && std::filesystem::exists(font, ec) && host_) host_->loadSoundFont(font);
}

SaveResult SettingsModel::save() const {
  IniFile ini;
  for (int i = 0; i < static_cast<int>(states_.size()); ++i)
    if (def(i).stored()) ini.set(def(i).section, def(i).key, storedText(i));
  // Keys written by others (or by later versions) survive; what cannot be
  // read back as a setting line does not.
  ini.addMissingFrom(IniFile::read(filePath()));
  std::string error;
  if (ini.write(filePath(), error)) return {};
  return {false, "Cannot save the settings to " + filePath().string() + "\n" + error};
}

void SettingsModel::restorePageDefaults(int page) {
  if (page < 0 || page >= kPageCount) return;
  applyFrom(IniFile{}, page);
  if (page == kMiscPage) announceSkin();
}

// ---- changes made by the user ----

void SettingsModel::setList(std::string_view name, int index) {
  const int i = indexOf(name, Kind::List);
  assignList(i, index);
  if (name == "mp3samplecom") rebuildMp3Lists();
  if (name == "wmasamplecom" || name == "wmabitcom" || name == "wmachannelcom" || name == "wmacodeccom")
    rebuildWmaLists();
  if (name == "cueformatcom") renameCueImage();
  if (name == "equcom") applyEqualizerPreset();
  if (name == "skincom") announceSkin();
  applyDependencies();
}

void SettingsModel::setCheck(std::string_view name, bool on) {
  assignCheck(indexOf(name, Kind::Check), on);
  if (name == "cwmacbr" || name == "cwmavbr") rebuildWmaLists();
  applyDependencies();
}

void SettingsModel::setSlider(std::string_view name, int position) {
  assignRanged(indexOf(name, Kind::Slider), position);
  if (name == "barskinhue") announceSkin();
}

void SettingsModel::setNumber(std::string_view name, int value) { assignRanged(indexOf(name, Kind::Number), value); }

bool SettingsModel::setText(std::string_view name, const std::string& text) {
  const int i = indexOf(name, Kind::Text);
  const int maxLength = def(i).maxLength;
  if (!isCleanText(text) || (maxLength > 0 && countCharacters(text) > static_cast<std::size_t>(maxLength)))
    return false;
  assignText(i, text);
  if (name == "efolder" && host_) host_->outputFolderChanged(text);
  return true;
}

bool SettingsModel::pickSoundFont(const std::string& path) {
  if (!setText("esf2", path)) return false;
  if (path.empty() || !host_) return false;
  return host_->loadSoundFont(path);
}

// ---- rules ----

void SettingsModel::rebuildMp3Lists() {
  const Mp3RateChoice choice = mp3RatesFor(list("mp3samplecom"));
  std::vector<std::string> rates;
  for (int k = 0; k < choice.count; ++k) rates.push_back(std::to_string(kMp3Kbps[static_cast<std::size_t>(k)]) + " kbps");
  const int cbr = indexOf("mp3cbrbitratecom");
  const int minimum = indexOf("mp3minbitratecom");
  const int maximum = indexOf("mp3maxbitratecom");
  assignItems(cbr, rates);
  assignItems(minimum, rates);
  assignItems(maximum, std::move(rates));
  assignList(cbr, choice.cbrIndex);
  assignList(minimum, choice.cbrIndex - 1);
  assignList(maximum, choice.cbrIndex + 1);
}

void SettingsModel::rebuildWmaLists() {
  const int bitrate = indexOf("wmacbrbitratecom");
  const int quality = indexOf("wmaqualitycom");
  assignItems(bitrate, {});
  assignItems(quality, {});

  const int sampleIndex = list("wmasamplecom");
  const auto& sampleRates = wmaSampleRates();
  const int rate = sampleIndex >= 0 && sampleIndex < static_cast<int>(sampleRates.size())
                       ? sampleRates[static_cast<std::size_t>(sampleIndex)]
                       : 0;
  const int channels = list("wmachannelcom") + 1;
  const int bits = wmaDepthBits(list("wmabitcom"));
  const int codec = list("wmacodeccom");
  const bool vbr = check("cwmavbr");

  const std::vector<int> offered = vbr ? audio::wmaEncoderQualities(codec, rate, channels, bits)
                                       : audio::wmaEncoderBitrates(codec, rate, channels, bits);
  if (offered.empty()) {
    if (host_) host_->information(std::string(kNoCodecNotice));
    return;
  }
  std::vector<std::string> texts;
  for (int value : offered) texts.push_back(std::to_string(vbr ? value : value / 1000));
  const int target = vbr ? quality : bitrate;
  assignItems(target, std::move(texts));
  assignList(target, 0);
}

void SettingsModel::renameCueImage() {
  const std::string extension = cueImageExtension(list("cueformatcom"), list("aacformatcom"));
  if (extension.empty()) return;
  const int name = indexOf("ecuename");
  assignText(name, withExtension(states_[name].text, extension));
}

void SettingsModel::applyEqualizerPreset() {
  const int preset = list("equcom");
  if (preset < 0 || preset >= static_cast<int>(kEqualizerPresets.size())) return;
  const auto& positions = kEqualizerPresets[static_cast<std::size_t>(preset)].positions;
  for (int band = 0; band < kEqualizerBandCount; ++band)
    assignRanged(indexOf("eq" + std::to_string(band + 1)), positions[static_cast<std::size_t>(band)]);
}

// Which controls can be used follows from the values alone, so it is right
// after loading, restoring defaults and every change alike.
void SettingsModel::applyDependencies() {
  const bool mp3Vbr = check("cmp3vbr");
  if (!mp3Vbr) assignCheck(indexOf("cmp3abr"), false);
  const bool mp3Abr = check("cmp3abr");
  states_[indexOf("mp3presetcom")].enabled = check("cmp3preset");
  states_[indexOf("mp3cbrbitratecom")].enabled = check("cmp3cbr");
  states_[indexOf("mp3minbitratecom")].enabled = mp3Vbr;
  states_[indexOf("mp3maxbitratecom")].enabled = mp3Vbr;
  states_[indexOf("cmp3abr")].enabled = mp3Vbr;
  states_[indexOf("mp3qualitycom")].enabled = mp3Vbr && !mp3Abr;
  states_[indexOf("emp3abr")].enabled = mp3Abr;

  const bool oggQuality = check("coggquality");
  const bool oggAverage = check("coggaverage");
  states_[indexOf("baroggquality")].enabled = oggQuality;
  for (auto name : {"oggnorbitratecom", "oggminbitratecom", "oggmaxbitratecom"})
    states_[indexOf(name)].enabled = oggAverage;

  const bool apeTag = cueImageTakesApeTag(list("cueformatcom"), list("aacformatcom"));
  const int cueApe = indexOf("ccueape2");
  if (!apeTag) assignCheck(cueApe, false);
  states_[cueApe].enabled = apeTag;
}

void SettingsModel::announceSkin() {
  if (host_) host_->skinChanged(selectedItem("skincom"), slider("barskinhue"));
}

}  // namespace sondrel::settings
