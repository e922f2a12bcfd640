// FFmpeg's AAC encoder (AAC-LC) set up from FAAC's switches.
#pragma once

#include <vector>

#include "command_line.h"
#include "ffmpeg_handles.h"
#include "packet_sink.h"
#include "wav_stream.h"

namespace sondrel::faac {

class AacEncoder {
 public:
  // Throws Failure when the encoder cannot take the format (an unusual sample
  // rate or channel count).
  AacEncoder(const PcmFormat& format, const Options& options);

  // Samples per channel in a full frame.
  int frameSize() const { return context_->frame_size; }
  const AVCodecContext& context() const { return *context_; }

  // One plane per channel for the next frame, frameSize() samples each.
  float* const* framePlanes();
  // Encodes the first `samples` samples of the planes (a full frame, or fewer
  // for the last one) and hands every finished packet to `sink`.
  void encodeFrame(int samples, PacketSink& sink);
  // Flushes what the encoder still holds.
  void finish(PacketSink& sink);

 private:
  void drain(PacketSink& sink);

  CodecContextPtr context_;
  FramePtr frame_;
  PacketPtr packet_;
  int64_t nextPts_ = 0;
};

}  // namespace sondrel::faac
