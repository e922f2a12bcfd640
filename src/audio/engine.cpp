#include "audio/engine.h"

#include <SDL2/SDL.h>
#include <fluidsynth.h>
#include <libopenmpt/libopenmpt.h>

#include <filesystem>

#include "audio/ffmpeg_source.h"
#include "audio/midi_source.h"
#include "audio/module_source.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
}

namespace sondrel::audio {

Engine::Engine() {
  // Damaged and odd files are normal input for a converter; their complaints
  // are answered by the engine's results, not by text on the terminal.
  av_log_set_level(AV_LOG_QUIET);
  if (hasDefaultSoundFont()) soundFont_ = SONDREL_DEFAULT_SOUNDFONT;
}

Engine::~Engine() {
  if (device_) SDL_CloseAudioDevice(device_);
  if (sdlAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::string Engine::mismatchedLibrary() {
  struct Check {
    const char* name;
    unsigned loaded;
    unsigned built;
  };
  int fsMajor = 0, fsMinor = 0, fsMicro = 0;
  fluid_version(&fsMajor, &fsMinor, &fsMicro);
  const Check checks[] = {
      {"libavcodec", avcodec_version() >> 16, LIBAVCODEC_VERSION_MAJOR},
      {"libavformat", avformat_version() >> 16, LIBAVFORMAT_VERSION_MAJOR},
      {"libavutil", avutil_version() >> 16, LIBAVUTIL_VERSION_MAJOR},
      {"libswresample", swresample_version() >> 16, LIBSWRESAMPLE_VERSION_MAJOR},
      {"libopenmpt", openmpt_get_library_version() >> 24, OPENMPT_API_VERSION_MAJOR},
      {"libfluidsynth", static_cast<unsigned>(fsMajor), FLUIDSYNTH_VERSION_MAJOR},
  };
  for (const auto& c : checks)
    if (c.loaded != c.built) return c.name;
  return {};
}

OutputState Engine::initOutput() {
  if (device_) return output_;
  // A desktop without any sound device still gets its converter: playback
  // then runs against a silent device.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return output_ = OutputState::Silent;
  sdlAudio_ = true;
  const char* driver = SDL_GetCurrentAudioDriver();
  if (!driver || SDL_GetNumAudioDevices(0) == 0) return output_ = OutputState::Silent;
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = 2048;
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  return output_ = device_ ? OutputState::Device : OutputState::Failed;
}

bool Engine::hasDefaultSoundFont() { return fluid_is_soundfont(SONDREL_DEFAULT_SOUNDFONT); }

bool Engine::loadSoundFont(const std::string& path) {
  if (!std::filesystem::is_regular_file(path) || !fluid_is_soundfont(path.c_str())) return false;
  soundFont_ = path;
  return true;
}

std::unique_ptr<Stream> Engine::openFile(const std::string& path, SampleFormat format,
                                         const std::vector<AVCodecID>& codecs) const {
  auto source = FFmpegSource::open(path, codecs);
  if (!source) return nullptr;
  return std::make_unique<Stream>(std::move(source), format);
}

std::unique_ptr<Stream> Engine::openModule(const std::string& path, SampleFormat format) const {
  auto source = ModuleSource::open(path, defaultRate());
  if (!source) return nullptr;
  return std::make_unique<Stream>(std::move(source), format);
}

std::unique_ptr<Stream> Engine::openMidi(const std::string& path, int rate, SampleFormat format) const {
  auto source = MidiSource::open(path, rate > 0 ? rate : defaultRate(), soundFont_);
  if (!source) return nullptr;
  return std::make_unique<Stream>(std::move(source), format);
}

}  // namespace sondrel::audio
