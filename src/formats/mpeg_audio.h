// MPEG audio layers I to III (MPEG-1, MPEG-2, MPEG-2.5): the first frame, a
// Xing or VBRI header, and the tags around the audio.
#pragma once

#include <cstdint>
#include <string>

#include "formats/ape_tag.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"

namespace sondrel {

class TMPEGaudio {
 public:
  struct FrameData {
    bool Found = false;
    int64_t Position = 0;
    uint16_t Size = 0;
    uint8_t VersionIndex = 1;     // 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
    uint8_t LayerIndex = 0;       // 1 Layer III, 2 Layer II, 3 Layer I
    uint8_t BitRateIndex = 0;
    uint8_t SampleRateIndex = 3;
    bool Padding = false;
    uint8_t ModeIndex = 4;        // 0 stereo, 1 joint, 2 dual, 3 mono, 4 unknown
  };
  struct VBRData {
    bool Found = false;
    std::string Kind;  // "Xing" or "VBRI"
    int32_t Frames = 0;
    int32_t Bytes = 0;
    uint8_t Scale = 0;
  };

  TMPEGaudio() { Reset(); }
  void Reset();
  // True when the file could be read, whether or not it holds MPEG audio.
  bool Read(const std::string& path);

  bool Valid() const;
  int SampleRate() const;
  int BitRate() const;  // kbit/s
  double Duration() const;
  int Channels() const;
  std::string ChannelModeName() const;
  int64_t FileLength() const { return fileLength_; }
  int64_t AudioStart() const { return audioStart_; }
  int64_t AudioEnd() const { return audioEnd_; }
  const FrameData& Frame() const { return frame_; }
  const VBRData& VBR() const { return vbr_; }

  TID3v1& ID3v1() { return id3v1_; }
  TID3v2& ID3v2() { return id3v2_; }
  TAPETag& APEtag() { return ape_; }
  const TID3v1& ID3v1() const { return id3v1_; }
  const TID3v2& ID3v2() const { return id3v2_; }
  const TAPETag& APEtag() const { return ape_; }

  // Frame header arithmetic, exposed for the tests of hand-built streams.
  static bool IsFrameHeader(const uint8_t* header);
  static int TableBitRate(const FrameData& frame);
  static int TableSampleRate(const FrameData& frame);
  static int Coefficient(const FrameData& frame);
  static int PaddingSize(const FrameData& frame);
  static uint16_t FrameLength(const FrameData& frame);

 private:
  bool searchChunk(const uint8_t* chunk, size_t bytesRead);

  TID3v1 id3v1_;
  TID3v2 id3v2_;
  TAPETag ape_;
  FrameData frame_;
  VBRData vbr_;
  int64_t fileLength_ = 0;
  int64_t audioStart_ = 0;
  int64_t audioEnd_ = 0;
};

}  // namespace sondrel
