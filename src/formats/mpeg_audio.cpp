#include "formats/mpeg_audio.h"

#include <cmath>
#include <cstring>

#include "formats/bytes.h"
#include "formats/input_file.h"

namespace sondrel {
namespace {

constexpr size_t kChunk = 3458;
constexpr size_t kSearchLength = kChunk - 1;
constexpr size_t kPositions = 1730;  // the rest of the chunk is room for the longest frame

// [version][layer][index]; version 0 = 2.5, 2 = 2, 3 = 1; layer 1 = III, 2 = II, 3 = I.
constexpr int kLowerRates[3][16] = {
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},        // III
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},        // II
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}};  // I
constexpr int kMpeg1Rates[3][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},        // III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},       // II
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}};  // I
constexpr int kSampleRates[4][4] = {
    {11025, 12000, 8000, 0}, {0, 0, 0, 0}, {22050, 24000, 16000, 0}, {44100, 48000, 32000, 0}};

TMPEGaudio::FrameData decode(const uint8_t* h) {
  TMPEGaudio::FrameData f;
  f.VersionIndex = (h[1] >> 3) & 3;
  f.LayerIndex = (h[1] >> 1) & 3;
  f.BitRateIndex = h[2] >> 4;
  f.SampleRateIndex = (h[2] >> 2) & 3;
  f.Padding = (h[2] >> 1) & 1;
  f.ModeIndex = h[3] >> 6;
  return f;
}

}  // namespace

bool TMPEGaudio::IsFrameHeader(const uint8_t* h) {
  return h[0] == 0xFF && h[1] >= 0xE0 && ((h[1] >> 3) & 3) != 1 && ((h[1] >> 1) & 3) != 0 && h[2] < 0xF0 &&
         h[2] > 0x0F && ((h[2] >> 2) & 3) != 3 && (h[3] & 3) != 2;
}

int TMPEGaudio::TableBitRate(const FrameData& f) {
  if (f.LayerIndex < 1 || f.LayerIndex > 3 || f.BitRateIndex > 15) return 0;
  if (f.VersionIndex == 3) return kMpeg1Rates[f.LayerIndex - 1][f.BitRateIndex];
  if (f.VersionIndex == 0 || f.VersionIndex == 2) return kLowerRates[f.LayerIndex - 1][f.BitRateIndex];
  return 0;
}

int TMPEGaudio::TableSampleRate(const FrameData& f) {
  return f.VersionIndex <= 3 && f.SampleRateIndex <= 3 ? kSampleRates[f.VersionIndex][f.SampleRateIndex] : 0;
}

int TMPEGaudio::Coefficient(const FrameData& f) {
  if (f.VersionIndex == 3) return f.LayerIndex == 3 ? 48 : 144;
  if (f.LayerIndex == 3) return 24;
  return f.LayerIndex == 2 ? 144 : 72;
}

int TMPEGaudio::PaddingSize(const FrameData& f) { return f.Padding ? (f.LayerIndex == 3 ? 4 : 1) : 0; }

uint16_t TMPEGaudio::FrameLength(const FrameData& f) {
  int rate = TableSampleRate(f);
  if (rate == 0) return 0;
  int64_t length = int64_t(Coefficient(f)) * TableBitRate(f) * 1000 / rate + PaddingSize(f);
  return static_cast<uint16_t>(length);
}

void TMPEGaudio::Reset() {
  id3v1_.Reset();
  id3v2_.Reset();
  ape_.Reset();
  frame_ = FrameData{};
  vbr_ = VBRData{};
  fileLength_ = 0;
  audioStart_ = 0;
  audioEnd_ = 0;
}

bool TMPEGaudio::searchChunk(const uint8_t* c, size_t bytesRead) {
  for (size_t p = 0; p < kPositions; ++p) {
    if (p + 4 > bytesRead) return false;
    if (!IsFrameHeader(c + p)) continue;
    FrameData f = decode(c + p);
    size_t length = FrameLength(f);
    // The next frame must follow, inside what was actually read.
    if (length == 0 || p + length > kSearchLength || p + length + 4 > bytesRead || !IsFrameHeader(c + p + length))
      continue;
    frame_ = f;
    frame_.Found = true;
    frame_.Position = static_cast<int64_t>(p);
    frame_.Size = static_cast<uint16_t>(length);
    size_t d = f.VersionIndex == 3 ? (f.ModeIndex == 3 ? 21 : 36) : (f.ModeIndex == 3 ? 13 : 21);
    ByteView chunk(c, kChunk);
    size_t q = p + d;
    if (hasText(chunk, q, "Xing")) {
      vbr_.Found = true;
      vbr_.Kind = "Xing";
      vbr_.Frames = static_cast<int32_t>(be32(chunk, q + 8));
      vbr_.Bytes = static_cast<int32_t>(be32(chunk, q + 12));
      vbr_.Scale = u8(chunk, q + 119);
    } else if (hasText(chunk, q, "VBRI")) {
      vbr_.Found = true;
      vbr_.Kind = "VBRI";
      vbr_.Scale = u8(chunk, q + 9);
      vbr_.Bytes = static_cast<int32_t>(be32(chunk, q + 10));
      vbr_.Frames = static_cast<int32_t>(be32(chunk, q + 14));
    }
    return true;
  }
  return false;
}

bool TMPEGaudio::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    if (id3v2_.Read(*file) && id3v1_.Read(*file, path)) {
      fileLength_ = file->size();
      const int64_t start = id3v2_.Size();
      uint8_t chunk[kChunk];
      for (int64_t chunkStart = start;; chunkStart += kChunk) {
        Bytes data = file->read(chunkStart, kChunk);
        std::memset(chunk, 0, kChunk);
        if (!data.empty()) std::memcpy(chunk, data.data(), data.size());
        if (searchChunk(chunk, data.size())) {
          frame_.Position += chunkStart;
          audioStart_ = frame_.Position;
          audioEnd_ = fileLength_ - id3v1_.TagTotalSize();
          break;
        }
        if (data.size() < kChunk) break;
      }
    }
    // An MPEG file without a recognisable frame reports no tags either.
    if (!frame_.Found) Reset();
    return true;
  } catch (const std::exception&) {
    Reset();
    return false;
  }
}

int TMPEGaudio::SampleRate() const { return frame_.Found ? TableSampleRate(frame_) : 0; }

int TMPEGaudio::BitRate() const {
  if (!frame_.Found) return 0;
  if (!vbr_.Found || vbr_.Frames <= 0) return TableBitRate(frame_);
  double perFrame = double(vbr_.Bytes) / vbr_.Frames - PaddingSize(frame_);
  return static_cast<int>(std::nearbyint(perFrame * SampleRate() / Coefficient(frame_) / 1000));
}

double TMPEGaudio::Duration() const {
  if (!frame_.Found) return 0;
  if (vbr_.Found && vbr_.Frames > 0) return double(vbr_.Frames) * Coefficient(frame_) * 8 / SampleRate();
  int rate = TableBitRate(frame_);
  return rate > 0 ? double(audioEnd_ - audioStart_) * 8 / (rate * 1000.0) : 0;
}

bool TMPEGaudio::Valid() const {
  auto rate = static_cast<uint16_t>(BitRate());
  return frame_.Found && rate >= 8 && rate <= 448 && Duration() >= 0.1;
}

int TMPEGaudio::Channels() const {
  if (!frame_.Found) return 0;
  return frame_.ModeIndex == 3 ? 1 : 2;
}

std::string TMPEGaudio::ChannelModeName() const {
  static const char* const kNames[] = {"Stereo", "Joint Stereo", "Dual Channel", "Mono", "Unknown"};
  return kNames[frame_.ModeIndex <= 4 ? frame_.ModeIndex : 4];
}

}  // namespace sondrel
