// MIDI files rendered by FluidSynth with a General MIDI sound font. The
// synthesiser is made on the first read, so that asking a file's length costs
// only the reading of its tempo map.
#pragma once

#include <memory>
#include <string>

#include "audio/midi_timing.h"
#include "audio/source.h"

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

namespace sondrel::audio {

class MidiSource : public Source {
 public:
  static std::unique_ptr<MidiSource> open(const std::string& path, int rate, std::string soundFont);
  ~MidiSource() override;

  const SourceInfo& info() const override { return info_; }
  size_t readFrames(float* out, size_t maxFrames) override;
  bool seekFrame(int64_t frame) override;

 private:
  MidiSource(std::string path, std::string soundFont, MidiTiming timing);
  bool startSynth();
  void stopSynth();

  std::string path_;
  std::string soundFont_;
  MidiTiming timing_;
  SourceInfo info_;
  int64_t position_ = 0;
  bool synthFailed_ = false;
  _fluid_hashtable_t* settings_ = nullptr;
  _fluid_synth_t* synth_ = nullptr;
  _fluid_player_t* player_ = nullptr;
};

}  // namespace sondrel::audio
