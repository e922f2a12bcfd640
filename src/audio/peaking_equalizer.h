// A parametric equalizer of peaking bands, run in place on a stream's blocks
// in the stream's own sample layout. Each band is a peaking biquad in double
// precision whose state carries from block to block.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "audio/sample_format.h"

namespace sondrel::audio {

// One band's settings, as the equalizer takes them and reports them back.
struct PeakingBand {
  int band = 0;            // 0 .. PeakingEqualizer::kBands - 1
  float bandwidth = 0.0f;  // in octaves; used when q is 0
  float q = 0.0f;
  float centre = 1000.0f;  // Hz
  float gain = 0.0f;       // dB
  int channel = -1;        // bit c selects channel c; -1 for every channel
};

class PeakingEqualizer {
 public:
  static constexpr int kBands = 10;

  PeakingEqualizer(SampleFormat format, int rate, int channels);

  // Sets one band; false, and the band keeps what it had, when the band number
  // is out of range or the band cannot be built (no width, a centre outside
  // 0 .. rate/2, values that are not finite). May be called from another
  // thread than process(): the change applies from a later block on.
  bool setBand(const PeakingBand& band);
  // The band's settings as last set; empty for a band never set.
  std::optional<PeakingBand> band(int index) const;

  // Filters `bytes` of interleaved samples in place.
  void process(void* data, size_t bytes);

 private:
  // Normalised biquad coefficients (a0 = 1) of a band in use.
  struct Coefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    int channelMask = -1;
    bool active = false;
  };

  Coefficients design(const PeakingBand& band) const;
  void takePendingChanges();
  template <class Layout>
  void run(void* data, size_t samples);
  void filterChunk(double* samples, size_t frames);

  SampleFormat format_;
  int rate_;
  int channels_;

  mutable std::mutex mutex_;  // guards settings_ and changed_
  std::array<std::optional<PeakingBand>, kBands> settings_;
  bool changed_ = false;

  // Owned by the thread that processes.
  std::array<Coefficients, kBands> bands_;
  std::vector<double> state_;  // two values per band and channel
};

}  // namespace sondrel::audio
