#include "formats/aac_file.h"

#include <cmath>

#include "formats/input_file.h"

namespace sondrel {
namespace {

constexpr int kRates[16] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050,
                            16000, 12000, 11025, 8000, 0, 0, 0, 0};
constexpr int64_t kWalkBlock = 1 << 16;
constexpr int kAdtsHeader = 7;

}  // namespace

void TAACfile::Reset() {
  tags_.Reset();
  headerType_ = HeaderType::None;
  mpegVersion_ = profile_ = sampleRate_ = channels_ = bitRate_ = 0;
  vbr_ = false;
  frames_ = 0;
  fileSize_ = 0;
  audioBytes_ = 0;
}

bool TAACfile::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file || !tags_.Read(*file, path)) return false;
    fileSize_ = file->size();
    const int64_t start = tags_.id3v2.Size();
    Bytes magic = file->read(start, 4);
    if (hasText(magic, 0, "ADIF"))
      readADIF(*file, start);
    else if (!magic.empty() && magic[0] == 0xFF)
      readADTS(*file, start);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TAACfile::readADIF(InputFile& file, int64_t start) {
  headerType_ = HeaderType::ADIF;
  Bytes h = file.read(start, 32);
  BitReader bits(h);
  bits.seek(32);
  bits.seek(bits.read(1) ? 107 : 35);
  vbr_ = bits.read(1) == 1;
  bitRate_ = static_cast<int>(bits.read(23));
  bits.skip(vbr_ ? 8 : 28);  // program config count, buffer fullness, element tag
  profile_ = static_cast<int>(bits.read(2));
  sampleRate_ = kRates[bits.read(4)];
  channels_ = static_cast<int>(bits.read(4) + bits.read(4) + bits.read(4) + bits.read(2));
  audioBytes_ = fileSize_ - start - tags_.TrailingSize();
}

void TAACfile::readADTS(InputFile& file, int64_t start) {
  const int64_t end = fileSize_ - tags_.TrailingSize();
  int64_t pos = start;
  int64_t walked = 0;
  Bytes block;
  int64_t blockStart = 0;
  auto header = [&](int64_t at, Bytes& out) {
    if (at < blockStart || at + kAdtsHeader > blockStart + static_cast<int64_t>(block.size())) {
      blockStart = at;
      block = file.read(at, kWalkBlock);
    }
    if (at + kAdtsHeader > blockStart + static_cast<int64_t>(block.size())) return false;
    auto first = block.begin() + (at - blockStart);
    out.assign(first, first + kAdtsHeader);
    return true;
  };
  Bytes h;
  while (pos + kAdtsHeader <= end && header(pos, h)) {
    if (h[0] != 0xFF || (h[1] & 0xF0) != 0xF0) break;
    const int length = ((h[3] & 3) << 11) | (h[4] << 3) | (h[5] >> 5);
    if (length < kAdtsHeader) break;
    if (frames_ == 0) {
      headerType_ = HeaderType::ADTS;
      mpegVersion_ = (h[1] & 0x08) ? 2 : 4;
      profile_ = h[2] >> 6;
      sampleRate_ = kRates[(h[2] >> 2) & 0x0F];
      channels_ = ((h[2] & 1) << 2) | (h[3] >> 6);
      vbr_ = (((h[5] & 0x1F) << 6) | (h[6] >> 2)) == 0x7FF;
    }
    ++frames_;
    walked += length;
    pos += length;
    // A constant bit rate is known from the first frame.
    if (!vbr_) break;
  }
  if (frames_ > 0)
    bitRate_ = static_cast<int>(std::nearbyint(sampleRate_ * (double(walked) * 8 / 1024 / double(frames_))));
  audioBytes_ = end - start;
}

double TAACfile::Duration() const {
  if (headerType_ == HeaderType::ADTS && vbr_ && sampleRate_ > 0) return double(frames_) * 1024 / sampleRate_;
  return bitRate_ > 0 ? double(audioBytes_) * 8 / bitRate_ : 0;
}

}  // namespace sondrel
