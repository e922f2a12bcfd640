#include "audio/wma_writer.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace sondrel::audio {

std::unique_ptr<WmaWriter> WmaWriter::open(const std::string& path, int rate, int channels, int bitRate) {
  std::unique_ptr<WmaWriter> w(new WmaWriter);
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  if (!encoder || channels < 1 || channels > 2 || rate <= 0 || bitRate <= 0) return nullptr;
  w->codec_.reset(avcodec_alloc_context3(encoder));
  if (!w->codec_) return nullptr;
  w->codec_->sample_rate = rate;
  w->codec_->sample_fmt = AV_SAMPLE_FMT_FLTP;
  w->codec_->bit_rate = bitRate;
  av_channel_layout_default(&w->codec_->ch_layout, channels);
  AVFormatContext* raw = nullptr;
  if (avformat_alloc_output_context2(&raw, nullptr, "asf", nullptr) < 0 || !raw) return nullptr;
  w->muxer_.reset(raw);
  if (raw->oformat->flags & AVFMT_GLOBALHEADER) w->codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(w->codec_.get(), encoder, nullptr) < 0) return nullptr;
  AVStream* st = avformat_new_stream(raw, nullptr);
  if (!st || avcodec_parameters_from_context(st->codecpar, w->codec_.get()) < 0) return nullptr;
  st->time_base = AVRational{1, rate};
  // The "file:" prefix keeps a name from being taken for a protocol.
  if (avio_open(&raw->pb, ("file:" + path).c_str(), AVIO_FLAG_WRITE) < 0) return nullptr;
  w->fileOpen_ = true;
  if (avformat_write_header(raw, nullptr) < 0) return nullptr;
  w->channels_ = channels;
  w->frameSize_ = w->codec_->frame_size > 0 ? w->codec_->frame_size : 2048;
  w->frame_.reset(av_frame_alloc());
  w->packet_.reset(av_packet_alloc());
  if (!w->frame_ || !w->packet_) return nullptr;
  return w;
}

WmaWriter::~WmaWriter() {
  if (!closed_) close();
}

bool WmaWriter::encodeFrame(const AVFrame* frame) {
  if (avcodec_send_frame(codec_.get(), frame) < 0) return false;
  for (;;) {
    const int rc = avcodec_receive_packet(codec_.get(), packet_.get());
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) return false;
    av_packet_rescale_ts(packet_.get(), codec_->time_base, muxer_->streams[0]->time_base);
    packet_->stream_index = 0;
    if (av_interleaved_write_frame(muxer_.get(), packet_.get()) < 0) return false;
  }
}

bool WmaWriter::write(const void* data, size_t bytes, SampleFormat format) {
  if (failed_ || closed_) return false;
  const size_t count = bytes / static_cast<size_t>(bytesPerSample(format));
  const size_t old = pending_.size();
  pending_.resize(old + count);
  for (size_t i = 0; i < count; ++i) {
    switch (format) {
      case SampleFormat::U8: pending_[old + i] = (static_cast<const uint8_t*>(data)[i] - 128) / 128.0f; break;
      case SampleFormat::S16: pending_[old + i] = static_cast<const int16_t*>(data)[i] / 32768.0f; break;
      case SampleFormat::F32: pending_[old + i] = static_cast<const float*>(data)[i]; break;
    }
  }
  const size_t frameSamples = static_cast<size_t>(frameSize_) * static_cast<size_t>(channels_);
  size_t used = 0;
  while (pending_.size() - used >= frameSamples) {
    av_frame_unref(frame_.get());
    frame_->nb_samples = frameSize_;
    frame_->format = AV_SAMPLE_FMT_FLTP;
    av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
    frame_->sample_rate = codec_->sample_rate;
    if (av_frame_get_buffer(frame_.get(), 0) < 0) return !(failed_ = true);
    for (int c = 0; c < channels_; ++c) {
      auto* plane = reinterpret_cast<float*>(frame_->data[c]);
      for (int s = 0; s < frameSize_; ++s) plane[s] = pending_[used + static_cast<size_t>(s * channels_ + c)];
    }
    frame_->pts = pts_;
    pts_ += frameSize_;
    if (!encodeFrame(frame_.get())) return !(failed_ = true);
    used += frameSamples;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
  return true;
}

bool WmaWriter::close() {
  if (closed_) return !failed_;
  closed_ = true;
  if (!fileOpen_) return false;
  bool ok = !failed_;
  if (ok && !pending_.empty()) {
    // The last partial frame is padded with silence.
    const size_t frameSamples = static_cast<size_t>(frameSize_) * static_cast<size_t>(channels_);
    pending_.resize(frameSamples, 0.0f);
    closed_ = false;
    ok = write(nullptr, 0, SampleFormat::F32);
    closed_ = true;
  }
  ok = ok && encodeFrame(nullptr);
  ok = ok && av_write_trailer(muxer_.get()) == 0;
  ok = avio_closep(&muxer_->pb) == 0 && ok;
  return ok;
}

}  // namespace sondrel::audio
