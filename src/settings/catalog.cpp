#include "settings/catalog.h"

#include "settings/equalizer_presets.h"

namespace sondrel::settings {
namespace {

using Items = std::vector<std::string>;

// Radio groups.
enum { kNoGroup, kMp3Mode, kWmaMode, kOggMode, kWavPackMode, kMpcMode, kAacMode };

ControlDef list(std::string name, int page, std::string section, std::string key, int def, Items items) {
  ControlDef d;
  d.name = std::move(name);
  d.kind = Kind::List;
  d.page = page;
  d.section = std::move(section);
  d.key = std::move(key);
  d.defaultValue = def;
  d.items = std::move(items);
  d.itemsBuiltAtRunTime = d.items.empty();
  return d;
}

ControlDef check(std::string name, int page, std::string section, std::string key, bool def,
                 std::string caption, int group = kNoGroup) {
  ControlDef d;
  d.name = std::move(name);
  d.kind = Kind::Check;
  d.page = page;
  d.section = std::move(section);
  d.key = std::move(key);
  d.defaultValue = def ? 1 : 0;
  d.caption = std::move(caption);
  d.radioGroup = group;
  return d;
}

ControlDef ranged(Kind kind, std::string name, int page, std::string section, std::string key, int def,
                  int minimum, int maximum) {
  ControlDef d;
  d.name = std::move(name);
  d.kind = kind;
  d.page = page;
  d.section = std::move(section);
  d.key = std::move(key);
  d.defaultValue = def;
  d.minimum = minimum;
  d.maximum = maximum;
  return d;
}

ControlDef slider(std::string name, int page, std::string section, std::string key, int def, int minimum,
                  int maximum) {
  return ranged(Kind::Slider, std::move(name), page, std::move(section), std::move(key), def, minimum, maximum);
}

ControlDef number(std::string name, int page, std::string section, std::string key, int def, int minimum,
                  int maximum) {
  return ranged(Kind::Number, std::move(name), page, std::move(section), std::move(key), def, minimum, maximum);
}

ControlDef text(std::string name, int page, std::string section, std::string key, std::string def,
                int maxLength = 0) {
  ControlDef d;
  d.name = std::move(name);
  d.kind = Kind::Text;
  d.page = page;
  d.section = std::move(section);
  d.key = std::move(key);
  d.defaultText = std::move(def);
  d.maxLength = maxLength;
  return d;
}

// The rate lists of the format pages share their first seven items.
Items rates(std::initializer_list<const char*> extra = {}) {
  Items items{"8000Hz", "11025Hz", "16000Hz", "22050Hz", "32000Hz", "44100Hz", "48000Hz"};
  items.insert(items.end(), extra.begin(), extra.end());
  return items;
}

Items monoStereo() { return {"Mono", "Stereo"}; }
Items levels() { return {"fast", "normal", "high", "extra_high", "insane"}; }

Items oggBitrates() {
  // "160 kpbs" is how the item has always read; stored files and the
  // conversion only depend on its position and number.
  return {"32 kbps", "40 kbps", "48 kbps", "56 kbps", "64 kbps", "80 kbps", "96 kbps",
          "112 kbps", "128 kbps", "160 kpbs", "192 kbps", "224 kbps", "256 kbps", "320 kbps"};
}

Items oggBitratesOrNone() {
  Items items{"Don't Care"};
  for (auto& item : oggBitrates()) items.push_back(item);
  return items;
}

Items presetNames() {
  Items items;
  for (const auto& preset : kEqualizerPresets) items.emplace_back(preset.name);
  return items;
}

std::vector<ControlDef> buildCatalog() {
  std::vector<ControlDef> c;
  // Output
  {
    auto folder = text("efolder", kOutputPage, "output", "outfolder", "", 255);
    folder.defaultIsMusicFolder = true;
    c.push_back(folder);
  }
  c.push_back(list("namecom", kOutputPage, "output", "namerule", 0,
                   {"File's original name (not change file name)", "CD track's name (like track1,track2,etc)"}));
  c.push_back(check("coverwrite", kOutputPage, "output", "overwrite", true, "Always overwrite file when file exists"));
  c.push_back(check("copen", kOutputPage, "output", "openfloder", true, "Open output folder when converting completed"));
  c.push_back(check("ctag", kOutputPage, "output", "writetag", true, "Write tag Information after connverting completed"));
  // Misc
  c.push_back(list("cdefaultformatcom", kMiscPage, "misc", "outformat", 1,
                   {"WAV", "MP3", "WMA", "OGG", "APE", "FLAC", "WAVPACK", "MPC", "AAC/MP4", "Cue"}));
  c.push_back(list("cpartcom", kMiscPage, "misc", "cutaction", 0, {"Convert Select Part", "Convert Invert Select Part"}));
  c.push_back(list("playmodecom", kMiscPage, "misc", "playmode", 2,
                   {"Just stop after end playing", "RePlay after end playing", "Play next song after end playing"}));
  c.push_back(text("esf2", kMiscPage, "misc", "sf2", "", 255));
  c.push_back(slider("barskinhue", kMiscPage, "misc", "skinhue", 0, 0, 360));
  c.push_back(list("skincom", kMiscPage, "misc", "skin", 1, {}));
  // DSP
  c.push_back(check("cnorm", kDspPage, "dsp", "normalize", true, "Normalize"));
  c.push_back(number("spinnorm", kDspPage, "dsp", "normvalue", 94, 0, 100));
  c.push_back(check("clowpass", kDspPage, "dsp", "lowpass", false, "Low Pass:"));
  c.push_back(slider("barlowcut", kDspPage, "dsp", "lowpassvalue", 5000, 0, 10000));
  c.push_back(check("chighpass", kDspPage, "dsp", "highpass", false, "High Pass:"));
  c.push_back(slider("barhighcut", kDspPage, "dsp", "highpassvalue", 5000, 0, 10000));
  c.push_back(check("cbandpass", kDspPage, "dsp", "bandpass", false, "Band Pass"));
  c.push_back(slider("barbandlowcut", kDspPage, "dsp", "bandlowvalue", 2000, 0, 10000));
  c.push_back(slider("barbandhighcut", kDspPage, "dsp", "bandhighvalue", 8000, 0, 10000));
  // Equalizer ("enbale" is the key stored files carry)
  c.push_back(check("ceq", kEqualizerPage, "equ", "enbale", false, "Enabled Equalizer"));
  c.push_back(list("equcom", kEqualizerPage, "equ", "equpreset", 0, presetNames()));
  c.push_back(slider("bargain", kEqualizerPage, "equ", "gain", 0, -12, 12));
  // WAV
  c.push_back(list("wavsamplecom", kWavPage, "wave", "sample", 5, rates({"96000Hz", "192000Hz"})));
  c.push_back(list("wavbitcom", kWavPage, "wave", "bit", 1, {"8 bit", "16 bit", "24 bit", "32 bit"}));
  c.push_back(list("wavchannelcom", kWavPage, "wave", "channel", 1, {"mono", "stereo"}));
  // MP3
  c.push_back(list("mp3samplecom", kMp3Page, "mp3", "sample", 5, rates()));
  c.push_back(list("mp3bitcom", kMp3Page, "mp3", "bit", 1, {"8 bit", "16 bit"}));
  c.push_back(list("mp3channelcom", kMp3Page, "mp3", "channel", 3,
                   {"Default", "Stereo", "Joint Stereo", "Forced Joint Stereo", "Mono"}));
  c.push_back(check("cmp3preset", kMp3Page, "mp3", "preset", true, "Use Preset:", kMp3Mode));
  c.push_back(list("mp3presetcom", kMp3Page, "mp3", "presetvalue", 1,
                   {"medium (VBR)", "standard (VBR)", "fast standard (VBR)", "extreme (VBR)", "fast extreme (VBR)",
                    "insane (CBR)"}));
  c.push_back(check("cmp3cbr", kMp3Page, "mp3", "cbr", false, "Use CBR:", kMp3Mode));
  c.push_back(list("mp3cbrbitratecom", kMp3Page, "mp3", "cbrvalue", 11, {}));
  c.push_back(check("cmp3vbr", kMp3Page, "mp3", "vbr", false, "Use VBR:", kMp3Mode));
  c.push_back(list("mp3minbitratecom", kMp3Page, "mp3", "minvbr", 10, {}));
  c.push_back(list("mp3maxbitratecom", kMp3Page, "mp3", "maxvbr", 12, {}));
  c.push_back(list("mp3qualitycom", kMp3Page, "mp3", "quality", 4,
                   {"0 high", "1", "2", "3", "4 default", "5", "6", "7", "8", "9 low"}));
  c.push_back(check("cmp3abr", kMp3Page, "mp3", "abr", false, "Use ABR Inside of VBR:"));
  c.push_back(number("emp3abr", kMp3Page, "mp3", "abrvalue", 128, 4, 320));
  c.push_back(check("cmp3crc", kMp3Page, "mp3", "crc", false, "CRC"));
  c.push_back(check("cmp3copy", kMp3Page, "mp3", "copy", false, "Copyright"));
  c.push_back(check("cmp3non", kMp3Page, "mp3", "original", false, "non-Original"));
  // WMA
  c.push_back(list("wmasamplecom", kWmaPage, "wma", "sample", 5, rates({"88200hz", "96000hz"})));
  c.push_back(list("wmabitcom", kWmaPage, "wma", "bit", 1, {"8 bit", "16 bit", "24 bit"}));
  c.push_back(list("wmachannelcom", kWmaPage, "wma", "channel", 1, monoStereo()));
  c.push_back(list("wmacodeccom", kWmaPage, "wma", "Codec", 0, {"WMA Standard", "WMA Pro", "WMA Pro(24bit)"}));
  c.push_back(check("cwmacbr", kWmaPage, "wma", "cbr", true, "CBR", kWmaMode));
  c.push_back(list("wmacbrbitratecom", kWmaPage, "wma", "bitrate", 0, {}));
  c.push_back(check("cwmavbr", kWmaPage, "wma", "vbr", false, "VBR", kWmaMode));
  c.push_back(list("wmaqualitycom", kWmaPage, "wma", "quality", 0, {}));
  // OGG ("ninbitrate" is the key stored files carry)
  c.push_back(list("oggsamplecom", kOggPage, "ogg", "sample", 5, rates()));
  c.push_back(list("oggbitcom", kOggPage, "ogg", "bit", 1, {"8 bit", "16 bit"}));
  c.push_back(list("oggchannelcom", kOggPage, "ogg", "channel", 1, monoStereo()));
  c.push_back(check("coggquality", kOggPage, "ogg", "vbr", true, "Quality based:", kOggMode));
  c.push_back(slider("baroggquality", kOggPage, "ogg", "quality", 275, -200, 1000));
  c.push_back(check("coggaverage", kOggPage, "ogg", "abr", false, "Average Bitrate", kOggMode));
  c.push_back(list("oggnorbitratecom", kOggPage, "ogg", "normalbitrate", 8, oggBitrates()));
  c.push_back(list("oggminbitratecom", kOggPage, "ogg", "ninbitrate", 0, oggBitratesOrNone()));
  c.push_back(list("oggmaxbitratecom", kOggPage, "ogg", "maxbitrate", 0, oggBitratesOrNone()));
  // APE
  c.push_back(list("apesamplecom", kApePage, "ape", "sample", 5, rates({"96000hz", "192000hz"})));
  c.push_back(list("apebitcom", kApePage, "ape", "bit", 0, {"16 bit", "24 bit"}));
  c.push_back(list("apechannelcom", kApePage, "ape", "channel", 1, monoStereo()));
  c.push_back(list("apelevelcom", kApePage, "ape", "level", 2, levels()));
  // FLAC: rate and depth under "flac", channels and level under "falc", as
  // stored files have them.
  c.push_back(list("flacsamplecom", kFlacPage, "flac", "sample", 5, rates({"96000hz"})));
  c.push_back(list("flacbitcom", kFlacPage, "flac", "bit", 1, {"8 bit", "16 bit", "24 bit"}));
  c.push_back(list("flacchannelcom", kFlacPage, "falc", "channel", 1, monoStereo()));
  c.push_back(list("flaclevelcom", kFlacPage, "falc", "level", 2, levels()));
  // WavPack
  c.push_back(list("wpsamplecom", kWavPackPage, "wavpack", "sample", 5, rates({"96000hz"})));
  c.push_back(list("wpbitcom", kWavPackPage, "wavpack", "bit", 1, {"8 bit", "16 bit"}));
  c.push_back(list("wpchannelcom", kWavPackPage, "wavpack", "channel", 1,
                   {"Mono", "Joint stereo mid/side", "Joint stereo left/right"}));
  c.push_back(check("cwpcompress", kWavPackPage, "wavpack", "hbird", false, "Hybrid Compression"));
  c.push_back(list("wpqualitycom", kWavPackPage, "wavpack", "quality", 0, {"None", "Speed", "Quality"}));
  c.push_back(check("cwpbs", kWavPackPage, "wavpack", "bs", true, "Bit/Sample", kWavPackMode));
  c.push_back(slider("barwpbs", kWavPackPage, "wavpack", "bsvalue", 239, 0, 239));
  c.push_back(check("cwpks", kWavPackPage, "wavpack", "ks", false, "Kbits/Second", kWavPackMode));
  c.push_back(slider("barwpks", kWavPackPage, "wavpack", "ksvalue", 9600, 24, 9600));
  // MPC
  c.push_back(list("mpcsamplecom", kMpcPage, "mpc", "sample", 1, {"32000Hz", "44100Hz", "48000Hz"}));
  c.push_back(list("mpcbitcom", kMpcPage, "mpc", "bit", 1, {"8 bit", "16 bit", "24 bit", "32 bit"}));
  c.push_back(list("mpcchannelcom", kMpcPage, "mpc", "channel", 1, monoStereo()));
  c.push_back(list("mpccmodecom", kMpcPage, "mpc", "mode", 5,
                   {"off", "reduced", "on", "decoupled", "enhanced 1.5/3 db", "2/6 db", "2.5/9 db", "3/12 db",
                    "3/oo db"}));
  c.push_back(list("mpcformatcom", kMpcPage, "mpc", "format", 0, {"mpc", "mp+", "mpp"}));
  c.push_back(check("cmpcpreset", kMpcPage, "mpc", "preset", true, "PreSet:", kMpcMode));
  c.push_back(list("mpcpresetcom", kMpcPage, "mpc", "presetindex", 3,
                   {"telephone lowest quality (32~48 kbps)", "thumb Low quality/internet (58~86 kbps)",
                    "radio medium <MP3> quality (112~152 kbps)", "standard high quality<delfault> (142~184 kbps)",
                    "streme extreme high quality (168~212 kbps)", "insane extreme high quality (232~268 kbps)",
                    "braindead extreme high quality (232~278 kps)"}));
  c.push_back(check("cmpccustomset", kMpcPage, "mpc", "custompreset", false, "Custom Set:", kMpcMode));
  c.push_back(slider("barmpcquality", kMpcPage, "mpc", "quality", 500, 0, 1000));
  // AAC/MP4
  c.push_back(list("aacsamplecom", kAacPage, "aac", "sample", 5, rates({"96000hz"})));
  c.push_back(list("aacbitcom", kAacPage, "aac", "bit", 1, {"8 bit", "16 bit", "24 bit", "32 bit"}));
  c.push_back(list("aacchannelcom", kAacPage, "aac", "channel", 1, monoStereo()));
  c.push_back(list("aacformatcom", kAacPage, "aac", "format", 0, {"AAC", "MP4", "M4A", "M4b"}));
  c.push_back(list("aacmpegcom", kAacPage, "aac", "mpeg", 0, {"Default", "Mpeg 2", "Mpeg 4"}));
  c.push_back(check("caacvbr", kAacPage, "aac", "vbr", true, "VBR", kAacMode));
  c.push_back(slider("baraacquality", kAacPage, "aac", "quality", 100, 10, 500));
  c.push_back(check("caacabr", kAacPage, "aac", "abr", false, "ABR", kAacMode));
  c.push_back(slider("baraacabr", kAacPage, "aac", "bitrate", 128, 8, 256));
  c.push_back(check("caacbandwith", kAacPage, "aac", "bandwith", false, "Maximun bandwith"));
  c.push_back(slider("baraacbandwith", kAacPage, "aac", "bandwithvalue", 16000, 10000, 48000));
  // CUE ("grap" and "mutiltrack" are the keys stored files carry)
  c.push_back(list("cueformatcom", kCuePage, "cue", "format", 4,
                   {"WAVE", "MP3", "WMA", "OGG", "APE", "FLAC", "WAVPACK", "MPC", "AAC/MP4"}));
  c.push_back(text("ecuename", kCuePage, "cue", "cuename", "CDImage.ape"));
  c.push_back(check("ccuegrap", kCuePage, "cue", "grap", true, "Inside gap "));
  c.push_back(number("ecuegrap", kCuePage, "cue", "grapvalue", 2, 1, 10));
  c.push_back(check("ccueape2", kCuePage, "cue", "insidecuesheet", false,
                    "Inside CueSheet into files if can use ape tag v2 "));
  c.push_back(check("ccuemfile", kCuePage, "cue", "mutiltrack", false, "Output multi track for CUE"));
  // Equalizer bands: set by the preset after loading, never stored.
  for (int band = 1; band <= kEqualizerBandCount; ++band)
    c.push_back(slider("eq" + std::to_string(band), kEqualizerPage, "", "", 0, -90, 90));
  return c;
}

}  // namespace

const std::vector<ControlDef>& controls() {
  static const std::vector<ControlDef> catalog = buildCatalog();
  return catalog;
}

const ControlDef* findControl(std::string_view name) {
  for (const ControlDef& d : controls())
    if (d.name == name) return &d;
  return nullptr;
}

const std::vector<int>& wmaSampleRates() {
  static const std::vector<int> rates{8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000};
  return rates;
}

}  // namespace sondrel::settings
