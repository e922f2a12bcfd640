#include "audio/ffmpeg_source.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

extern "C" {
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
}

namespace sondrel::audio {
namespace {

// Demuxers whose packet time stamps are exact sample positions. Other
// demuxers (raw MPEG audio, ADTS, AC-3, Musepack...) only estimate time from
// the bit rate; they, and every lossy stream, are sought by counting packets.
constexpr std::string_view kTimestampedFormats[] = {"flac", "wv", "ape", "tta", "wav", "w64", "aiff", "caf",
                                                    "au", "ogg", "mov", "asf", "voc", "matroska"};

// Demuxers whose reported duration is an estimate or known to be wrong; their
// length is counted from the packets themselves.
constexpr std::string_view kCountedFormats[] = {"mp3", "aac", "ac3", "eac3", "adx", "aix", "dts", "loas"};

// Demuxers whose packet durations do not add up to what the decoder yields
// (Musepack packets hold several frames; Vorbis and WMA durations are rounded).
// Their length is counted by decoding, and seeking decodes from the top.
constexpr std::string_view kDecodeCountedFormats[] = {"mpc", "mpc8"};
constexpr std::string_view kInexactPacketFormats[] = {"mpc", "mpc8", "ogg", "asf"};

// Only these demuxers may open a file; nothing that follows playlists or
// references to other files.
constexpr const char* kAllowedDemuxers =
    "wav,w64,aiff,mp3,ogg,asf,flac,ape,wv,mpc,mpc8,mov,aac,ac3,eac3,tta,adx,aix,caf,au,voc,dts,loas,matroska,"
    "spdif,amr,gsm,sln,xwma";

bool nameInList(const char* demuxerNames, std::span<const std::string_view> list) {
  // A demuxer may carry several comma-separated names ("mov,mp4,m4a,...").
  std::string_view names(demuxerNames ? demuxerNames : "");
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(',', start);
    if (end == std::string_view::npos) end = names.size();
    std::string_view one = names.substr(start, end - start);
    for (auto entry : list)
      if (entry == one) return true;
    start = end + 1;
  }
  return false;
}

constexpr int kMaxCorruptPackets = 1000;

}  // namespace

FFmpegSource::FFmpegSource(std::string path, std::vector<AVCodecID> codecs)
    : path_(std::move(path)), codecs_(std::move(codecs)), packet_(av_packet_alloc()), frame_(av_frame_alloc()) {}

FFmpegSource::~FFmpegSource() = default;

std::unique_ptr<FFmpegSource> FFmpegSource::open(const std::string& path, const std::vector<AVCodecID>& codecs) {
  std::unique_ptr<FFmpegSource> source(new FFmpegSource(path, codecs));
  if (!source->packet_ || !source->frame_ || !source->initialise()) return nullptr;
  return source;
}

bool FFmpegSource::openPipeline(Pipeline& p) const {
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "format_whitelist", kAllowedDemuxers, 0);
  AVFormatContext* raw = nullptr;
  // The "file:" prefix keeps FFmpeg from reading a protocol out of the name.
  const std::string url = "file:" + path_;
  const int rc = avformat_open_input(&raw, url.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (rc < 0) return false;
  p.format.reset(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) return false;
  p.streamIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (p.streamIndex < 0) return false;
  const AVCodecParameters* par = raw->streams[p.streamIndex]->codecpar;
  if (!codecs_.empty() && std::find(codecs_.begin(), codecs_.end(), par->codec_id) == codecs_.end()) return false;
  for (unsigned i = 0; i < raw->nb_streams; ++i)
    if (static_cast<int>(i) != p.streamIndex) raw->streams[i]->discard = AVDISCARD_ALL;
  const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
  if (!decoder) return false;
  p.codec.reset(avcodec_alloc_context3(decoder));
  if (!p.codec || avcodec_parameters_to_context(p.codec.get(), par) < 0) return false;
  p.codec->pkt_timebase = raw->streams[p.streamIndex]->time_base;
  if (avcodec_open2(p.codec.get(), decoder, nullptr) < 0) return false;
  p.draining = false;
  p.finished = false;
  p.resampler.reset();
  return true;
}

bool FFmpegSource::isLossless() const {
  // WavPack is marked both ways because of its hybrid mode; its usual files are lossless.
  const AVCodecDescriptor* d = avcodec_descriptor_get(codecId());
  return d && (d->props & AV_CODEC_PROP_LOSSLESS) && (!(d->props & AV_CODEC_PROP_LOSSY) || d->id == AV_CODEC_ID_WAVPACK);
}

bool FFmpegSource::trustsTimestamps() const { return nameInList(pipe_.format->iformat->name, kTimestampedFormats); }

std::string FFmpegSource::formatName() const { return pipe_.format ? pipe_.format->iformat->name : ""; }

AVCodecID FFmpegSource::codecId() const {
  return pipe_.format ? pipe_.format->streams[pipe_.streamIndex]->codecpar->codec_id : AV_CODEC_ID_NONE;
}

bool FFmpegSource::initialise() {
  if (!openPipeline(pipe_)) return false;
  const AVStream* st = pipe_.format->streams[pipe_.streamIndex];
  const AVCodecParameters* par = st->codecpar;
  info_.rate = par->sample_rate > 0 ? par->sample_rate : pipe_.codec->sample_rate;
  info_.channels = par->ch_layout.nb_channels > 0 ? par->ch_layout.nb_channels : pipe_.codec->ch_layout.nb_channels;
  if (info_.rate <= 0 || info_.channels <= 0 || info_.channels > 64) return false;

  const auto sampleFormat = static_cast<AVSampleFormat>(par->format);
  const bool floatSamples = sampleFormat == AV_SAMPLE_FMT_FLT || sampleFormat == AV_SAMPLE_FMT_FLTP ||
                            sampleFormat == AV_SAMPLE_FMT_DBL || sampleFormat == AV_SAMPLE_FMT_DBLP;
  if (!isLossless() || floatSamples) info_.sourceBits = 0;
  else if (par->bits_per_raw_sample > 0) info_.sourceBits = par->bits_per_raw_sample;
  else if (par->bits_per_coded_sample > 0) info_.sourceBits = par->bits_per_coded_sample;
  else info_.sourceBits = av_get_bytes_per_sample(sampleFormat) * 8;

  const bool estimated = pipe_.format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
  const bool counted = nameInList(pipe_.format->iformat->name, kCountedFormats);
  if (nameInList(pipe_.format->iformat->name, kDecodeCountedFormats)) return countByDecoding();
  if (!estimated && !counted) {
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
      info_.frames = av_rescale_q(st->duration, st->time_base, AVRational{1, info_.rate});
    else if (pipe_.format->duration != AV_NOPTS_VALUE && pipe_.format->duration > 0)
      info_.frames = av_rescale_q(pipe_.format->duration, AV_TIME_BASE_Q, AVRational{1, info_.rate});
  }
  if (info_.frames < 0 && !scanPackets(true)) return false;
  return true;
}

// Counts the frames of the stream by walking its packets without decoding
// them, and keeps each packet's byte position and first output frame for
// seeking. Falls back to decoding when packets carry no duration.
bool FFmpegSource::scanPackets(bool takeLength) {
  Pipeline scan;
  if (!openPipeline(scan)) return false;
  const AVStream* st = scan.format->streams[scan.streamIndex];
  int64_t total = 0;
  bool any = false;
  int64_t startSkip = 0;
  int64_t endDiscard = 0;
  bool durationsKnown = true;
  bool first = true;
  PacketPtr pkt(av_packet_alloc());
  if (!pkt) return false;
  while (av_read_frame(scan.format.get(), pkt.get()) >= 0) {
    if (pkt->stream_index == scan.streamIndex) {
      if (pkt->duration <= 0) durationsKnown = false;
      size_t sideSize = 0;
      const uint8_t* side = av_packet_get_side_data(pkt.get(), AV_PKT_DATA_SKIP_SAMPLES, &sideSize);
      if (side && sideSize >= 8) {
        const int64_t skip = AV_RL32(side);
        const int64_t discard = AV_RL32(side + 4);
        if (first) startSkip = skip;
        endDiscard += discard;
      }
      any = true;
      total += av_rescale_q(pkt->duration, st->time_base, AVRational{1, info_.rate});
      first = false;
    }
    av_packet_unref(pkt.get());
  }
  if (!any) return false;
  packetsCounted_ = true;
  if (!durationsKnown && !takeLength) return true;
  if (!durationsKnown) return countByDecoding();
  startSkip_ = startSkip;
  durationsKnown_ = true;
  if (takeLength) info_.frames = std::max<int64_t>(0, total - startSkip - endDiscard);
  return true;
}

// Decodes the whole stream once on a second open, to count its frames.
bool FFmpegSource::countByDecoding() {
  Pipeline counter;
  if (!openPipeline(counter)) return false;
  std::swap(pipe_, counter);
  int64_t frames = 0;
  resetPending(0);
  while (decodeNextFrame(pipe_)) {
    frames += static_cast<int64_t>((pending_.size() - pendingOffset_) / info_.channels);
    resetPending(0);
  }
  std::swap(pipe_, counter);
  info_.frames = frames;
  return true;
}

// Pulls one decoded frame into pending_. False when the stream has ended.
bool FFmpegSource::decodeNextFrame(Pipeline& p) {
  int corrupt = 0;
  while (!p.finished) {
    int rc = avcodec_receive_frame(p.codec.get(), frame_.get());
    if (rc == 0) {
      const bool ok = appendFrame(p, frame_.get());
      av_frame_unref(frame_.get());
      if (ok) return true;
      continue;
    }
    if (rc == AVERROR_EOF) {
      p.finished = true;
      break;
    }
    if (rc != AVERROR(EAGAIN)) {
      p.finished = true;
      break;
    }
    if (p.draining) {
      p.finished = true;
      break;
    }
    rc = av_read_frame(p.format.get(), packet_.get());
    if (rc < 0) {
      p.draining = true;
      avcodec_send_packet(p.codec.get(), nullptr);
      continue;
    }
    if (packet_->stream_index == p.streamIndex) {
      if (avcodec_send_packet(p.codec.get(), packet_.get()) < 0 && ++corrupt > kMaxCorruptPackets) {
        av_packet_unref(packet_.get());
        p.finished = true;
        break;
      }
    }
    av_packet_unref(packet_.get());
  }
  return false;
}

bool FFmpegSource::appendFrame(Pipeline& p, const AVFrame* frame) {
  if (frame->nb_samples <= 0) return false;
  if (!originKnown_ && frame->best_effort_timestamp != AV_NOPTS_VALUE && nextDecodedFrame_ == 0 &&
      !resyncFromPts_) {
    originPts_ = frame->best_effort_timestamp;
    originKnown_ = true;
  }
  if (!p.resampler) {
    SwrContext* swr = nullptr;
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, info_.channels);
    if (swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_FLT, info_.rate, const_cast<AVChannelLayout*>(&frame->ch_layout),
                            static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr) < 0 ||
        swr_init(swr) < 0) {
      swr_free(&swr);
      av_channel_layout_uninit(&outLayout);
      return false;
    }
    av_channel_layout_uninit(&outLayout);
    p.resampler.reset(swr);
  }
  if (resyncFromPts_) {
    resyncFromPts_ = false;
    if (frame->best_effort_timestamp == AV_NOPTS_VALUE) {
      ptsLost_ = true;
      return false;
    }
    const AVStream* st = p.format->streams[p.streamIndex];
    nextDecodedFrame_ =
        av_rescale_q(frame->best_effort_timestamp - originPts_, st->time_base, AVRational{1, info_.rate});
  }
  if (pendingOffset_ > 0) {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingOffset_));
    pendingFrame_ += static_cast<int64_t>(pendingOffset_ / info_.channels);
    pendingOffset_ = 0;
  }
  if (pending_.empty()) pendingFrame_ = nextDecodedFrame_;
  const int outCapacity = swr_get_out_samples(p.resampler.get(), frame->nb_samples);
  if (outCapacity <= 0) return false;
  const size_t oldSize = pending_.size();
  pending_.resize(oldSize + static_cast<size_t>(outCapacity) * info_.channels);
  uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(pending_.data() + oldSize)};
  const int converted = swr_convert(p.resampler.get(), outPlanes, outCapacity,
                                    const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
  pending_.resize(oldSize + static_cast<size_t>(std::max(converted, 0)) * info_.channels);
  nextDecodedFrame_ += std::max(converted, 0);
  return converted > 0;
}

size_t FFmpegSource::readFrames(float* out, size_t maxFrames) {
  const size_t ch = static_cast<size_t>(info_.channels);
  size_t delivered = 0;
  while (delivered < maxFrames) {
    size_t available = (pending_.size() - pendingOffset_) / ch;
    if (available == 0) {
      if (!decodeNextFrame(pipe_)) break;
      continue;
    }
    const int64_t firstFrame = pendingFrame_ + static_cast<int64_t>(pendingOffset_ / ch);
    if (firstFrame < nextFrame_) {
      // Still before the position asked for by the last seek.
      const size_t drop = static_cast<size_t>(std::min<int64_t>(nextFrame_ - firstFrame, static_cast<int64_t>(available)));
      pendingOffset_ += drop * ch;
      continue;
    }
    const size_t n = std::min(available, maxFrames - delivered);
    std::memcpy(out + delivered * ch, pending_.data() + pendingOffset_, n * ch * sizeof(float));
    pendingOffset_ += n * ch;
    delivered += n;
    nextFrame_ = firstFrame + static_cast<int64_t>(n);
  }
  return delivered;
}

void FFmpegSource::resetPending(int64_t decodedFrame) {
  pending_.clear();
  pendingOffset_ = 0;
  pendingFrame_ = decodedFrame;
  nextDecodedFrame_ = decodedFrame;
}

bool FFmpegSource::restartFromBeginning() {
  Pipeline fresh;
  if (!openPipeline(fresh)) return false;
  pipe_ = std::move(fresh);
  resyncFromPts_ = false;
  resetPending(0);
  return true;
}

bool FFmpegSource::seekFrame(int64_t frame) {
  if (frame < 0) return false;
  if (info_.frames >= 0 && frame > info_.frames) frame = info_.frames;
  bool ok = false;
  // Lossless streams with exact time stamps seek directly; the rest count
  // packets from the top.
  if (trustsTimestamps() && isLossless()) ok = seekByTimestamp(frame);
  else ok = seekByPacketCount(frame);
  if (!ok) ok = restartFromBeginning();
  nextFrame_ = frame;
  return ok;
}

int64_t FFmpegSource::prerollFrames() const {
  // Lossy decoders need a few packets before the target to rebuild their
  // overlap and bit reservoir; lossless ones start clean at any packet.
  return isLossless() ? 0 : std::max(4096, info_.rate / 10);
}

// Reads packets from the top without decoding them, counting their frames,
// and starts decoding a little before the target. Packet reading is cheap and
// walks the very packets a decode from the start meets, so the count is exact
// where a byte seek's landing point would be a guess.
bool FFmpegSource::seekByPacketCount(int64_t frame) {
  if (nameInList(pipe_.format->iformat->name, kInexactPacketFormats)) return false;
  if (!packetsCounted_) scanPackets(false);
  if (!durationsKnown_) return false;
  const int64_t from = frame - prerollFrames();
  if (!restartFromBeginning()) return false;
  if (from <= 0) return true;
  const AVStream* st = pipe_.format->streams[pipe_.streamIndex];
  int64_t packetStart = -startSkip_;  // output frame at which the next packet starts
  for (;;) {
    // Look at the next packet; stop before the one that reaches `from`.
    if (av_read_frame(pipe_.format.get(), packet_.get()) < 0) break;
    if (packet_->stream_index != pipe_.streamIndex) {
      av_packet_unref(packet_.get());
      continue;
    }
    const int64_t duration = av_rescale_q(packet_->duration, st->time_base, AVRational{1, info_.rate});
    if (packetStart + duration > from || duration <= 0) {
      // This packet is decoded: hand it to the decoder now.
      avcodec_send_packet(pipe_.codec.get(), packet_.get());
      av_packet_unref(packet_.get());
      resetPending(std::max<int64_t>(packetStart, 0));
      return packetStart >= 0 || restartFromBeginning();
    }
    packetStart += duration;
    av_packet_unref(packet_.get());
  }
  resetPending(std::max<int64_t>(packetStart, 0));
  return true;
}

bool FFmpegSource::findOrigin() {
  if (originKnown_) return true;
  Pipeline probe;
  if (!openPipeline(probe)) return false;
  // Decoding the first frame of a fresh open records the time stamp of frame 0.
  std::swap(pipe_, probe);
  std::vector<float> savedPending;
  savedPending.swap(pending_);
  const size_t savedOffset = pendingOffset_;
  const int64_t savedPendingFrame = pendingFrame_;
  const int64_t savedNextDecoded = nextDecodedFrame_;
  resetPending(0);
  decodeNextFrame(pipe_);
  std::swap(pipe_, probe);
  pending_.swap(savedPending);
  pendingOffset_ = savedOffset;
  pendingFrame_ = savedPendingFrame;
  nextDecodedFrame_ = savedNextDecoded;
  return originKnown_;
}

bool FFmpegSource::seekByTimestamp(int64_t frame) {
  const int64_t from = frame - prerollFrames();
  if (from <= 0 || !findOrigin()) return restartFromBeginning();
  const AVStream* st = pipe_.format->streams[pipe_.streamIndex];
  const int64_t ts = originPts_ + av_rescale_q(from, AVRational{1, info_.rate}, st->time_base);
  if (av_seek_frame(pipe_.format.get(), pipe_.streamIndex, ts, AVSEEK_FLAG_BACKWARD) < 0) return false;
  avcodec_flush_buffers(pipe_.codec.get());
  pipe_.draining = false;
  pipe_.finished = false;
  resetPending(0);
  resyncFromPts_ = true;
  ptsLost_ = false;
  // Decode the first frame now to learn where the demuxer landed; if it lies
  // past the target, or carries no time stamp, start over from the top.
  if (!decodeNextFrame(pipe_) || ptsLost_ || pendingFrame_ > frame) return restartFromBeginning();
  return true;
}

}  // namespace sondrel::audio
