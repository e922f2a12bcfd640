// Writes WMA files: FFmpeg's Windows Media Audio 2 encoder in an ASF file,
// fed blocks of PCM in a stream's layout.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/ffmpeg_handles.h"
#include "audio/sample_format.h"

namespace sondrel::audio {

class WmaWriter {
 public:
  // Null when the encoder refuses the layout or bit rate (bits per second), or
  // the file cannot be made.
  static std::unique_ptr<WmaWriter> open(const std::string& path, int rate, int channels, int bitRate);
  ~WmaWriter();

  bool write(const void* data, size_t bytes, SampleFormat format);
  // Flushes the encoder and finishes the file; true when it is complete.
  bool close();

 private:
  WmaWriter() = default;
  bool encodeFrame(const AVFrame* frame);

  FormatPtr muxer_;
  bool fileOpen_ = false;
  bool closed_ = false;
  CodecPtr codec_;
  FramePtr frame_;
  PacketPtr packet_;
  int channels_ = 0;
  int frameSize_ = 0;
  int64_t pts_ = 0;
  std::vector<float> pending_;  // interleaved samples not yet a whole frame
  bool failed_ = false;
};

}  // namespace sondrel::audio
