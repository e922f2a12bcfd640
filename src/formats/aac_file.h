// AAC files in ADIF or ADTS form.
#pragma once

#include <cstdint>
#include <string>

#include "formats/tag_set.h"

namespace sondrel {

class TAACfile {
 public:
  enum class HeaderType { None, ADIF, ADTS };

  TAACfile() { Reset(); }
  void Reset();
  bool Read(const std::string& path);

  bool Valid() const { return headerType_ != HeaderType::None && channels_ != 0 && sampleRate_ > 0 && bitRate_ > 0; }
  HeaderType Header() const { return headerType_; }
  int MPEGVersion() const { return mpegVersion_; }  // 2 or 4 (ADTS ID bit)
  int Profile() const { return profile_; }
  bool VariableBitRate() const { return vbr_; }
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int BitRate() const { return bitRate_; }  // bit/s
  uint64_t Frames() const { return frames_; }
  int64_t FileSize() const { return fileSize_; }
  double Duration() const;

  TID3v1& ID3v1() { return tags_.id3v1; }
  TID3v2& ID3v2() { return tags_.id3v2; }
  TAPETag& APEtag() { return tags_.ape; }
  const TID3v1& ID3v1() const { return tags_.id3v1; }
  const TID3v2& ID3v2() const { return tags_.id3v2; }
  const TAPETag& APEtag() const { return tags_.ape; }

 private:
  void readADIF(class InputFile& file, int64_t start);
  void readADTS(class InputFile& file, int64_t start);

  TagSet tags_;
  HeaderType headerType_ = HeaderType::None;
  int mpegVersion_ = 0, profile_ = 0, sampleRate_ = 0, channels_ = 0, bitRate_ = 0;
  bool vbr_ = false;
  uint64_t frames_ = 0;
  int64_t fileSize_ = 0;
  int64_t audioBytes_ = 0;
};

}  // namespace sondrel
