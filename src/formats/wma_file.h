// WMA files: the stream properties in the ASF header.
#pragma once

#include <cstdint>
#include <string>

namespace sondrel {

class TWMAfile {
 public:
  TWMAfile() { Reset(); }
  void Reset();
  bool Read(const std::string& path);

  bool Valid() const;
  int Channels() const { return channels_; }
  int SampleRate() const { return sampleRate_; }
  uint32_t MaxBitRate() const { return maxBitRate_; }  // bit/s, from the file properties
  uint32_t AverageBytesPerSecond() const { return bytesPerSecond_; }
  int64_t FileSize() const { return fileSize_; }
  int BitRate() const;     // kbit/s, 0 unless Valid
  double Duration() const;  // 0 unless Valid
  std::string ChannelModeName() const;

  // Text of the content description objects.
  const std::string& Title() const { return title_; }
  const std::string& Author() const { return author_; }
  const std::string& Copyright() const { return copyright_; }
  const std::string& Description() const { return description_; }

 private:
  int channels_ = 0, sampleRate_ = 0;
  uint32_t maxBitRate_ = 0, bytesPerSecond_ = 0;
  int64_t fileSize_ = 0;
  std::string title_, author_, copyright_, description_;
};

}  // namespace sondrel
