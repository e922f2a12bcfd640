// Monkey's Audio (APE) files.
#pragma once

#include <cstdint>
#include <string>

#include "formats/tag_set.h"

namespace sondrel {

class TMonkey {
 public:
  TMonkey() { Reset(); }
  void Reset();
  bool Read(const std::string& path);

  bool Valid() const { return bitsPerSample_ > 0 && sampleRate_ > 0 && samples_ > 0 && channels_ > 0; }
  int Version() const { return version_; }
  int CompressionLevel() const { return compressionLevel_; }
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int BitsPerSample() const { return bitsPerSample_; }
  uint64_t Samples() const { return samples_; }
  int64_t FileSize() const { return fileSize_; }
  double Duration() const { return sampleRate_ > 0 ? double(samples_) / sampleRate_ : 0; }
  double Ratio() const;

  TID3v1& ID3v1() { return tags_.id3v1; }
  TID3v2& ID3v2() { return tags_.id3v2; }
  TAPETag& APEtag() { return tags_.ape; }
  const TID3v1& ID3v1() const { return tags_.id3v1; }
  const TID3v2& ID3v2() const { return tags_.id3v2; }
  const TAPETag& APEtag() const { return tags_.ape; }

 private:
  TagSet tags_;
  int version_ = 0, compressionLevel_ = 0, sampleRate_ = 0, channels_ = 0, bitsPerSample_ = 0;
  uint64_t samples_ = 0;
  int64_t fileSize_ = 0;
};

}  // namespace sondrel
