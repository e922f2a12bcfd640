#pragma once

extern "C" {
#include <libavcodec/packet.h>
}

namespace sondrel::faac {

// Where encoded AAC packets go: a bare ADTS stream or an MP4 container.
class PacketSink {
 public:
  virtual ~PacketSink() = default;
  // `packet` carries one raw AAC frame with time stamps in 1/sample rate.
  virtual void write(AVPacket& packet) = 0;
  // Completes the file; nothing is written after it.
  virtual void finish() = 0;
};

}  // namespace sondrel::faac
