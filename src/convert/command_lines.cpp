#include "convert/command_lines.h"

#include <cctype>
#include <cstdlib>

#include "convert/naming.h"

namespace sondrel::convert {
namespace {

// The number an item shows at its start: "44100Hz" 44100, "160 kpbs" 160.
int leadingNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  return std::atoi(text.c_str() + i);
}

std::string itemNumber(const settings::SettingsModel& s, const char* name) {
  return std::to_string(leadingNumber(s.selectedItem(name)));
}

// The program's path; quoted when it holds a blank, so the line still splits
// into the right arguments.
std::string program(const std::string& folder, const char* name) {
  const std::string path = folder + "bin/" + name;
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string quoted(const std::string& out) { return "\"" + out + "\""; }

}  // namespace

std::string quotientText(int value, int divisor) {
  const bool negative = value < 0;
  const long long magnitude = negative ? -static_cast<long long>(value) : value;
  std::string text = std::to_string(magnitude / divisor);
  long long rest = magnitude % divisor;
  if (rest) {
    text += '.';
    for (int d = divisor / 10; d > 0 && rest; d /= 10) {
      text += static_cast<char>('0' + rest / d);
      rest %= d;
    }
  }
  return negative ? "-" + text : text;
}

void SetOutputFormat(const settings::SettingsModel& s, int format, OutputLayout& layout) {
  struct Page {
    const char* rate;
    const char* bits;
    const char* channels;
  };
  static constexpr Page kPages[] = {
      {"wavsamplecom", "wavbitcom", "wavchannelcom"}, {"mp3samplecom", "mp3bitcom", "mp3channelcom"},
      {"wmasamplecom", "wmabitcom", "wmachannelcom"}, {"oggsamplecom", "oggbitcom", "oggchannelcom"},
      {"apesamplecom", "apebitcom", "apechannelcom"}, {"flacsamplecom", "flacbitcom", "flacchannelcom"},
      {"wpsamplecom", "wpbitcom", "wpchannelcom"},    {"mpcsamplecom", "mpcbitcom", "mpcchannelcom"},
      {"aacsamplecom", "aacbitcom", "aacchannelcom"}};
  if (format < kWav || format > kAac) return;
  const Page& p = kPages[format - 1];
  if (s.list(p.rate) >= 0) layout.rate = leadingNumber(s.selectedItem(p.rate));
  if (s.list(p.bits) >= 0) layout.bits = leadingNumber(s.selectedItem(p.bits));
  const int ch = s.list(p.channels);
  if (ch < 0) return;
  if (format == kMp3) layout.channels = ch == 4 ? 1 : 2;
  else if (format == kWavPack) layout.channels = ch == 0 ? 1 : 2;
  else layout.channels = ch + 1;
}

std::string LameCommandLine(const settings::SettingsModel& s, const std::string& folder, const std::string& out) {
  std::string line = program(folder, "lame");
  if (s.check("cmp3preset")) {
    static constexpr const char* kPresets[] = {" --preset medium",  " --preset standard",     " --preset fast standard",
                                               " --preset extreme", " --preset fast extreme", " --preset insane"};
    const int i = s.list("mp3presetcom");
    if (i >= 0 && i < 6) line += kPresets[i];
  }
  // A rate list with no selection gives no rate switch: the encoder's own
  // choice is better than a meaningless number.
  if (s.check("cmp3cbr") && s.list("mp3cbrbitratecom") >= 0) line += " -b " + itemNumber(s, "mp3cbrbitratecom");
  if (s.check("cmp3vbr") && s.list("mp3minbitratecom") >= 0) line += " -b " + itemNumber(s, "mp3minbitratecom");
  static constexpr const char* kModes[] = {"", " -m s", " -m j", " -m f", " -m m"};
  const int mode = s.list("mp3channelcom");
  if (mode > 0 && mode < 5) line += kModes[mode];
  if (s.check("cmp3crc")) line += " -p";
  if (s.check("cmp3copy")) line += " -o";
  if (s.check("cmp3non")) line += " -c";
  if (s.check("cmp3vbr")) {
    if (s.check("cmp3abr")) line += " --abr " + std::to_string(s.number("emp3abr"));
    else line += " -V " + std::to_string(std::max(0, s.list("mp3qualitycom")));
    if (s.list("mp3maxbitratecom") >= 0) line += " -B " + itemNumber(s, "mp3maxbitratecom");
  }
  return line + " - " + quoted(out);
}

std::string OggCommandLine(const settings::SettingsModel& s, const std::string& folder, const std::string& out) {
  std::string line = program(folder, "oggenc2");
  if (s.check("coggquality")) {
    const int p = s.slider("baroggquality");
    line += p < 0 ? " --quality" + quotientText(p, 100) : " -q " + quotientText(p, 100);
  }
  if (s.check("coggaverage")) {
    line += " -b " + itemNumber(s, "oggnorbitratecom");
    if (s.list("oggminbitratecom") > 0) line += " -m " + itemNumber(s, "oggminbitratecom");
    if (s.list("oggmaxbitratecom") > 0) line += " -M " + itemNumber(s, "oggmaxbitratecom");
  }
  return line + " - -o" + quoted(out);
}

std::string WavPackCommandLine(const settings::SettingsModel& s, const std::string& folder, const std::string& out) {
  std::string line = program(folder, "wavpack");
  const int joint = s.list("wpchannelcom");
  if (joint > 0) line += " -j" + std::to_string(joint);
  const int quality = s.list("wpqualitycom");
  if (quality == 1) line += " -f";
  if (quality == 2) line += " -h";
  if (s.check("cwpcompress")) {
    if (s.check("cwpbs")) line += " -b" + quotientText(s.slider("barwpbs"), 10);
    else if (s.check("cwpks")) line += " -b" + std::to_string(s.slider("barwpks"));
  }
  return line + " -i - " + quoted(out);
}

std::string MpcCommandLine(const settings::SettingsModel& s, const std::string& folder, const std::string& out) {
  std::string line = program(folder, "mppenc") + " --silent --overwrite";
  if (s.check("cmpcpreset")) {
    static constexpr const char* kPresets[] = {" --telephone", " --thumb",  " --radio",    " --standard",
                                               " --xtreme",    " --insane", " --braindead"};
    const int i = s.list("mpcpresetcom");
    if (i >= 0 && i < 7) line += kPresets[i];
  } else if (s.check("cmpccustomset")) {
    line += " --quality " + quotientText(s.slider("barmpcquality"), 100);
  }
  static constexpr const char* kModes[] = {" --ms 0", " --ms 1", " --ms 2", " --ms 3", " --ms 10",
                                           "",        " --ms 12", " --ms 13", " --ms 15"};
  const int mode = s.list("mpccmodecom");
  if (mode >= 0 && mode < 9) line += kModes[mode];
  return line + " - " + quoted(out);
}

std::string AacCommandLine(const settings::SettingsModel& s, const std::string& folder, const std::string& out) {
  std::string line = program(folder, "FAAC");
  const int mpeg = s.list("aacmpegcom");
  if (s.list("aacformatcom") == 0 && mpeg > 0) line += " --mpeg-vers " + std::to_string(2 * mpeg);
  if (s.check("caacvbr")) line += " -q <" + std::to_string(s.slider("baraacquality")) + ">";
  else if (s.check("caacabr")) line += " -b <" + std::to_string(s.slider("baraacabr")) + ">";
  if (s.check("caacbandwith")) line += " -c <" + std::to_string(s.slider("baraacbandwith")) + ">";
  return line + " -o " + quoted(out) + " -";
}

std::string ApeCommandLine(const settings::SettingsModel& s, const std::string& folder, const std::string& out) {
  return program(folder, "MAC") + " - " + quoted(out) + " -c" + std::to_string(1000 * (s.list("apelevelcom") + 1));
}

std::string FlacCommandLine(const settings::SettingsModel& s, const std::string& folder, const std::string& out) {
  return program(folder, "flac") + " -f --compression-level-" + std::to_string(s.list("flaclevelcom")) + " -o " +
         quoted(out) + " -";
}

std::string CommandLineFor(int format, const settings::SettingsModel& s, const std::string& folder,
                           const std::string& out) {
  switch (format) {
    case kMp3: return LameCommandLine(s, folder, out);
    case kOgg: return OggCommandLine(s, folder, out);
    case kApe: return ApeCommandLine(s, folder, out);
    case kFlac: return FlacCommandLine(s, folder, out);
    case kWavPack: return WavPackCommandLine(s, folder, out);
    case kMpc: return MpcCommandLine(s, folder, out);
    case kAac: return AacCommandLine(s, folder, out);
    default: return {};
  }
}

}  // namespace sondrel::convert
