// Reads the WAV stream the converter pipes in: a RIFF WAVE header, then
// interleaved little-endian PCM. The header is written before the length is
// known, so a data size of 0 or 0xFFFFFFFF means "until the input ends".
// Memory use does not depend on anything the header says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sondrel::faac {

struct PcmFormat {
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;  // 8 (unsigned), 16, 24, 32 (signed), or 32 float
  bool isFloat = false;

  size_t bytesPerSample() const { return static_cast<size_t>(bitsPerSample) / 8; }
  size_t bytesPerFrame() const { return bytesPerSample() * static_cast<size_t>(channels); }
};

class WavStreamReader {
 public:
  // Reads the header from `fd` up to the start of the samples; throws Failure
  // when the input is no WAV stream this encoder can take.
  explicit WavStreamReader(int fd);

  const PcmFormat& format() const { return format_; }

  // Fills `buffer` with up to `maxFrames` whole frames and returns how many it
  // got; fewer only at the end of the audio, 0 after it. A partial frame at the
  // very end is dropped.
  size_t readFrames(uint8_t* buffer, size_t maxFrames);

 private:
  void readHeader();
  void readFormatChunk(uint32_t size);
  void skip(uint64_t bytes);

  int fd_;
  PcmFormat format_;
  std::optional<uint64_t> dataLeft_;  // empty: until the input ends
  bool ended_ = false;
};

}  // namespace sondrel::faac
