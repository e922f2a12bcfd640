#include "aac_encoder.h"

#include <algorithm>
#include <string>

#include "common/failure.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace sondrel::faac {

using tools::Failure;

namespace {

// FAAC's quality is a percentage with 100 as its default; FFmpeg's is the
// rate-distortion weight (lambda) of its encoder, 120 by default, which its
// psychoacoustic model also treats as the neutral point. Both defaults land
// near 120 to 130 kbps for stereo music at 44.1 kHz, so the percentage scales
// FFmpeg's default. Beyond 500 (lambda 600) FFmpeg's encoder gains nothing.
int lambdaForQuality(int percent) { return std::clamp(percent, 10, 500) * 120 / 100; }

// What an AAC frame can carry at most: 6144 bits per channel per 1024 samples.
int64_t maxBitRate(int sampleRate, int channels) { return int64_t{6144} * channels * sampleRate / 1024; }

}  // namespace

AacEncoder::AacEncoder(const PcmFormat& format, const Options& options) {
  // FFmpeg's own encoder, by name: another AAC encoder that a build of FFmpeg
  // might prefer has other options.
  const AVCodec* codec = avcodec_find_encoder_by_name("aac");
  if (!codec) throw Failure("FFmpeg's AAC encoder is not available");
  context_.reset(avcodec_alloc_context3(codec));
  frame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  if (!context_ || !frame_ || !packet_) throw Failure("out of memory");

  AVCodecContext& c = *context_;
  c.sample_fmt = AV_SAMPLE_FMT_FLTP;
  c.sample_rate = format.sampleRate;
  av_channel_layout_default(&c.ch_layout, format.channels);
  c.time_base = {1, format.sampleRate};
  c.profile = FF_PROFILE_AAC_LOW;
  if (options.rateControl == RateControl::Quality) {
    c.flags |= AV_CODEC_FLAG_QSCALE;
    c.global_quality = lambdaForQuality(options.quality);
  } else {
    c.bit_rate = std::min<int64_t>(int64_t{options.averageKbps} * 1000, maxBitRate(format.sampleRate, format.channels));
  }
  if (options.cutoffHz > 0) c.cutoff = std::min(options.cutoffHz, format.sampleRate / 2);
  // Perceptual noise substitution is an MPEG-4 tool; an MPEG-2 AAC decoder
  // would not know the noise bands.
  if (options.mpegVersion == 2) av_opt_set_int(c.priv_data, "aac_pns", 0, 0);

  const int opened = avcodec_open2(&c, codec, nullptr);
  if (opened < 0)
    throw Failure("cannot encode " + std::to_string(format.sampleRate) + " Hz with " + std::to_string(format.channels) +
                  " channels as AAC: " + ffmpegError(opened));

  frame_->format = c.sample_fmt;
  frame_->sample_rate = c.sample_rate;
  frame_->nb_samples = c.frame_size;
  if (av_channel_layout_copy(&frame_->ch_layout, &c.ch_layout) < 0 || av_frame_get_buffer(frame_.get(), 0) < 0)
    throw Failure("out of memory");
}

float* const* AacEncoder::framePlanes() {
  if (av_frame_make_writable(frame_.get()) < 0) throw Failure("out of memory");
  return reinterpret_cast<float* const*>(frame_->extended_data);
}

void AacEncoder::encodeFrame(int samples, PacketSink& sink) {
  frame_->nb_samples = samples;
  frame_->pts = nextPts_;
  nextPts_ += samples;
  const int sent = avcodec_send_frame(context_.get(), frame_.get());
  if (sent < 0) throw Failure("the AAC encoder failed: " + ffmpegError(sent));
  drain(sink);
}

void AacEncoder::finish(PacketSink& sink) {
  const int sent = avcodec_send_frame(context_.get(), nullptr);
  if (sent < 0 && sent != AVERROR_EOF) throw Failure("the AAC encoder failed: " + ffmpegError(sent));
  drain(sink);
}

void AacEncoder::drain(PacketSink& sink) {
  for (;;) {
    const int received = avcodec_receive_packet(context_.get(), packet_.get());
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
    if (received < 0) throw Failure("the AAC encoder failed: " + ffmpegError(received));
    sink.write(*packet_);
    av_packet_unref(packet_.get());
  }
}

}  // namespace sondrel::faac
