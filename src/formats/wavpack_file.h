// WavPack files: version 4 and 5 block headers and version 3 RIFF files.
#pragma once

#include <cstdint>
#include <string>

#include "formats/ape_tag.h"

namespace sondrel {

class TWAVPackfile {
 public:
  TWAVPackfile() { Reset(); }
  void Reset();
  bool Read(const std::string& path);

  bool Valid() const { return valid_; }
  int Version() const { return version_; }
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int BitsPerSample() const { return bitsPerSample_; }
  uint64_t Samples() const { return samples_; }
  int64_t FileSize() const { return fileSize_; }
  double Duration() const { return sampleRate_ > 0 ? double(samples_) / sampleRate_ : 0; }
  double Ratio() const;
  std::string ChannelModeName() const;

  TAPETag& APEtag() { return ape_; }
  const TAPETag& APEtag() const { return ape_; }

 private:
  bool readVersion4(class InputFile& file);
  bool readVersion3(class InputFile& file);

  TAPETag ape_;
  bool valid_ = false;
  int version_ = 0, sampleRate_ = 0, channels_ = 0, bitsPerSample_ = 0;
  uint64_t samples_ = 0;
  int64_t fileSize_ = 0;
};

}  // namespace sondrel
