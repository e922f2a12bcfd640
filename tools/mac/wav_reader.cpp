#include "wav_reader.h"

#include <cstring>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/file_io.h"

namespace sondrel::mac {

using tools::Failure;
using tools::readUpTo;

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The GUID of PCM in WAVE_FORMAT_EXTENSIBLE, after its leading format code.
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// A format chunk is a few dozen bytes; anything huge is not a WAV we can use.
constexpr uint32_t kMaxFormatChunk = 4096;
constexpr uint32_t kMinRate = 8000;
constexpr uint32_t kMaxRate = 192000;
// How a failed read names what it was reading.
constexpr char kInputName[] = "input";

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool tagIs(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

}  // namespace

WavReader::WavReader(int fd) : fd_(fd) {
  uint8_t riff[12];
  if (readUpTo(fd_, riff, sizeof riff, kInputName) != sizeof riff || !tagIs(riff, "RIFF") || !tagIs(riff + 8, "WAVE"))
    throw Failure("input is not a RIFF WAVE stream");

  bool haveFormat = false;
  for (;;) {
    uint8_t chunkHeader[8];
    readHeaderBytes(chunkHeader, sizeof chunkHeader);
    const uint32_t size = le32(chunkHeader + 4);

    if (tagIs(chunkHeader, "fmt ")) {
      if (size < 16 || size > kMaxFormatChunk)
        throw Failure("the WAV format chunk has an invalid size (" + std::to_string(size) + " bytes)");
      std::vector<uint8_t> chunk(size + (size & 1));
      readHeaderBytes(chunk.data(), chunk.size());
      parseFormatChunk(chunk.data(), size);
      haveFormat = true;
    } else if (tagIs(chunkHeader, "data")) {
      if (!haveFormat) throw Failure("the WAV stream has no format chunk before its data");
      sizeKnown_ = size != 0 && size != 0xFFFFFFFFu;
      bytesLeft_ = size;
      return;
    } else {
      skipBytes(uint64_t(size) + (size & 1));
    }
  }
}

void WavReader::readHeaderBytes(uint8_t* out, std::size_t size) {
  if (readUpTo(fd_, out, size, kInputName) != size)
    throw Failure("the input ended inside the WAV header (no data chunk found)");
}

void WavReader::skipBytes(uint64_t size) {
  uint8_t scrap[4096];
  while (size > 0) {
    const std::size_t take = size < sizeof scrap ? static_cast<std::size_t>(size) : sizeof scrap;
    readHeaderBytes(scrap, take);
    size -= take;
  }
}

void WavReader::parseFormatChunk(const uint8_t* chunk, std::size_t size) {
  const uint16_t tag = le16(chunk);
  const uint16_t channels = le16(chunk + 2);
  const uint32_t rate = le32(chunk + 4);
  const uint16_t blockAlign = le16(chunk + 12);
  const uint16_t bits = le16(chunk + 14);

  if (tag == kFormatExtensible) {
    if (size < 40 || le16(chunk + 16) < 22) throw Failure("the WAV extensible format chunk is too short");
    const uint8_t* guid = chunk + 24;
    if (le16(guid) != kFormatPcm || std::memcmp(guid + 2, kPcmGuidTail, sizeof kPcmGuidTail) != 0)
      throw Failure("unsupported WAV sample format: only integer PCM can be encoded");
  } else if (tag != kFormatPcm) {
    throw Failure("unsupported WAV sample format " + std::to_string(tag) + ": only integer PCM can be encoded");
  }

  if (bits != 8 && bits != 16 && bits != 24)
    throw Failure("unsupported sample size of " + std::to_string(bits) + " bits: use 8, 16 or 24");
  if (channels != 1 && channels != 2)
    throw Failure("unsupported channel count " + std::to_string(channels) + ": use mono or stereo");
  if (rate < kMinRate || rate > kMaxRate)
    throw Failure("unsupported sample rate " + std::to_string(rate) + " Hz: use 8000 to 192000 Hz");

  format_.channels = channels;
  format_.bits = bits;
  format_.sampleRate = rate;
  if (blockAlign != format_.blockBytes())
    throw Failure("the WAV block size (" + std::to_string(blockAlign) + " bytes) does not match " +
                  std::to_string(channels) + " channels of " + std::to_string(bits) + " bits");
}

std::size_t WavReader::readBlocks(uint8_t* out, std::size_t maxBlocks) {
  if (ended_) return 0;
  const std::size_t blockBytes = format_.blockBytes();
  std::size_t wanted = maxBlocks * blockBytes;
  if (sizeKnown_ && bytesLeft_ < wanted) wanted = static_cast<std::size_t>(bytesLeft_ - bytesLeft_ % blockBytes);

  const std::size_t got = readUpTo(fd_, out, wanted, kInputName);
  if (sizeKnown_) bytesLeft_ -= got;
  if (got < wanted) ended_ = true;  // a trailing partial block cannot be encoded and is dropped
  return got / blockBytes;
}

}  // namespace sondrel::mac
