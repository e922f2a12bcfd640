#include "wav_stream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/file_io.h"

namespace sondrel::faac {

using tools::Failure;
using tools::readUpTo;

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// A format chunk holds at most 40 bytes that mean anything (the extensible
// form); anything beyond is skipped unread.
constexpr size_t kFormatChunkMeaningful = 40;
constexpr int kMaxChannels = 8;
// How a failed read names what it was reading.
constexpr char kInputName[] = "the input";

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t u32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

WavStreamReader::WavStreamReader(int fd) : fd_(fd) { readHeader(); }

void WavStreamReader::readHeader() {
  std::array<uint8_t, 12> riff{};
  const size_t got = readUpTo(fd_, riff.data(), riff.size(), kInputName);
  if (got == 0) throw Failure("no input: the WAV stream is empty");
  if (got < riff.size() || std::memcmp(riff.data(), "RIFF", 4) != 0 || std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
    throw Failure("the input is not a WAV stream");

  bool formatSeen = false;
  for (;;) {
    std::array<uint8_t, 8> chunk{};
    if (readUpTo(fd_, chunk.data(), chunk.size(), kInputName) < chunk.size())
      throw Failure("the WAV stream ends before its audio data");
    const uint32_t size = u32(chunk.data() + 4);
    if (std::memcmp(chunk.data(), "fmt ", 4) == 0) {
      readFormatChunk(size);
      formatSeen = true;
    } else if (std::memcmp(chunk.data(), "data", 4) == 0) {
      if (!formatSeen) throw Failure("the WAV stream has audio data before its format");
      if (size != 0 && size != 0xFFFFFFFFu) dataLeft_ = size;
      return;
    } else {
      skip(static_cast<uint64_t>(size) + (size & 1));
    }
  }
}

void WavStreamReader::readFormatChunk(uint32_t size) {
  if (size < 16) throw Failure("the WAV stream's format chunk is too short");
  std::array<uint8_t, kFormatChunkMeaningful> fmt{};
  const size_t meaningful = std::min<size_t>(size, fmt.size());
  if (readUpTo(fd_, fmt.data(), meaningful, kInputName) < meaningful)
    throw Failure("the WAV stream ends inside its format");
  skip(static_cast<uint64_t>(size) - meaningful + (size & 1));

  uint16_t tag = u16(fmt.data());
  const int channels = u16(fmt.data() + 2);
  const uint32_t rate = u32(fmt.data() + 4);
  const int blockAlign = u16(fmt.data() + 12);
  const int bits = u16(fmt.data() + 14);
  if (tag == kFormatExtensible) {
    if (size < 40) throw Failure("the WAV stream's extensible format chunk is too short");
    tag = u16(fmt.data() + 24);  // the first two bytes of the sub-format GUID
  }
  const bool isFloat = tag == kFormatFloat;
  if (tag != kFormatPcm && !isFloat)
    throw Failure("the WAV stream holds no plain PCM (format " + std::to_string(tag) + ")");
  if (isFloat ? bits != 32 : (bits != 8 && bits != 16 && bits != 24 && bits != 32))
    throw Failure("the WAV stream's " + std::to_string(bits) + "-bit samples are not supported");
  if (channels < 1 || channels > kMaxChannels)
    throw Failure("the WAV stream's " + std::to_string(channels) + " channels are not supported");
  if (rate == 0 || rate > 1000000)
    throw Failure("the WAV stream's sample rate " + std::to_string(rate) + " is not supported");
  if (blockAlign != channels * bits / 8) throw Failure("the WAV stream's block size does not match its format");
  format_ = {static_cast<int>(rate), channels, bits, isFloat};
}

void WavStreamReader::skip(uint64_t bytes) {
  std::vector<uint8_t> sink(static_cast<size_t>(std::min<uint64_t>(bytes, 65536)));
  while (bytes > 0) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(bytes, sink.size()));
    const size_t got = readUpTo(fd_, sink.data(), want, kInputName);
    if (got < want) throw Failure("the WAV stream ends before its audio data");
    bytes -= got;
  }
}

size_t WavStreamReader::readFrames(uint8_t* buffer, size_t maxFrames) {
  if (ended_) return 0;
  const size_t frameBytes = format_.bytesPerFrame();
  size_t want = maxFrames * frameBytes;
  if (dataLeft_) want = static_cast<size_t>(std::min<uint64_t>(want, *dataLeft_ / frameBytes * frameBytes));
  const size_t got = readUpTo(fd_, buffer, want, kInputName);
  if (dataLeft_) *dataLeft_ -= got;
  if (got < want || want == 0) ended_ = true;
  return got / frameBytes;
}

}  // namespace sondrel::faac
