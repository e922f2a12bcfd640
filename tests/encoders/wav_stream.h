// WAV streams like the ones the converter pipes into an encoder, holding a
// known signal, and ways to judge what an encoder made of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sondrel::test {

struct PcmLayout {
  int bits = 16;  // 8 (unsigned), 16, 24, 32
  int rate = 44100;
  int channels = 2;
  bool extensible = false;  // WAVE_FORMAT_EXTENSIBLE rather than plain PCM
};

// What the header says the data size is.
enum class DataSize {
  Exact,      // the real byte count
  Zero,       // written before the length was known
  Unbounded,  // 0xFFFFFFFF, likewise
};

// A tone per channel (440 Hz left, 660 Hz right) with a sweep on top, so that
// no two stretches of the signal look alike and a shifted decode is noticed.
struct TestSignal {
  PcmLayout layout;
  size_t frames = 0;
  std::string pcm;             // the samples as stored in the stream
  std::vector<float> samples;  // the same samples as floats, interleaved

  static TestSignal make(const PcmLayout& layout, double seconds);
  // Adds a tone of `hz` at `amplitude` to every channel (before quantising).
  static TestSignal withTone(const PcmLayout& layout, double seconds, double hz, double amplitude);

  std::string wavStream(DataSize size = DataSize::Exact) const;
};

// How well `decoded` (interleaved floats, same channel count) matches
// `reference` once the decoder's delay, found within ±maxLag frames, is
// taken out: the lowest of the channels' correlation coefficients.
struct Match {
  double correlation = 0;
  long lag = 0;  // frames the decoded signal lags behind the reference
};
Match bestMatch(const std::vector<float>& reference, const std::vector<float>& decoded, int channels, long maxLag);

// Power of the `hz` component in channel 0 of interleaved `samples`.
double tonePower(const std::vector<float>& samples, int channels, int rate, double hz);

std::vector<float> floatsOf(const std::vector<uint8_t>& f32le);

}  // namespace sondrel::test
