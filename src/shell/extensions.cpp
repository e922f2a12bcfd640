#include "shell/extensions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "shell/list_texts.h"

namespace sondrel {
namespace {

constexpr std::array<std::string_view, 27> kSupported = {
    ".wv",  ".ofr", ".aac", ".mp4", ".m4a", ".flac", ".fla", ".spx", ".mpc", ".mp+", ".mpp", ".wav", ".ape", ".mp3",
    ".mp2", ".mp1", ".ogg", ".wma", ".tta", ".ac3",  ".cda", ".mid", ".midi", ".rmi", ".kar", ".m4b", ".cue"};
constexpr std::array<std::string_view, 9> kDropOnly = {".adx", ".aix", ".aiff", ".xm", ".it",
                                                       ".s3m", ".mod", ".mtm", ".umx"};

}  // namespace

const char* const kOpenDialogFilter =
    "All Support Files|*.wav;*.aiff;*.xm;*.it;*.umx;*.s3m;*.mod;*.mtm;*.m4b;*.ogg;*.mp3;*.mp2;*.mp1;*.wma;*.ape;"
    "*.mpc;*.mp+;*.mpp;*.spx;*.flac;*.fla;*.aac;*.mp4;*.m4a;*.ofr;*.wv;*.cue;*.tta;*.ac3;*.cda;*.mid;*.midi;*.rmi;"
    "*.kar;*.aix;*.adx|WAV Files(*.wav)|*.wav|MP3 Files(*.mp3;*.mp2;*.mp1)|*.mp3;*.mp2;*.mp1|OGG Files(*.ogg)|*.ogg|"
    "WMA Files(*.wma)|*.wma|APE Files(*.ape)|*.ape|MPC Files(*.mpc;*.mp+;*.mpp)|*.mpc;*.mp+;*.mpp|Speex "
    "Files(*.spx)|*.spx|Flac File(*.flac;*.fla)|*.flac;*.fla|AAC File(*.aac,*.mp4,*.m4a)|*.aac;*.mp4;*.m4a;*.m4b|"
    "OptimFROG Files(*.ofr)|*.ofr|WavPack Files(*.wv)|*.wv|CUE Files(*.cue)|*.cue|TTA Files(*.tta)|*.tta|AC3 "
    "Files(*.ac3)|*.ac3|CD Track(*.cda)|*.cda|Midi Files(*.mid;*.midi;*.rmi;*.kar)|*.mid;*.midi;*.rmi;*.kar|ADX "
    "File(*.adx)|*.adx|AIX File(*.aix)|*.aix"
    "|MOD Musica(*.xm;*.it;*.s3m;*.mod;*.mtm;*.umx)|*.xm;*.it;*.s3m;*.mod;*.mtm;*.umx";

std::string LowerExtension(const std::string& name) {
  std::string ext = ExtensionOf(name);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

bool IsSupportedFile(const std::string& name) {
  const std::string ext = LowerExtension(name);
  return std::find(kSupported.begin(), kSupported.end(), ext) != kSupported.end();
}

bool IsDroppable(const std::string& name) {
  const std::string ext = LowerExtension(name);
  return IsSupportedFile(name) || std::find(kDropOnly.begin(), kDropOnly.end(), ext) != kDropOnly.end();
}

}  // namespace sondrel
