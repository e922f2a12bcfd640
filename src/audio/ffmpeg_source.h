// Decodes a file through FFmpeg into interleaved float frames, with an exact
// length and sample-exact seeking.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/ffmpeg_handles.h"
#include "audio/source.h"

namespace sondrel::audio {

class FFmpegSource : public Source {
 public:
  // Opens `path` and its first audio stream. When `codecs` is not empty the
  // stream's codec must be one of them. Returns null on any failure.
  static std::unique_ptr<FFmpegSource> open(const std::string& path, const std::vector<AVCodecID>& codecs = {});
  ~FFmpegSource() override;

  const SourceInfo& info() const override { return info_; }
  size_t readFrames(float* out, size_t maxFrames) override;
  bool seekFrame(int64_t frame) override;

  // Name of the demuxer and codec, for diagnostics and tests.
  std::string formatName() const;
  AVCodecID codecId() const;

 private:
  // One open of the file: demuxer, decoder and converter to float.
  struct Pipeline {
    FormatPtr format;
    CodecPtr codec;
    ResamplerPtr resampler;
    int streamIndex = -1;
    bool draining = false;  // the demuxer is exhausted; the decoder is being flushed
    bool finished = false;  // the decoder has given everything
  };

  FFmpegSource(std::string path, std::vector<AVCodecID> codecs);
  bool openPipeline(Pipeline& p) const;
  bool initialise();
  bool decodeNextFrame(Pipeline& p);
  bool appendFrame(Pipeline& p, const AVFrame* frame);
  bool scanPackets(bool takeLength);
  bool countByDecoding();
  bool restartFromBeginning();
  bool seekByPacketCount(int64_t frame);
  bool seekByTimestamp(int64_t frame);
  bool findOrigin();
  void resetPending(int64_t decodedFrame);
  int64_t prerollFrames() const;
  bool trustsTimestamps() const;
  bool isLossless() const;

  std::string path_;
  std::vector<AVCodecID> codecs_;
  Pipeline pipe_;
  PacketPtr packet_;
  FramePtr frame_;
  SourceInfo info_;
  // Decoded frames not yet handed out, and where the first of them lies.
  std::vector<float> pending_;
  size_t pendingOffset_ = 0;  // in samples
  int64_t pendingFrame_ = 0;  // stream frame of pending_[pendingOffset_]
  int64_t nextFrame_ = 0;     // stream frame of the next frame readFrames delivers
  int64_t nextDecodedFrame_ = 0;  // stream frame the next decoded frame starts at
  // After a time-stamp seek the next decoded frame tells where decoding stands.
  bool resyncFromPts_ = false;
  bool ptsLost_ = false;
  // Known once the packets have been counted: whether each carries its
  // duration, and the frames the decoder drops at the very start.
  bool packetsCounted_ = false;
  bool durationsKnown_ = false;
  int64_t startSkip_ = 0;
  bool originKnown_ = false;
  int64_t originPts_ = 0;
};

}  // namespace sondrel::audio
