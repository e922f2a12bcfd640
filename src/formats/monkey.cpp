#include "formats/monkey.h"

#include "formats/input_file.h"
#include "formats/lossless_ratio.h"

namespace sondrel {

void TMonkey::Reset() {
  tags_.Reset();
  version_ = compressionLevel_ = sampleRate_ = channels_ = bitsPerSample_ = 0;
  samples_ = 0;
  fileSize_ = 0;
}

double TMonkey::Ratio() const { return LosslessRatio(fileSize_, samples_, channels_, bitsPerSample_); }

bool TMonkey::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file || !tags_.Read(*file, path)) return false;
    fileSize_ = file->size();
    const int64_t start = tags_.id3v2.Size();
    Bytes head;
    if (!file->readExact(start, 6, head) || !hasText(head, 0, "MAC ")) return true;
    version_ = le16(head, 4);
    uint32_t totalFrames = 0, finalBlocks = 0, blocksPerFrame = 0;
    if (version_ < 3980) {
      Bytes h = file->read(start + 6, 30);
      if (h.size() < 26) return true;
      compressionLevel_ = le16(h, 0);
      uint16_t flags = le16(h, 2);
      channels_ = le16(h, 4);
      sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(h, 6), 0x7FFFFFFF));
      totalFrames = le32(h, 18);
      finalBlocks = le32(h, 22);
      bitsPerSample_ = (flags & 1) ? 8 : (flags & 8) ? 24 : 16;
      if (version_ >= 3950)
        blocksPerFrame = 294912;
      else if (version_ >= 3900 || (version_ >= 3800 && compressionLevel_ == 4000))
        blocksPerFrame = 73728;
      else
        blocksPerFrame = 9216;
    } else {
      Bytes descriptor;
      if (!file->readExact(start, 52, descriptor)) return true;
      const int64_t descriptorBytes = std::max<uint32_t>(le32(descriptor, 8), 52);
      const int64_t headerBytes = std::min<uint32_t>(le32(descriptor, 12), 24);
      Bytes h = file->read(start + descriptorBytes, headerBytes);
      if (h.size() < 24) return true;
      compressionLevel_ = le16(h, 0);
      blocksPerFrame = le32(h, 4);
      finalBlocks = le32(h, 8);
      totalFrames = le32(h, 12);
      bitsPerSample_ = le16(h, 16);
      channels_ = le16(h, 18);
      sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(h, 20), 0x7FFFFFFF));
    }
    if (totalFrames != 0) samples_ = uint64_t(totalFrames - 1) * blocksPerFrame + finalBlocks;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sondrel
