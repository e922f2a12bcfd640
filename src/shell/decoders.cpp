#include "shell/decoders.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace sondrel {
namespace {

std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

bool oneOf(const std::string& ext, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (ext == n) return true;
  return false;
}

audio::SampleFormat layoutFor(OpenPurpose purpose, uint8_t decoder) {
  switch (purpose) {
    case OpenPurpose::Information:
    case OpenPurpose::Playback: return audio::SampleFormat::S16;
    case OpenPurpose::PeakScan:
      return decoder == kDecoderModule ? audio::SampleFormat::F32 : audio::SampleFormat::S16;
    default: return audio::SampleFormat::F32;
  }
}

// Codecs each decoder accepts; an empty list takes whatever FFmpeg decodes.
std::vector<AVCodecID> codecsFor(uint8_t decoder) {
  switch (decoder) {
    case kDecoderWMA:
      return {AV_CODEC_ID_WMAV1, AV_CODEC_ID_WMAV2, AV_CODEC_ID_WMAPRO, AV_CODEC_ID_WMALOSSLESS, AV_CODEC_ID_WMAVOICE};
    case kDecoderFLAC: return {AV_CODEC_ID_FLAC};
    case kDecoderAPE: return {AV_CODEC_ID_APE};
    case kDecoderWavPack: return {AV_CODEC_ID_WAVPACK};
    case kDecoderMusepack: return {AV_CODEC_ID_MUSEPACK7, AV_CODEC_ID_MUSEPACK8};
    case kDecoderMP4:
    case kDecoderAAC: return {AV_CODEC_ID_AAC};
    case kDecoderAC3: return {AV_CODEC_ID_AC3, AV_CODEC_ID_EAC3};
    case kDecoderALAC: return {AV_CODEC_ID_ALAC};
    case kDecoderSpeex: return {AV_CODEC_ID_SPEEX};
    case kDecoderTTA: return {AV_CODEC_ID_TTA};
    case kDecoderADX:
    case kDecoderAIX: return {AV_CODEC_ID_ADPCM_ADX};
    default: return {};
  }
}

}  // namespace

uint8_t decoderForExtension(const std::string& extension) {
  const std::string ext = upper(extension);
  // Tested in this order; the first group that holds the extension decides.
  if (oneOf(ext, {".MID", ".MIDI", ".RMI", ".KAR"})) return kDecoderMIDI;
  if (ext == ".AC3") return kDecoderAC3;
  if (ext == ".CDA") return kDecoderCDTrack;
  if (ext == ".TTA") return kDecoderTTA;
  if (ext == ".OFR") return kDecoderOptimFROG;
  if (oneOf(ext, {".FLAC", ".FLA"})) return kDecoderFLAC;
  if (ext == ".SPX") return kDecoderSpeex;
  if (ext == ".WMA") return kDecoderWMA;
  if (ext == ".APE") return kDecoderAPE;
  if (oneOf(ext, {".MPC", ".MP+", ".MPP"})) return kDecoderMusepack;
  if (oneOf(ext, {".MP4", ".M4A", ".ALE", ".ALAC", ".M4B"})) return kDecoderMP4;
  if (ext == ".AAC") return kDecoderAAC;
  if (ext == ".WV") return kDecoderWavPack;
  if (ext == ".AIX") return kDecoderAIX;
  if (ext == ".ADX") return kDecoderADX;
  if (oneOf(ext, {".XM", ".IT", ".S3M", ".MOD", ".MTM", ".UMX"})) return kDecoderModule;
  return kDecoderPlain;
}

std::unique_ptr<audio::Stream> createStream(const audio::Engine& engine, uint8_t decoder, const std::string& path,
                                            OpenPurpose purpose) {
  const audio::SampleFormat layout = layoutFor(purpose, decoder);
  switch (decoder) {
    case kDecoderNone:
    case kDecoderCDTrack:     // there are no CD track files on this platform
    case kDecoderOptimFROG:   // no open decoder exists for OptimFROG
      return nullptr;
    case kDecoderMIDI:
      // Playback renders at 44100 Hz; every other open at the engine's rate.
      return engine.openMidi(path, purpose == OpenPurpose::Playback ? 44100 : 0, layout);
    case kDecoderModule: return engine.openModule(path, layout);
    default:
      if (decoder > kDecoderModule) return nullptr;
      return engine.openFile(path, layout, codecsFor(decoder));
  }
}

std::optional<StreamInfo> readStreamInfo(const audio::Engine& engine, const std::string& extension,
                                         const std::string& path) {
  StreamInfo info;
  info.decoder = decoderForExtension(extension);
  auto stream = createStream(engine, info.decoder, path, OpenPurpose::Information);
  if (!stream && info.decoder == kDecoderMP4) {
    // Apple Lossless in an MP4 file is not the MP4 decoder's; the ALAC one takes it.
    info.decoder = kDecoderALAC;
    stream = createStream(engine, info.decoder, path, OpenPurpose::Information);
  }
  if (!stream) return std::nullopt;
  const int64_t length = stream->length();
  if (length < 0) return std::nullopt;
  info.duration = stream->bytesToSeconds(length);
  info.sampleRate = stream->rate();
  info.channels = stream->channels();
  info.bitsPerSample = stream->sourceBits();
  return info;
}

TrackLimits applyTrackLimits(audio::Stream& stream, const TAudioItem& item) {
  TrackLimits limits;
  if (item.rowKind != RowKind::CueTrack) return limits;
  limits.start = stream.secondsToBytes(static_cast<double>(item.trackStart));
  // Start and length are summed as whole seconds before the conversion.
  const int64_t endSeconds = static_cast<int64_t>(item.trackStart) + item.trackLength;
  limits.end = stream.secondsToBytes(static_cast<double>(endSeconds));
  stream.setPosition(limits.start);
  return limits;
}

std::unique_ptr<audio::Stream> openRowStream(const audio::Engine& engine, const TAudioItem& item,
                                             OpenPurpose purpose, TrackLimits* limits) {
  auto stream = createStream(engine, item.decoder, item.fileName, purpose);
  if (!stream) return nullptr;
  TrackLimits l = applyTrackLimits(*stream, item);
  if (limits) *limits = l;
  return stream;
}

}  // namespace sondrel
