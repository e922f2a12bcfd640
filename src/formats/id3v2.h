// The ID3v2 tag at the start of a file: versions 2.2, 2.3 and 2.4 are read into
// a small set of text fields; version 2.3 is written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/input_file.h"

namespace sondrel {

// Bytes taken by an ID3v2 tag at the start of the file (header, frames,
// padding and footer), 0 when there is none or it claims more than the file.
int64_t ID3v2TagSize(InputFile& file);

class TID3v2 {
 public:
  TID3v2() { Reset(); }

  void Reset();
  // False only when the first 10 bytes cannot be read.
  bool Read(const std::string& path);
  // The same on a file its owner has open already.
  bool Read(InputFile& file);
  // Puts a version 2.3 tag with the current fields into the file: over the old
  // tag when it has room, else by rebuilding the file with a 4096-byte tag.
  bool Write(const std::string& path);

  bool Present() const { return present_; }
  uint8_t MajorVersion() const { return majorVersion_; }
  int64_t Size() const { return size_; }
  const std::string& Title() const { return title_; }
  const std::string& Artist() const { return artist_; }
  const std::string& Album() const { return album_; }
  uint16_t Track() const { return track_; }
  const std::string& TrackText() const { return trackText_; }
  const std::string& Year() const { return year_; }
  const std::string& Genre() const { return genre_; }
  const std::string& Comment() const { return comment_; }
  const std::string& Composer() const { return composer_; }
  const std::string& Encoder() const { return encoder_; }
  const std::string& Rights() const { return rights_; }
  const std::string& Language() const { return language_; }
  const std::string& Link() const { return link_; }

  void SetTitle(std::string_view v);
  void SetArtist(std::string_view v);
  void SetAlbum(std::string_view v);
  void SetYear(std::string_view v);
  void SetGenre(std::string_view v);
  void SetComment(std::string_view v);
  void SetTrack(uint16_t track) { track_ = track; }
  void SetComposer(std::string_view v);
  void SetEncoder(std::string_view v);
  void SetRights(std::string_view v);
  void SetLanguage(std::string_view v);
  void SetLink(std::string_view v);

 private:
  bool present_ = false;
  uint8_t majorVersion_ = 0;
  int64_t size_ = 0;
  std::string title_, artist_, album_;
  uint16_t track_ = 0;
  std::string trackText_, year_, genre_, comment_, composer_, encoder_, rights_, language_, link_;
};

}  // namespace sondrel
