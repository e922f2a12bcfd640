// Reads the timing of a Standard MIDI File: its length in seconds through the
// tempo map, and the tick that stands at a given time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sondrel::audio {

class MidiTiming {
 public:
  // Null when the file is not a readable Standard MIDI File.
  static std::optional<MidiTiming> read(const std::string& path);
  static std::optional<MidiTiming> parse(const std::vector<uint8_t>& bytes);

  double lengthSeconds() const { return secondsAt(lastTick_); }
  double secondsAt(int64_t tick) const;
  int64_t tickAt(double seconds) const;

 private:
  struct TempoChange {
    int64_t tick;
    uint32_t microsPerQuarter;
  };
  int division_ = 480;  // ticks per quarter note
  std::vector<TempoChange> tempos_;
  int64_t lastTick_ = 0;
};

}  // namespace sondrel::audio
