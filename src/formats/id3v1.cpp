#include "formats/id3v1.h"

#include <filesystem>

#include "formats/bytes.h"
#include "formats/file_rewrite.h"
#include "formats/genres.h"
#include "formats/input_file.h"
#include "formats/text_encoding.h"

namespace sondrel {
namespace {

constexpr int64_t kTagSize = 128;
constexpr int64_t kLyricsTrailerSize = 15;  // 6-digit size + "LYRICS200"
// A Lyrics3 field length has five digits.
constexpr size_t kMaxLyricsFieldLength = 99999;

// Stores the trimmed value in the short field and, when it needs more than the
// 30 bytes of the tag, in the long field too.
void setWithLong(std::string& shortField, std::string& longField, std::string_view value) {
  shortField = trimControlRight(value);
  if (utf8Length(shortField) >= 31)
    longField = shortField;
  else
    longField.clear();
}

std::string canonicalPath(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::weakly_canonical(std::filesystem::u8path(path), ec);
  return ec ? path : p.string();
}

std::string lyricsText(std::string_view raw) {
  std::string trimmed = trimControl(raw);
  std::string out;
  for (char c : trimmed) {
    out += c;
    if (c == '\r') out += '\n';
  }
  // CR LF in the file became CR LF LF above.
  std::string fixed;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out.compare(i, 3, "\r\n\n") == 0) {
      fixed += "\r\n";
      i += 2;
    } else {
      fixed += out[i];
    }
  }
  return fixed;
}

std::string digits(size_t value, int width) {
  std::string s = std::to_string(value);
  return std::string(static_cast<size_t>(width) > s.size() ? width - s.size() : 0, '0') + s;
}

}  // namespace

void TID3v1::Reset() {
  present_ = false;
  revision_ = 1;
  title_.clear();
  artist_.clear();
  album_.clear();
  year_.clear();
  comment_.clear();
  track_ = 0;
  genreIndex_ = 255;
  hasLyrics3_ = false;
  lyrics3Size_ = 0;
  longTitle_.clear();
  longArtist_.clear();
  longAlbum_.clear();
  longComment_.clear();
  imageLink_.clear();
  author_.clear();
  lyrics_.clear();
  readFrom_.clear();
  setByCaller_ = 0;
}

void TID3v1::SetTitle(std::string_view value) { setWithLong(title_, longTitle_, value); }
void TID3v1::SetArtist(std::string_view value) { setWithLong(artist_, longArtist_, value); }
void TID3v1::SetAlbum(std::string_view value) { setWithLong(album_, longAlbum_, value); }
void TID3v1::SetComment(std::string_view value) { setWithLong(comment_, longComment_, value); }
void TID3v1::SetYear(std::string_view value) { year_ = utf8Prefix(trimControlRight(value), 4); }
void TID3v1::SetGenre(std::string_view name) { genreIndex_ = GenreIndexOf(name); }
void TID3v1::SetTrack(uint8_t track) {
  track_ = track;
  setByCaller_ |= kTrack;
}
void TID3v1::SetLyrics(std::string_view value) {
  lyrics_ = value;
  setByCaller_ |= kLyrics;
}
void TID3v1::SetAuthor(std::string_view value) {
  author_ = value;
  setByCaller_ |= kAuthor;
}
void TID3v1::SetImageLink(std::string_view value) {
  imageLink_ = value;
  setByCaller_ |= kImageLink;
}

std::string TID3v1::GenreName() const { return std::string(sondrel::GenreName(genreIndex_)); }

bool TID3v1::Read(const std::string& path) {
  auto file = InputFile::open(path);
  if (!file) {
    Reset();
    return false;
  }
  return Read(*file, path);
}

bool TID3v1::Read(InputFile& file, const std::string& path) {
  Reset();
  if (!readTail(file, true)) return false;
  readFrom_ = path;
  return true;
}

bool TID3v1::readTail(InputFile& in, bool parseFields) {
  present_ = false;
  hasLyrics3_ = false;
  lyrics3Size_ = 0;
  try {
    auto* file = &in;
    const int64_t size = file->size();
    // A file shorter than a tag simply has none.
    if (size >= kTagSize) {
      Bytes tag;
      if (!file->readExact(size - kTagSize, kTagSize, tag)) return false;
      present_ = hasText(tag, 0, "TAG");
      if (present_ && parseFields) {
        ByteView t = tag;
        revision_ = ((t[125] == 0 && t[126] != 0) || (t[125] == 32 && t[126] != 32)) ? 2 : 1;
        SetTitle(fixedFieldToUtf8(sub(t, 3, 30)));
        SetArtist(fixedFieldToUtf8(sub(t, 33, 30)));
        SetAlbum(fixedFieldToUtf8(sub(t, 63, 30)));
        SetYear(fixedFieldToUtf8(sub(t, 93, 4)));
        SetComment(fixedFieldToUtf8(sub(t, 97, revision_ == 2 ? 28 : 30)));
        if (revision_ == 2) track_ = t[126];
        genreIndex_ = t[127];
      }
    }
    const int64_t back = (present_ ? kTagSize : 0) + kLyricsTrailerSize;
    Bytes trailer;
    if (size < back || !file->readExact(size - back, kLyricsTrailerSize, trailer)) return true;
    if (!hasText(trailer, 6, "LYRICS200")) return true;
    auto declared = parseDigits(std::string_view(reinterpret_cast<const char*>(trailer.data()), 6), 6);
    if (!declared || *declared == 0) return true;
    const int64_t blockStart = size - back - static_cast<int64_t>(*declared);
    Bytes block;
    if (blockStart < 0 || !file->readExact(blockStart, *declared, block) || !hasText(block, 0, "LYRICSBEGIN"))
      return true;
    hasLyrics3_ = true;
    lyrics3Size_ = *declared;
    if (!parseFields) return true;
    ByteView b = block;
    for (size_t pos = 11; fits(b, pos, 8);) {
      std::string_view name(reinterpret_cast<const char*>(b.data() + pos), 3);
      auto length = parseDigits(std::string_view(reinterpret_cast<const char*>(b.data() + pos + 3), 5), 5);
      if (!length || !fits(b, pos + 8, *length)) break;
      ByteView data = b.subspan(pos + 8, *length);
      pos += 8 + *length;
      std::string text = legacyToUtf8(data);
      if (name == "IND") continue;
      if (name == "LYR")
        lyrics_ = lyricsText(text);
      else if (name == "INF")
        SetComment(trimControl(text));
      else if (name == "AUT")
        author_ = trimControl(text);
      else if (name == "EAL")
        SetAlbum(trimControl(text));
      else if (name == "EAR")
        SetArtist(trimControl(text));
      else if (name == "ETT")
        SetTitle(trimControl(text));
      else if (name == "IMG")
        imageLink_ = text;
      else
        break;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TID3v1::extraAllowed(ExtraField field, const std::string& path) const {
  return (setByCaller_ & field) || (!readFrom_.empty() && canonicalPath(readFrom_) == canonicalPath(path));
}

std::string TID3v1::renderTail(bool withLyrics3) const {
  std::string out;
  if (withLyrics3) {
    // Field values are Latin-1 like the tag itself; the length has 5 digits.
    auto field = [&](std::string_view name, std::string_view value) {
      if (trimControl(value).empty()) return;
      std::string bytes = utf8ToLatin1Lossy(value);
      if (bytes.size() > kMaxLyricsFieldLength) bytes.resize(kMaxLyricsFieldLength);
      out += name;
      out += digits(bytes.size(), 5);
      out += bytes;
    };
    out = "LYRICSBEGIN";
    out += lyrics_.empty() ? "IND0000200" : "IND0000210";
    field("EAL", longAlbum_);
    field("EAR", longArtist_);
    field("ETT", longTitle_);
    field("INF", longComment_);
    field("AUT", author_);
    field("LYR", lyrics_);
    field("IMG", imageLink_);
    out += digits(out.size(), 6);
    out += "LYRICS200";
  }
  std::string tag(kTagSize, '\0');
  auto put = [&](size_t offset, std::string_view value, size_t width) {
    std::string bytes = utf8ToLatin1Lossy(trimControlRight(value));
    tag.replace(offset, std::min(bytes.size(), width), bytes.substr(0, width));
  };
  tag.replace(0, 3, "TAG");
  put(3, FullTitle(), 30);
  put(33, FullArtist(), 30);
  put(63, FullAlbum(), 30);
  put(93, year_, 4);
  put(97, FullComment(), 30);
  if (track_ != 0) {
    tag[125] = 0;
    tag[126] = static_cast<char>(track_);
  }
  tag[127] = static_cast<char>(genreIndex_);
  return out + tag;
}

bool TID3v1::replaceTail(const std::string& path, bool withTag, bool withLyrics3) {
  // Removal and the new tag happen in one rebuild: a failure leaves the file
  // with its old tag instead of none.
  TID3v1 current;
  auto file = InputFile::open(path);
  if (!file || !current.readTail(*file, false)) return false;
  file.reset();
  if (!withTag && !current.present_ && !current.hasLyrics3_) return true;
  std::string tail;
  if (withTag) {
    TID3v1 toWrite = *this;
    if (!extraAllowed(kTrack, path)) toWrite.track_ = 0;
    if (!extraAllowed(kLyrics, path)) toWrite.lyrics_.clear();
    if (!extraAllowed(kAuthor, path)) toWrite.author_.clear();
    if (!extraAllowed(kImageLink, path)) toWrite.imageLink_.clear();
    bool lyrics3 = withLyrics3 &&
                   (!toWrite.lyrics_.empty() || !toWrite.author_.empty() || !toWrite.imageLink_.empty()) &&
                   (!toWrite.lyrics_.empty() || !toWrite.author_.empty() || !longArtist_.empty() ||
                    !longAlbum_.empty() || !longComment_.empty() || !longTitle_.empty());
    tail = toWrite.renderTail(lyrics3);
    hasLyrics3_ = lyrics3;
    lyrics3Size_ = lyrics3 ? static_cast<int64_t>(tail.size()) - kTagSize - kLyricsTrailerSize : 0;
  } else {
    hasLyrics3_ = false;
    lyrics3Size_ = 0;
  }
  const int64_t cut = current.TagTotalSize();
  bool ok = rewriteFile(path, [&](InputFile& in, std::ostream& out) {
    if (!copyRange(in, 0, in.size() - cut, out)) return false;
    out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
    return static_cast<bool>(out);
  });
  present_ = ok ? withTag : current.present_;
  if (!ok) {
    hasLyrics3_ = current.hasLyrics3_;
    lyrics3Size_ = current.lyrics3Size_;
  }
  return ok;
}

bool TID3v1::Save(const std::string& path) {
  try {
    return replaceTail(path, true, true);
  } catch (const std::exception&) {
    return false;
  }
}

bool TID3v1::Remove(const std::string& path, bool rewrite) {
  try {
    return replaceTail(path, rewrite, false);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sondrel
