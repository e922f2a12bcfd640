#include "formats/wavpack_file.h"

#include "formats/input_file.h"
#include "formats/lossless_ratio.h"

namespace sondrel {
namespace {

constexpr int kRates[15] = {6000, 8000, 9600, 11025, 12000, 16000, 22050, 24000,
                            32000, 44100, 48000, 64000, 88200, 96000, 192000};
constexpr uint8_t kSampleRateSubBlock = 0x27;

// A rate outside the table is stored in a sub-block of the first block.
int customSampleRate(ByteView block) {
  size_t pos = 32;
  while (fits(block, pos, 2)) {
    uint8_t id = block[pos];
    size_t words = block[pos + 1];
    size_t header = 2;
    if (id & 0x80) {  // large sub-block: 3 size bytes
      words = block[pos + 1] | size_t(u8(block, pos + 2)) << 8 | size_t(u8(block, pos + 3)) << 16;
      header = 4;
    }
    size_t bytes = words * 2;
    if ((id & 0x3F) == kSampleRateSubBlock && bytes >= 3 && fits(block, pos + header, 3))
      return static_cast<int>(block[pos + header] | block[pos + header + 1] << 8 | block[pos + header + 2] << 16);
    pos += header + bytes;
  }
  return 44100;
}

}  // namespace

void TWAVPackfile::Reset() {
  ape_.Reset();
  valid_ = false;
  version_ = sampleRate_ = channels_ = bitsPerSample_ = 0;
  samples_ = 0;
  fileSize_ = 0;
}

double TWAVPackfile::Ratio() const { return LosslessRatio(fileSize_, samples_, channels_, bitsPerSample_); }

std::string TWAVPackfile::ChannelModeName() const {
  if (channels_ == 1) return "Mono";
  if (channels_ == 2) return "Stereo";
  return "Surround";
}

bool TWAVPackfile::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    // A file too short for an APE footer may still be read.
    if (!ape_.Read(*file)) ape_.Reset();
    fileSize_ = file->size();
    Bytes magic = file->read(0, 4);
    if (hasText(magic, 0, "wvpk")) valid_ = readVersion4(*file);
    else if (hasText(magic, 0, "RIFF")) valid_ = readVersion3(*file);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TWAVPackfile::readVersion4(InputFile& file) {
  // The header and the sub-blocks that may carry a custom rate.
  Bytes block = file.read(0, 1024);
  if (block.size() < 32) return false;
  version_ = le16(block, 8);
  uint32_t total = le32(block, 12);
  // Version 5 keeps the top 8 bits of the count in the byte at offset 11.
  samples_ = total == 0xFFFFFFFFu ? 0 : (uint64_t(block[11]) << 32 | total);
  uint32_t flags = le32(block, 24);
  channels_ = (flags & 4) ? 1 : 2;
  bitsPerSample_ = int((flags & 3) + 1) * 8;
  uint32_t rateIndex = (flags >> 23) & 0x0F;
  sampleRate_ = rateIndex < 15 ? kRates[rateIndex] : customSampleRate(block);
  return true;
}

bool TWAVPackfile::readVersion3(InputFile& file) {
  Bytes riff;
  if (!file.readExact(0, 12, riff) || !hasText(riff, 8, "WAVE")) return false;
  int64_t pos = 12;
  while (pos + 8 <= file.size()) {
    Bytes chunk;
    if (!file.readExact(pos, 8, chunk)) return false;
    const int64_t size = le32(chunk, 4);
    if (hasText(chunk, 0, "fmt ") && size >= 16) {
      Bytes fmt;
      if (!file.readExact(pos + 8, 16, fmt)) return false;
      channels_ = le16(fmt, 2);
      sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(fmt, 4), 0x7FFFFFFF));
      bitsPerSample_ = le16(fmt, 14);
    } else if (hasText(chunk, 0, "data")) {
      Bytes header;
      if (!file.readExact(pos + 8, 36, header) || !hasText(header, 0, "wvpk")) return false;
      version_ = le16(header, 8);
      samples_ = le32(header, 16);
      channels_ = (le16(header, 12) & 1) ? 1 : 2;
      if (sampleRate_ == 0) sampleRate_ = 44100;
      return true;
    }
    pos += 8 + size + (size & 1);
  }
  return false;
}

}  // namespace sondrel
