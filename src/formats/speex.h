// Speex files (Speex in Ogg).
#pragma once

#include <cstdint>
#include <string>

#include "formats/vorbis_comment.h"

namespace sondrel {

class TSpeex {
 public:
  TSpeex() { Reset(); }
  void Reset();
  bool Read(const std::string& path);

  bool Valid() const;
  int Channels() const { return channels_; }
  int SampleRate() const { return sampleRate_; }
  uint64_t Samples() const { return samples_; }
  int64_t FileSize() const { return fileSize_; }
  double Duration() const;
  int BitRate() const;  // kbit/s over the whole file
  double Ratio() const;
  std::string ChannelModeName() const;

  TVorbisComment& VorbisComment() { return comments_; }
  const TVorbisComment& VorbisComment() const { return comments_; }

 private:
  TVorbisComment comments_;
  int channels_ = 0;
  int sampleRate_ = 0;
  int nominalBitRate_ = 0;
  uint64_t samples_ = 0;
  int64_t fileSize_ = 0;
};

}  // namespace sondrel
