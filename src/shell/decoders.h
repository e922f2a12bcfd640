// Which decoder opens which file, with which sample layout for which purpose,
// and how a cue-track row is limited to its stretch of the file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "audio/engine.h"
#include "shell/audio_item.h"

namespace sondrel {

enum Decoder : uint8_t {
  kDecoderNone = 0,
  kDecoderPlain = 1,
  kDecoderWMA = 2,
  kDecoderFLAC = 3,
  kDecoderAPE = 4,
  kDecoderWavPack = 5,
  kDecoderMusepack = 6,
  kDecoderCDTrack = 7,
  kDecoderMP4 = 8,
  kDecoderAAC = 9,
  kDecoderAC3 = 10,
  kDecoderALAC = 11,
  kDecoderMIDI = 12,
  kDecoderOptimFROG = 13,
  kDecoderSpeex = 14,
  kDecoderTTA = 15,
  kDecoderADX = 16,
  kDecoderAIX = 17,
  kDecoderModule = 18,
};

// Why a stream is opened; decides its sample layout and the MIDI render rate.
enum class OpenPurpose { Information, PeakScan, Playback, Conversion, Split, DiscImage };

// Decoder chosen by the extension (dot included), compared in capitals. The MP4
// group answers kDecoderMP4; the information open falls back to ALAC.
uint8_t decoderForExtension(const std::string& extension);

struct StreamInfo {
  uint8_t decoder = kDecoderNone;
  int32_t sampleRate = 0;
  int32_t channels = 0;
  int32_t bitsPerSample = 0;
  double duration = 0.0;
};

// The information open: decides the decoder from the extension and reads the
// stream's properties. Empty when the file cannot be opened or has no length.
std::optional<StreamInfo> readStreamInfo(const audio::Engine& engine, const std::string& extension,
                                         const std::string& path);

// Opens `path` with the creator of `decoder` and the layout of `purpose`.
std::unique_ptr<audio::Stream> createStream(const audio::Engine& engine, uint8_t decoder, const std::string& path,
                                            OpenPurpose purpose);

struct TrackLimits {
  int64_t start = 0;  // byte positions in the stream's layout
  int64_t end = 0;
};

// For a cue-track row: moves the stream to the track's start and returns the
// byte range of the track. The caller stops at `end`.
TrackLimits applyTrackLimits(audio::Stream& stream, const TAudioItem& item);

// A row's stream for every purpose but the information open, with the track
// limits applied. Null when the creator fails.
std::unique_ptr<audio::Stream> openRowStream(const audio::Engine& engine, const TAudioItem& item,
                                             OpenPurpose purpose, TrackLimits* limits = nullptr);

}  // namespace sondrel
