#include "formats/tta.h"

#include "formats/input_file.h"
#include "formats/lossless_ratio.h"

namespace sondrel {

void TTTA::Reset() {
  tags_.Reset();
  valid_ = false;
  audioFormat_ = sampleRate_ = channels_ = bitsPerSample_ = 0;
  samples_ = 0;
  fileSize_ = 0;
}

double TTTA::Ratio() const { return LosslessRatio(fileSize_, samples_, channels_, bitsPerSample_); }

bool TTTA::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    tags_.Read(*file, path);
    fileSize_ = file->size();
    Bytes h;
    if (!file->readExact(tags_.id3v2.Size(), 22, h) || !hasText(h, 0, "TTA1")) return true;
    valid_ = true;
    audioFormat_ = le16(h, 4);
    channels_ = le16(h, 6);
    bitsPerSample_ = le16(h, 8);
    sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(h, 10), 0x7FFFFFFF));
    samples_ = le32(h, 14);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sondrel
