#include "adts_writer.h"

#include "common/failure.h"
#include "common/file_io.h"

namespace sondrel::faac {

using tools::Failure;
using tools::writeAll;

namespace {

constexpr size_t kHeaderBytes = 7;
constexpr size_t kMaxFrameBytes = 8191;  // the header's 13-bit frame length
constexpr size_t kWriteSize = 64 * 1024;
// All ones: the stream is of variable bit rate, so the decoder buffer
// fullness means nothing.
constexpr unsigned kVariableRateFullness = 0x7FF;

}  // namespace

AdtsWriter::AdtsWriter(int fd, const AVCodecContext& encoder, int mpegVersion, std::string name)
    : fd_(fd), name_(std::move(name)), mpeg2_(mpegVersion == 2) {
  // AudioSpecificConfig: object type (5 bits), frequency index (4), channel
  // configuration (4).
  if (encoder.extradata_size < 2) throw Failure("the AAC encoder gave no stream description");
  const uint8_t* config = encoder.extradata;
  const unsigned objectType = config[0] >> 3;
  frequencyIndex_ = static_cast<uint8_t>((config[0] & 0x07) << 1 | config[1] >> 7);
  channelConfiguration_ = static_cast<uint8_t>((config[1] >> 3) & 0x0F);
  if (objectType < 1 || objectType > 4) throw Failure("this AAC object type cannot be stored in an .aac file");
  if (frequencyIndex_ > 12) throw Failure("this sample rate cannot be stored in an .aac file");
  if (channelConfiguration_ < 1 || channelConfiguration_ > 7)
    throw Failure("this channel layout cannot be stored in an .aac file");
  profile_ = static_cast<uint8_t>(objectType - 1);
  pending_.reserve(kWriteSize + kMaxFrameBytes);
}

std::array<uint8_t, 7> AdtsWriter::header(size_t payloadBytes) const {
  const unsigned length = static_cast<unsigned>(payloadBytes + kHeaderBytes);
  const unsigned id = mpeg2_ ? 1 : 0;
  return {
      0xFF,                                         // syncword
      static_cast<uint8_t>(0xF0 | id << 3 | 0x01),  // syncword, ID, layer 0, no CRC
      static_cast<uint8_t>(profile_ << 6 | frequencyIndex_ << 2 | channelConfiguration_ >> 2),
      static_cast<uint8_t>((channelConfiguration_ & 0x03) << 6 | length >> 11),
      static_cast<uint8_t>(length >> 3),
      static_cast<uint8_t>((length & 0x07) << 5 | kVariableRateFullness >> 6),
      static_cast<uint8_t>((kVariableRateFullness & 0x3F) << 2),  // one raw data block
  };
}

void AdtsWriter::write(AVPacket& packet) {
  const size_t payload = static_cast<size_t>(packet.size);
  if (payload + kHeaderBytes > kMaxFrameBytes) throw Failure("an AAC frame is too large for an .aac file");
  const auto head = header(payload);
  pending_.insert(pending_.end(), head.begin(), head.end());
  pending_.insert(pending_.end(), packet.data, packet.data + payload);
  if (pending_.size() >= kWriteSize) flush();
}

void AdtsWriter::finish() { flush(); }

void AdtsWriter::flush() {
  writeAll(fd_, pending_.data(), pending_.size(), name_);
  pending_.clear();
}

}  // namespace sondrel::faac
