// OptimFROG files: the header and the tags (no decoder exists for the audio).
#pragma once

#include <cstdint>
#include <string>

#include "formats/tag_set.h"

namespace sondrel {

class TOptimFrog {
 public:
  TOptimFrog() { Reset(); }
  void Reset();
  // True when the header starts with "OFR ".
  bool Read(const std::string& path);

  bool Valid() const;
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  // Negative for floating-point sample types.
  int BitsPerSample() const;
  uint64_t Samples() const { return samples_; }
  int64_t FileSize() const { return fileSize_; }
  double Duration() const { return sampleRate_ > 0 ? double(samples_) / sampleRate_ : 0; }
  double Ratio() const;
  int SampleType() const { return sampleType_; }
  int EncoderID() const { return encoderId_; }
  int CompressionID() const { return compressionId_; }

  TID3v1& ID3v1() { return tags_.id3v1; }
  TID3v2& ID3v2() { return tags_.id3v2; }
  TAPETag& APEtag() { return tags_.ape; }
  const TID3v1& ID3v1() const { return tags_.id3v1; }
  const TID3v2& ID3v2() const { return tags_.id3v2; }
  const TAPETag& APEtag() const { return tags_.ape; }

 private:
  TagSet tags_;
  bool signature_ = false;
  int sampleRate_ = 0, channels_ = 0, sampleType_ = 0, channelConfig_ = 0, encoderId_ = 0, compressionId_ = 0;
  uint64_t samples_ = 0;
  int64_t fileSize_ = 0;
};

}  // namespace sondrel
