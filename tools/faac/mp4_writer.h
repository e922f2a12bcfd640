// The MP4 container (.mp4, .m4a, .m4b) through FFmpeg's MP4 muxers. The muxer
// writes into the pending output file through our own I/O callbacks, so it
// never opens a path itself (a name with ':' in it is no protocol).
#pragma once

#include <memory>
#include <string>

#include "command_line.h"
#include "ffmpeg_handles.h"
#include "packet_sink.h"

namespace sondrel::faac {

class Mp4Writer : public PacketSink {
 public:
  // `fd` must be open for writing and seeking; `name` is what failures mention.
  Mp4Writer(int fd, const AVCodecContext& encoder, Container container, std::string name);
  Mp4Writer(const Mp4Writer&) = delete;
  Mp4Writer& operator=(const Mp4Writer&) = delete;

  void write(AVPacket& packet) override;
  // Writes the index (the moov box); without it the file would not play.
  void finish() override;

 private:
#if LIBAVFORMAT_VERSION_MAJOR >= 61
  using IoBytes = const uint8_t*;
#else
  using IoBytes = uint8_t*;
#endif
  static int writeBytes(void* self, IoBytes data, int size);
  static int64_t seek(void* self, int64_t offset, int whence);
  [[noreturn]] void fail(int code) const;

  struct IoFree {
    void operator()(AVIOContext* io) const;
  };
  struct MuxerFree {
    // Leaves a custom I/O context alone.
    void operator()(AVFormatContext* muxer) const { avformat_free_context(muxer); }
  };

  int fd_;
  std::string name_;
  AVRational encoderTimeBase_;
  std::unique_ptr<AVIOContext, IoFree> io_;  // declared first: the muxer goes before it
  std::unique_ptr<AVFormatContext, MuxerFree> muxer_;
  AVStream* stream_ = nullptr;  // owned by the muxer
  int lastSystemError_ = 0;     // what write() or lseek() said, for the message
};

}  // namespace sondrel::faac
