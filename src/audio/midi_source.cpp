#include "audio/midi_source.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstring>

namespace sondrel::audio {

MidiSource::MidiSource(std::string path, std::string soundFont, MidiTiming timing)
    : path_(std::move(path)), soundFont_(std::move(soundFont)), timing_(std::move(timing)) {}

std::unique_ptr<MidiSource> MidiSource::open(const std::string& path, int rate, std::string soundFont) {
  auto timing = MidiTiming::read(path);
  if (!timing || rate <= 0) return nullptr;
  std::unique_ptr<MidiSource> source(new MidiSource(path, std::move(soundFont), std::move(*timing)));
  source->info_.rate = rate;
  source->info_.channels = 2;
  source->info_.sourceBits = 0;
  source->info_.frames = static_cast<int64_t>(source->timing_.lengthSeconds() * rate);
  return source;
}

MidiSource::~MidiSource() { stopSynth(); }

void MidiSource::stopSynth() {
  if (player_) {
    fluid_player_stop(player_);
    delete_fluid_player(player_);
  }
  if (synth_) delete_fluid_synth(synth_);
  if (settings_) delete_fluid_settings(settings_);
  player_ = nullptr;
  synth_ = nullptr;
  settings_ = nullptr;
}

bool MidiSource::startSynth() {
  if (synth_) return true;
  if (synthFailed_) return false;
  synthFailed_ = true;
  settings_ = new_fluid_settings();
  if (!settings_) return false;
  fluid_settings_setnum(settings_, "synth.sample-rate", info_.rate);
  fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
  synth_ = new_fluid_synth(settings_);
  if (!synth_ || fluid_synth_sfload(synth_, soundFont_.c_str(), 1) == FLUID_FAILED) {
    stopSynth();
    return false;
  }
  player_ = new_fluid_player(synth_);
  if (!player_ || fluid_player_add(player_, path_.c_str()) != FLUID_OK || fluid_player_play(player_) != FLUID_OK) {
    stopSynth();
    return false;
  }
  synthFailed_ = false;
  return true;
}

size_t MidiSource::readFrames(float* out, size_t maxFrames) {
  const int64_t left = info_.frames - position_;
  if (left <= 0) return 0;
  const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(maxFrames)));
  if (!startSynth()) {
    // Without a sound font the file still has a length; it renders as silence.
    std::memset(out, 0, n * 2 * sizeof(float));
  } else {
    fluid_synth_write_float(synth_, static_cast<int>(n), out, 0, 2, out, 1, 2);
  }
  position_ += static_cast<int64_t>(n);
  return n;
}

bool MidiSource::seekFrame(int64_t frame) {
  if (frame < 0) return false;
  position_ = std::min(frame, info_.frames);
  if (!startSynth()) return true;
  fluid_synth_all_sounds_off(synth_, -1);
  fluid_player_seek(player_, static_cast<int>(timing_.tickAt(static_cast<double>(position_) / info_.rate)));
  return true;
}

}  // namespace sondrel::audio
