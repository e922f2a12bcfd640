#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sondrel::test {

struct PcmShape {
  int bits = 16;  // 8 (unsigned), 16 or 24
  int channels = 2;
  uint32_t rate = 44100;

  std::size_t blockBytes() const { return static_cast<std::size_t>(channels) * (bits / 8); }
};

enum class Signal {
  Music,              // plucked-string chords in a small room
  Silence,            // digital zero
  Square,             // full-scale square waves, the channels out of phase
  Noise,              // white noise over the full range
  IdenticalChannels,  // music with both channels the same
};

std::string signalName(Signal signal);

// `blocks` blocks of interleaved PCM, laid out as in a WAV data chunk.
std::vector<uint8_t> synthesize(Signal signal, const PcmShape& shape, std::size_t blocks);

// How the WAV header around the PCM is written.
struct WavLayout {
  uint32_t riffSizeOverride = 0;  // used when useRiffSizeOverride is set
  bool useRiffSizeOverride = false;
  uint32_t dataSizeOverride = 0;  // as streaming writers leave it: 0 or 0xFFFFFFFF
  bool useDataSizeOverride = false;
  bool extensible = false;        // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format
  bool chunksBeforeData = false;  // unknown chunks, one of odd size, before "data"
  bool chunkAfterData = false;    // a LIST chunk after the audio
  uint16_t formatTag = 1;         // 1 = PCM; anything else for failure cases
  int headerBits = 0;             // bits to declare, when not the shape's
  int headerChannels = 0;         // channels to declare, when not the shape's
  uint32_t headerRate = 0;        // rate to declare, when not the shape's
};

std::vector<uint8_t> makeWav(const PcmShape& shape, const std::vector<uint8_t>& pcm, const WavLayout& layout = {});

}  // namespace sondrel::test
