#include "formats/ac3.h"

#include "formats/bytes.h"
#include "formats/input_file.h"

namespace sondrel {
namespace {
constexpr int kRates[4] = {48000, 44100, 32000, 0};
constexpr int kBitRates[19] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 448, 512, 576, 640};
constexpr int kChannels[8] = {2, 1, 2, 3, 3, 4, 4, 5};
}  // namespace

void TAC3::Reset() {
  valid_ = false;
  sampleRate_ = channels_ = bitRate_ = 0;
  fileSize_ = 0;
}

bool TAC3::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    fileSize_ = file->size();
    Bytes h;
    if (!file->readExact(0, 7, h) || h[0] != 0x0B || h[1] != 0x77) return true;
    sampleRate_ = kRates[h[4] >> 6];
    const int rateIndex = (h[4] >> 1) & 0x1F;
    bitRate_ = rateIndex < 19 ? kBitRates[rateIndex] : 0;
    channels_ = kChannels[h[6] >> 5];
    // A reserved rate code would make every derived value meaningless.
    valid_ = sampleRate_ > 0 && bitRate_ > 0;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

double TAC3::Duration() const { return bitRate_ > 0 ? double(fileSize_) * 8 / 1000 / bitRate_ : 0; }

double TAC3::Ratio() const {
  double pcm = sampleRate_ * Duration() * (channels_ * 16 / 8) + 44;
  return double(fileSize_) / pcm * 100;
}

}  // namespace sondrel
