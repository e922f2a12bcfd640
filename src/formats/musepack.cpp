#include "formats/musepack.h"

#include <cmath>

#include "formats/input_file.h"

namespace sondrel {
namespace {

constexpr int kRates[4] = {44100, 48000, 37800, 32000};
constexpr int kFrameSamples = 1152;
constexpr int64_t kMaxPacketSearch = 1 << 16;

// Variable-length size of stream version 8: 7 bits a byte, high bit = more.
bool readVarint(ByteView b, size_t& pos, uint64_t& value) {
  value = 0;
  for (int i = 0; i < 9; ++i) {
    if (pos >= b.size()) return false;
    uint8_t c = b[pos++];
    value = (value << 7) | (c & 0x7F);
    if (!(c & 0x80)) return true;
  }
  return false;
}

}  // namespace

void TMPEGplus::Reset() {
  tags_.Reset();
  streamVersion_ = sampleRate_ = channels_ = channelMode_ = storedBitRate_ = 0;
  frameCount_ = 0;
  samples8_ = 0;
  fileSize_ = 0;
}

bool TMPEGplus::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    if (!tags_.id3v2.Read(*file)) return false;
    fileSize_ = file->size();
    if (fileSize_ <= 0) return false;
    const int64_t start = tags_.id3v2.Size();
    Bytes h = file->read(start, 32);
    h.resize(32, 0);
    const uint32_t word0 = le32(h, 0), word1 = le32(h, 4);
    if (hasText(h, 0, "MPCK")) {
      if (!readVersion8(*file, start)) return true;
    } else {
      if (word0 == 0x072B504D) {
        streamVersion_ = 7;
      } else if (word0 == 0x172B504D) {
        streamVersion_ = 71;
      } else {
        switch ((h[1] >> 1) & 0x0F) {
          case 3: streamVersion_ = 4; break;
          case 7: streamVersion_ = 5; break;
          case 11: streamVersion_ = 6; break;
          default: return true;
        }
      }
      sampleRate_ = kRates[h[10] & 3];
      channels_ = 2;
      if (streamVersion_ >= 7)
        channelMode_ = (h[11] & 0x40) ? 2 : 1;
      else
        channelMode_ = (h[2] & 0x7F) ? 2 : 1;
      frameCount_ = streamVersion_ == 4 ? word1 >> 16 : word1;
      storedBitRate_ = streamVersion_ == 4 || streamVersion_ == 5 ? static_cast<int>(word0 >> 23) : 0;
    }
    tags_.id3v1.Read(*file, path);
    tags_.ape.Read(*file);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TMPEGplus::readVersion8(InputFile& file, int64_t start) {
  Bytes data = file.read(start, kMaxPacketSearch);
  ByteView b = data;
  size_t pos = 4;
  while (fits(b, pos, 3)) {
    const size_t packetStart = pos;
    const bool header = hasText(b, pos, "SH");
    const bool audio = hasText(b, pos, "AP") || hasText(b, pos, "SE");
    pos += 2;
    uint64_t size = 0;
    if (!readVarint(b, pos, size) || size < pos - packetStart) return false;
    if (audio) return false;
    if (header) {
      size_t p = pos + 4;  // CRC
      if (u8(b, p) != 8) return false;
      ++p;
      uint64_t samples = 0, silence = 0;
      if (!readVarint(b, p, samples) || !readVarint(b, p, silence) || !fits(b, p, 2)) return false;
      streamVersion_ = 8;
      samples8_ = samples > silence ? samples - silence : 0;
      sampleRate_ = kRates[(b[p] >> 5) & 3];
      channels_ = (b[p + 1] >> 4) + 1;
      channelMode_ = channels_ == 2 ? ((b[p + 1] & 0x08) ? 2 : 1) : 0;
      frameCount_ = static_cast<uint32_t>(std::min<uint64_t>((samples8_ + kFrameSamples - 1) / kFrameSamples, 0xFFFFFFFF));
      return true;
    }
    if (size > b.size() - packetStart) return false;
    pos = packetStart + size;
  }
  return false;
}

uint64_t TMPEGplus::Samples() const {
  return streamVersion_ == 8 ? samples8_ : uint64_t(frameCount_) * kFrameSamples;
}

double TMPEGplus::Duration() const { return sampleRate_ > 0 ? double(Samples()) / sampleRate_ : 0; }

int64_t TMPEGplus::audioBytes() const {
  return fileSize_ - tags_.id3v2.Size() - (tags_.ape.Present() ? tags_.ape.Size() : 0) -
         (tags_.id3v1.Present() ? 128 : 0);
}

int TMPEGplus::BitRate() const {
  if (storedBitRate_ != 0 || frameCount_ == 0) return storedBitRate_;
  if (streamVersion_ == 8) {
    double d = Duration();
    return d > 0 ? static_cast<int>(std::nearbyint(audioBytes() * 8.0 / d / 1000)) : 0;
  }
  return static_cast<int>(
      std::nearbyint(double(audioBytes()) * 8 * (sampleRate_ / 1000.0) / frameCount_ / kFrameSamples));
}

std::string TMPEGplus::ChannelModeName() const {
  if (channels_ == 1) return "Mono";
  switch (channelMode_) {
    case 1: return "Stereo";
    case 2: return "Joint Stereo";
    default: return "Unknown";
  }
}

}  // namespace sondrel
