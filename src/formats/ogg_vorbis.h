// Ogg Vorbis files: stream header, Vorbis comments, and the comment rewrite.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/id3v2.h"
#include "formats/vorbis_comment.h"

namespace sondrel {

class TOggVorbis {
 public:
  TOggVorbis() { Reset(); }
  void Reset();
  bool Read(const std::string& path);
  // Rewrites the comment packet with the current fields.
  bool Write(const std::string& path);

  bool Valid() const;
  int Channels() const { return channels_; }
  int SampleRate() const { return sampleRate_; }
  int NominalBitRate() const { return nominalBitRate_; }  // kbit/s
  uint64_t Samples() const { return samples_; }
  int64_t FileSize() const { return fileSize_; }
  double Duration() const;
  int BitRate() const;  // average kbit/s
  std::string ChannelModeName() const;

  const std::string& Title() const { return title_; }
  const std::string& Artist() const { return artist_; }
  const std::string& Album() const { return album_; }
  uint8_t Track() const { return track_; }
  const std::string& Year() const { return year_; }
  const std::string& Genre() const { return genre_; }
  const std::string& Comment() const { return comment_; }
  const std::string& Vendor() const { return vendor_; }
  bool HasComments() const { return hasComments_; }
  void SetTitle(std::string_view v) { title_ = v; }
  void SetArtist(std::string_view v) { artist_ = v; }
  void SetAlbum(std::string_view v) { album_ = v; }
  void SetTrack(uint8_t v) { track_ = v; }
  void SetYear(std::string_view v) { year_ = v; }
  void SetGenre(std::string_view v) { genre_ = v; }
  void SetComment(std::string_view v) { comment_ = v; }

  TID3v2& ID3v2() { return id3v2_; }
  const TID3v2& ID3v2() const { return id3v2_; }

 private:
  TID3v2 id3v2_;
  int channels_ = 0;
  int sampleRate_ = 0;
  int nominalBitRate_ = 0;
  uint64_t samples_ = 0;
  int64_t fileSize_ = 0;
  int64_t id3v2Size_ = 0;
  std::string title_, artist_, album_, year_, genre_, comment_, vendor_;
  uint8_t track_ = 0;
  bool hasComments_ = false;
};

}  // namespace sondrel
