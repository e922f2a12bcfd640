#include "audio/wma_rates.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include <cstdint>
#include <memory>

namespace sondrel::audio {
namespace {

// The constant rates Windows Media Audio players and files commonly use, in
// kbit/s, highest first so that the first offer is the best quality.
constexpr int kCandidateKbps[] = {320, 256, 192, 160, 128, 96, 80, 64, 48, 40, 32, 24};

// wmav2's own limits (libavcodec wmaenc.c): it refuses below 24 kbit/s, above
// 48 kHz and more than two channels. Checking them first keeps FFmpeg from
// logging a refusal for every candidate it would reject anyway; the trial
// below still decides.
constexpr int kMinBitrate = 24000;
constexpr int kMaxRate = 48000;
constexpr int kMaxChannels = 2;

struct ContextFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};

bool supportsPlanarFloat(const AVCodec* codec) {
  if (!codec->sample_fmts) return false;
  for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
    if (*f == AV_SAMPLE_FMT_FLTP) return true;
  return false;
}

// Fills the frame with full-scale pseudo-random noise: the hardest signal to
// fit into a frame, so a rate that survives it survives any music.
void fillWithNoise(AVFrame* frame, int channels) {
  uint32_t state = 0x12345678u;
  for (int ch = 0; ch < channels; ++ch) {
    auto* samples = reinterpret_cast<float*>(frame->data[ch]);
    for (int i = 0; i < frame->nb_samples; ++i) {
      state = state * 1664525u + 1013904223u;
      samples[i] = static_cast<float>(state >> 8) / static_cast<float>(1u << 23) - 1.0f;
    }
  }
}

// Opens the encoder with this layout and bit rate and encodes one frame of
// noise; the encoder refuses rates it cannot use either when opening or when a
// frame does not fit.
bool encoderAccepts(const AVCodec* codec, int rate, int channels, int bitrate) {
  std::unique_ptr<AVCodecContext, ContextFree> ctx(avcodec_alloc_context3(codec));
  if (!ctx) return false;
  ctx->sample_rate = rate;
  ctx->sample_fmt = AV_SAMPLE_FMT_FLTP;
  ctx->bit_rate = bitrate;
  av_channel_layout_default(&ctx->ch_layout, channels);
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return false;
  if (ctx->frame_size <= 0) return false;

  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  if (!frame || !packet) return false;
  frame->nb_samples = ctx->frame_size;
  frame->format = ctx->sample_fmt;
  frame->sample_rate = rate;
  if (av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout) < 0) return false;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
  fillWithNoise(frame.get(), channels);

  if (avcodec_send_frame(ctx.get(), frame.get()) < 0) return false;
  if (avcodec_send_frame(ctx.get(), nullptr) < 0) return false;
  for (;;) {
    int rc = avcodec_receive_packet(ctx.get(), packet.get());
    if (rc == AVERROR_EOF) return true;
    if (rc < 0) return false;
    av_packet_unref(packet.get());
  }
}

bool layoutPossible(int codecIndex, int rate, int channels, int bits) {
  // Only the standard codec has an encoder; the Pro codecs exist in the list
  // because stored settings may name them.
  if (codecIndex != static_cast<int>(WmaCodec::Standard)) return false;
  if (rate <= 0 || rate > kMaxRate) return false;
  if (channels < 1 || channels > kMaxChannels) return false;
  // The encoder takes float samples whatever the source depth; any depth the
  // writer can be fed with is fine.
  return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

std::vector<int> wmaEncoderBitrates(int codecIndex, int rate, int channels, int bits) {
  std::vector<int> rates;
  if (!layoutPossible(codecIndex, rate, channels, bits)) return rates;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  if (!codec || !supportsPlanarFloat(codec)) return rates;
  for (int kbps : kCandidateKbps) {
    const int bitrate = kbps * 1000;
    if (bitrate < kMinBitrate) continue;
    if (encoderAccepts(codec, rate, channels, bitrate)) rates.push_back(bitrate);
  }
  return rates;
}

std::vector<int> wmaEncoderQualities(int, int, int, int) { return {}; }

}  // namespace sondrel::audio
