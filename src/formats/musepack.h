// Musepack files: stream versions 4 to 7.1 and stream version 8.
#pragma once

#include <cstdint>
#include <string>

#include "formats/tag_set.h"

namespace sondrel {

class TMPEGplus {
 public:
  TMPEGplus() { Reset(); }
  void Reset();
  bool Read(const std::string& path);

  bool Valid() const { return streamVersion_ != 0; }
  // 4, 5, 6, 7, 71 (for 7.1) or 8; 0 when none was recognised.
  int StreamVersion() const { return streamVersion_; }
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int ChannelMode() const { return channelMode_; }  // 0 unknown, 1 stereo, 2 joint stereo
  uint32_t FrameCount() const { return frameCount_; }
  uint64_t Samples() const;
  int64_t FileSize() const { return fileSize_; }
  double Duration() const;
  int BitRate() const;  // kbit/s
  std::string ChannelModeName() const;

  TID3v1& ID3v1() { return tags_.id3v1; }
  TID3v2& ID3v2() { return tags_.id3v2; }
  TAPETag& APEtag() { return tags_.ape; }
  const TID3v1& ID3v1() const { return tags_.id3v1; }
  const TID3v2& ID3v2() const { return tags_.id3v2; }
  const TAPETag& APEtag() const { return tags_.ape; }

 private:
  bool readVersion8(class InputFile& file, int64_t start);
  int64_t audioBytes() const;

  TagSet tags_;
  int streamVersion_ = 0, sampleRate_ = 0, channels_ = 0, channelMode_ = 0, storedBitRate_ = 0;
  uint32_t frameCount_ = 0;
  uint64_t samples8_ = 0;  // stream version 8 counts samples itself
  int64_t fileSize_ = 0;
};

}  // namespace sondrel
