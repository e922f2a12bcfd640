// FLAC files: STREAMINFO, the metadata blocks, and the Vorbis comment block,
// which can be rewritten in place or by rebuilding the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/id3v2.h"

namespace sondrel {

class TFLACfile {
 public:
  // The comment names kept in fields of their own, in reading order.
  static constexpr std::array<std::string_view, 28> kFieldNames = {
      "TRACKNUMBER", "ARTIST", "ALBUM", "TITLE", "DATE", "GENRE", "COMMENT", "COMPOSER", "LANGUAGE", "COPYRIGHT",
      "URL", "ENCODER", "TONES", "STYLES", "MOOD", "SITUATION", "RATING", "QUALITY", "TEMPO", "TYPE", "LYRICS",
      "PERFORMER", "LICENSE", "ORGANIZATION", "DESCRIPTION", "LOCATION", "CONTACT", "ISRC"};
  using ExtraItems = std::vector<std::pair<std::string, std::string>>;

  TFLACfile() { Reset(); }
  void Reset();
  // Reads header and comments; returns Valid().
  bool Read(const std::string& path);
  // Writes the comment fields; `allFields` false limits them to the first
  // twenty names (no PERFORMER to ISRC, no LYRICS, no extra items).
  bool Write(const std::string& path, bool allFields = true);

  bool Valid() const;
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int BitsPerSample() const { return bitsPerSample_; }
  uint64_t Samples() const { return samples_; }
  int64_t FileSize() const { return fileSize_; }
  int64_t AudioOffset() const { return audioOffset_; }
  double Duration() const { return sampleRate_ > 0 ? double(samples_) / sampleRate_ : 0; }
  double Ratio() const;
  std::string ChannelModeName() const;

  // Comment fields by name (one of kFieldNames, any letter case).
  const std::string& GetTag(std::string_view name) const;
  void SetTag(std::string_view name, std::string_view value);
  const std::string& Title() const { return GetTag("TITLE"); }
  const std::string& Artist() const { return GetTag("ARTIST"); }
  const std::string& Album() const { return GetTag("ALBUM"); }
  const std::string& Date() const { return GetTag("DATE"); }
  const std::string& Genre() const { return GetTag("GENRE"); }
  const std::string& Comment() const { return GetTag("COMMENT"); }
  const std::string& TrackString() const { return GetTag("TRACKNUMBER"); }
  const ExtraItems& Extras() const { return extras_; }
  ExtraItems& Extras() { return extras_; }
  const std::string& Vendor() const { return vendor_; }
  bool HasComments() const { return hasComments_; }

  TID3v2& ID3v2() { return id3v2_; }
  const TID3v2& ID3v2() const { return id3v2_; }

 private:
  struct Block {
    int type = 0;
    int64_t offset = 0;  // of its 4-byte header
    int64_t length = 0;
  };
  bool readStream(const std::string& path, bool parseComments);
  void resetStream();

  TID3v2 id3v2_;
  int sampleRate_ = 0, channels_ = 0, bitsPerSample_ = 0;
  uint64_t samples_ = 0;
  int64_t fileSize_ = 0;
  int64_t streamStart_ = 0;    // where "fLaC" is
  int64_t streamInfoEnd_ = 0;  // end of the STREAMINFO block
  int64_t audioOffset_ = 0;
  bool signature_ = false;
  bool metadataValid_ = false;
  std::vector<Block> blocks_;  // every block after STREAMINFO
  std::array<std::string, 28> fields_;
  ExtraItems extras_;
  std::string vendor_;
  bool hasComments_ = false;
};

}  // namespace sondrel
