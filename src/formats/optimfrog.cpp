#include "formats/optimfrog.h"

#include "formats/input_file.h"
#include "formats/lossless_ratio.h"

namespace sondrel {
namespace {
constexpr int kBits[11] = {8, 8, 16, 16, 24, 24, 32, 32, -32, -32, -32};
}

void TOptimFrog::Reset() {
  tags_.Reset();
  signature_ = false;
  sampleRate_ = channels_ = sampleType_ = channelConfig_ = encoderId_ = compressionId_ = 0;
  samples_ = 0;
  fileSize_ = 0;
}

int TOptimFrog::BitsPerSample() const { return sampleType_ >= 0 && sampleType_ <= 10 ? kBits[sampleType_] : 0; }

double TOptimFrog::Ratio() const { return LosslessRatio(fileSize_, samples_, channels_, BitsPerSample()); }

bool TOptimFrog::Valid() const {
  return signature_ && sampleRate_ >= 1 && sampleType_ <= 10 && channelConfig_ <= 1 && compressionId_ / 8 < 10;
}

bool TOptimFrog::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    tags_.Read(*file, path);
    fileSize_ = file->size();
    Bytes h;
    if (!file->readExact(tags_.id3v2.Size(), 23, h) || !hasText(h, 0, "OFR ")) return false;
    signature_ = true;
    uint64_t total = le32(h, 8) | uint64_t(le16(h, 12)) << 32;
    sampleType_ = h[14];
    channelConfig_ = h[15];
    channels_ = channelConfig_ + 1;
    samples_ = channelConfig_ < 64 ? total >> channelConfig_ : 0;
    sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(h, 16), 0x7FFFFFFF));
    encoderId_ = le16(h, 20);
    compressionId_ = h[22];
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sondrel
