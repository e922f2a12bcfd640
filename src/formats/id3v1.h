// The 128-byte ID3v1 / ID3v1.1 tag at the end of a file and the Lyrics3
// version 2 block that may stand in front of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/input_file.h"

namespace sondrel {

class TID3v1 {
 public:
  TID3v1() { Reset(); }

  void Reset();
  // False only when the file cannot be opened or read.
  bool Read(const std::string& path);
  // The same on a file its owner has open already.
  bool Read(InputFile& file, const std::string& path);
  // Replaces any ID3v1 tag and Lyrics3 block with the current fields.
  bool Save(const std::string& path);
  // Removes the tag and Lyrics3 block; with `rewrite` the tag (without
  // Lyrics3) is written again.
  bool Remove(const std::string& path, bool rewrite = false);

  bool Present() const { return present_; }
  uint8_t Revision() const { return revision_; }
  const std::string& Title() const { return title_; }
  const std::string& Artist() const { return artist_; }
  const std::string& Album() const { return album_; }
  const std::string& Year() const { return year_; }
  const std::string& Comment() const { return comment_; }
  uint8_t Track() const { return track_; }
  uint8_t GenreIndex() const { return genreIndex_; }
  bool HasLyrics3() const { return hasLyrics3_; }
  int64_t Lyrics3Size() const { return lyrics3Size_; }
  const std::string& LongTitle() const { return longTitle_; }
  const std::string& LongArtist() const { return longArtist_; }
  const std::string& LongAlbum() const { return longAlbum_; }
  const std::string& LongComment() const { return longComment_; }
  const std::string& ImageLink() const { return imageLink_; }
  const std::string& Author() const { return author_; }
  const std::string& Lyrics() const { return lyrics_; }

  void SetTitle(std::string_view value);
  void SetArtist(std::string_view value);
  void SetAlbum(std::string_view value);
  void SetComment(std::string_view value);
  void SetYear(std::string_view value);
  void SetGenre(std::string_view name);
  void SetGenreIndex(uint8_t index) { genreIndex_ = index; }
  void SetTrack(uint8_t track);
  void SetLyrics(std::string_view value);
  void SetAuthor(std::string_view value);
  void SetImageLink(std::string_view value);

  const std::string& FullTitle() const { return longTitle_.empty() ? title_ : longTitle_; }
  const std::string& FullArtist() const { return longArtist_.empty() ? artist_ : longArtist_; }
  const std::string& FullAlbum() const { return longAlbum_.empty() ? album_ : longAlbum_; }
  const std::string& FullComment() const { return longComment_.empty() ? comment_ : longComment_; }
  std::string GenreName() const;

  int64_t Lyrics3TotalSize() const { return lyrics3Size_ > 0 ? lyrics3Size_ + 15 : 0; }
  int64_t TagTotalSize() const { return Lyrics3TotalSize() + (present_ ? 128 : 0); }

 private:
  enum ExtraField : unsigned { kTrack = 1, kLyrics = 2, kAuthor = 4, kImageLink = 8 };
  bool readTail(InputFile& file, bool parseFields);
  std::string renderTail(bool withLyrics3) const;
  bool replaceTail(const std::string& path, bool withTag, bool withLyrics3);
  // Track, lyrics, author and image link read from one file must not be
  // written into another: they are only written into the file they came from
  // unless the caller set them.
  bool extraAllowed(ExtraField field, const std::string& path) const;

  bool present_ = false;
  uint8_t revision_ = 1;
  std::string title_, artist_, album_, year_, comment_;
  uint8_t track_ = 0;
  uint8_t genreIndex_ = 255;
  bool hasLyrics3_ = false;
  int64_t lyrics3Size_ = 0;
  std::string longTitle_, longArtist_, longAlbum_, longComment_;
  std::string imageLink_, author_, lyrics_;
  std::string readFrom_;
  unsigned setByCaller_ = 0;
};

}  // namespace sondrel
