// The audio engine: checks the decoding libraries, owns the output device and
// the MIDI sound font, and opens sources as streams. One engine per program;
// nothing in it is global, so tests may make as many as they like.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/stream.h"

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace sondrel::audio {

enum class OutputState {
  Device,  // the default device is open
  Silent,  // no sound device on this machine: playback goes nowhere
  Failed,  // a device exists but could not be started
};

class Engine {
 public:
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Names the first decoding library whose major version differs from the one
  // the program was built against ("libavcodec"), or returns empty.
  static std::string mismatchedLibrary();

  // Opens the default output device; see OutputState.
  OutputState initOutput();
  OutputState outputState() const { return output_; }

  // Rate at which MIDI files and modules are rendered when no rate is asked.
  int defaultRate() const { return 44100; }

  // The sound font MIDI files are rendered with.
  const std::string& soundFont() const { return soundFont_; }
  // Takes `path` as the sound font when it is one; false leaves the current one.
  bool loadSoundFont(const std::string& path);
  static bool hasDefaultSoundFont();

  // Any file FFmpeg decodes, limited to `codecs` when that is not empty.
  std::unique_ptr<Stream> openFile(const std::string& path, SampleFormat format,
                                   const std::vector<AVCodecID>& codecs = {}) const;
  std::unique_ptr<Stream> openModule(const std::string& path, SampleFormat format) const;
  // `rate` 0 renders at the default rate.
  std::unique_ptr<Stream> openMidi(const std::string& path, int rate, SampleFormat format) const;

 private:
  OutputState output_ = OutputState::Silent;
  bool sdlAudio_ = false;
  uint32_t device_ = 0;
  std::string soundFont_;
};

}  // namespace sondrel::audio
