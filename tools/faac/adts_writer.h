// A bare AAC stream: every raw AAC frame behind its own 7-byte ADTS header
// (ISO/IEC 13818-7, also used by ISO/IEC 14496-3). Written here rather than by
// FFmpeg's ADTS muxer because that one always marks the stream MPEG-4, and
// "--mpeg-vers 2" asks for the MPEG-2 mark.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ffmpeg_handles.h"
#include "packet_sink.h"

namespace sondrel::faac {

class AdtsWriter : public PacketSink {
 public:
  // Takes the stream's object type, rate and channels from the encoder's
  // AudioSpecificConfig; `name` is what failures mention.
  AdtsWriter(int fd, const AVCodecContext& encoder, int mpegVersion, std::string name);

  void write(AVPacket& packet) override;
  void finish() override;

 private:
  // The header in front of a frame of `payloadBytes` bytes.
  std::array<uint8_t, 7> header(size_t payloadBytes) const;
  void flush();

  int fd_;
  std::string name_;
  bool mpeg2_;
  uint8_t profile_ = 0;  // object type - 1
  uint8_t frequencyIndex_ = 0;
  uint8_t channelConfiguration_ = 0;
  std::vector<uint8_t> pending_;  // frames gathered into fewer, larger writes
};

}  // namespace sondrel::faac
