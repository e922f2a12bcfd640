#include "mp4_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/failure.h"

namespace sondrel::faac {

using tools::Failure;

namespace {

constexpr int kIoBufferSize = 64 * 1024;

}  // namespace

Mp4Writer::Mp4Writer(int fd, const AVCodecContext& encoder, Container container, std::string name)
    : fd_(fd), name_(std::move(name)), encoderTimeBase_(encoder.time_base) {
  // "ipod" is the MP4 muxer with the M4A brand that players expect of .m4a and .m4b.
  const char* muxerName = container == Container::Ipod ? "ipod" : "mp4";
  AVFormatContext* muxer = nullptr;
  if (avformat_alloc_output_context2(&muxer, nullptr, muxerName, nullptr) < 0 || !muxer)
    throw Failure(std::string("FFmpeg's ") + muxerName + " muxer is not available");
  muxer_.reset(muxer);
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
  if (buffer)
    io_.reset(avio_alloc_context(buffer, kIoBufferSize, 1, this, nullptr, &Mp4Writer::writeBytes, &Mp4Writer::seek));
  if (!io_) {
    av_free(buffer);
    throw Failure("out of memory");
  }
  muxer_->pb = io_.get();
  muxer_->flags |= AVFMT_FLAG_CUSTOM_IO;

  stream_ = avformat_new_stream(muxer_.get(), nullptr);
  if (!stream_) throw Failure("out of memory");
  const int copied = avcodec_parameters_from_context(stream_->codecpar, &encoder);
  if (copied < 0) fail(copied);
  stream_->time_base = {1, encoder.sample_rate};
  const int started = avformat_write_header(muxer_.get(), nullptr);
  if (started < 0) fail(started);
}

void Mp4Writer::IoFree::operator()(AVIOContext* io) const {
  av_freep(&io->buffer);
  avio_context_free(&io);
}

void Mp4Writer::write(AVPacket& packet) {
  av_packet_rescale_ts(&packet, encoderTimeBase_, stream_->time_base);
  packet.stream_index = stream_->index;
  const int written = av_write_frame(muxer_.get(), &packet);
  if (written < 0) fail(written);
}

void Mp4Writer::finish() {
  const int ended = av_write_trailer(muxer_.get());
  if (ended < 0) fail(ended);
  avio_flush(io_.get());
  if (io_->error < 0) fail(io_->error);
}

void Mp4Writer::fail(int code) const {
  const std::string reason = lastSystemError_ ? std::strerror(lastSystemError_) : ffmpegError(code);
  throw Failure("cannot write " + name_ + ": " + reason);
}

int Mp4Writer::writeBytes(void* self, IoBytes data, int size) {
  auto& writer = *static_cast<Mp4Writer*>(self);
  int done = 0;
  while (done < size) {
    const ssize_t put = ::write(writer.fd_, data + done, static_cast<size_t>(size - done));
    if (put < 0) {
      if (errno == EINTR) continue;
      writer.lastSystemError_ = errno;
      return AVERROR(errno);
    }
    done += static_cast<int>(put);
  }
  return size;
}

int64_t Mp4Writer::seek(void* self, int64_t offset, int whence) {
  auto& writer = *static_cast<Mp4Writer*>(self);
  if (whence == AVSEEK_SIZE) {
    struct stat status {};
    if (::fstat(writer.fd_, &status) != 0) return AVERROR(errno);
    return status.st_size;
  }
  const off_t position = ::lseek(writer.fd_, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
  if (position < 0) {
    writer.lastSystemError_ = errno;
    return AVERROR(errno);
  }
  return position;
}

}  // namespace sondrel::faac
