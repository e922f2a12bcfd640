// AC-3 (Dolby Digital) files.
#pragma once

#include <cstdint>
#include <string>

namespace sondrel {

class TAC3 {
 public:
  TAC3() { Reset(); }
  void Reset();
  bool Read(const std::string& path);

  bool Valid() const { return valid_; }
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int BitsPerSample() const { return 16; }
  int BitRate() const { return bitRate_; }  // kbit/s
  int64_t FileSize() const { return fileSize_; }
  double Duration() const;
  double Ratio() const;

 private:
  bool valid_ = false;
  int sampleRate_ = 0, channels_ = 0, bitRate_ = 0;
  int64_t fileSize_ = 0;
};

}  // namespace sondrel
