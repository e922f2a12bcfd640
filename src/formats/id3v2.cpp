#include "formats/id3v2.h"

#include <array>
#include <functional>
#include <optional>

#include "formats/bytes.h"
#include "formats/file_rewrite.h"
#include "formats/genres.h"
#include "formats/text_encoding.h"

namespace sondrel {
namespace {

constexpr size_t kBodyLimit = 500;
constexpr int64_t kRebuildTagSize = 4096;

enum Slot { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kComposer, kEncoder, kRights, kLanguage,
            kLink, kRecordingTime, kOriginalArtist, kContentGroup, kOriginalAlbum, kSlotCount };

constexpr std::array<std::string_view, kSlotCount> kIds34 = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON",
                                                             "COMM", "TCOM", "TENC", "TCOP", "TLAN", "WXXX",
                                                             "TDRC", "TOPE", "TIT1", "TOAL"};
constexpr std::array<std::string_view, kSlotCount> kIds2 = {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM",
                                                            "TEN", "TCR", "TLA", "WXX", "TOR", "TOA", "TT1", "TOT"};

struct Header {
  uint8_t version = 0;
  uint8_t flags = 0;
  int64_t size = 0;
};

std::optional<Header> readHeader(InputFile& file) {
  Bytes h;
  if (!file.readExact(0, 10, h) || !hasText(h, 0, "ID3")) return std::nullopt;
  Header header;
  header.version = h[3];
  header.flags = h[5];
  // The size bytes are taken as stored, without masking their top bits.
  header.size = (int64_t(h[6]) << 21) + (int64_t(h[7]) << 14) + (int64_t(h[8]) << 7) + h[9];
  header.size += (header.flags & 0x10) ? 20 : 10;
  if (header.size > file.size()) header.size = 0;
  return header;
}

uint32_t synchsafe(ByteView b, size_t off) {
  return (uint32_t(u8(b, off) & 0x7F) << 21) | (uint32_t(u8(b, off + 1) & 0x7F) << 14) |
         (uint32_t(u8(b, off + 2) & 0x7F) << 7) | (u8(b, off + 3) & 0x7F);
}

struct Frame {
  std::string id;
  uint8_t statusFlags = 0;
  uint8_t formatFlags = 0;
  int64_t headerOffset = 0;
  int64_t bodyOffset = 0;
  int64_t bodySize = 0;
};

// Walks the frames of a tag; `visit` returns false to stop.
void walkFrames(InputFile& file, const Header& header, const std::function<bool(const Frame&)>& visit) {
  const int version = header.version;
  const int64_t headerLen = version == 2 ? 6 : 10;
  int64_t pos = 10;
  if (version >= 3 && (header.flags & 0x40)) {
    Bytes ext = file.read(10, 4);
    pos = version == 3 ? 14 + int64_t(be32(ext, 0)) : 10 + int64_t(synchsafe(ext, 0));
  }
  while (pos < header.size && pos < file.size()) {
    Bytes h;
    if (!file.readExact(pos, headerLen, h)) break;
    if (h[0] < 'A' || h[0] > 'Z') break;
    Frame frame;
    frame.id.assign(h.begin(), h.begin() + (version == 2 ? 3 : 4));
    frame.headerOffset = pos;
    if (version == 2) {
      frame.bodySize = be24(h, 3);
    } else if (version == 3) {
      frame.bodySize = be32(h, 4);
    } else {
      // Version 2.4 sizes are synchsafe; some writers stored plain numbers,
      // which show as a byte with its top bit set.
      bool plain = (h[4] | h[5] | h[6] | h[7]) & 0x80;
      frame.bodySize = plain ? be32(h, 4) : synchsafe(h, 4);
    }
    if (version >= 3) {
      frame.statusFlags = h[8];
      frame.formatFlags = h[9];
    }
    frame.bodyOffset = pos + headerLen;
    if (!visit(frame)) break;
    pos = frame.bodyOffset + frame.bodySize;
  }
}

// Whether a frame's body is stored as plain bytes we can read as text, and
// where its text starts.
std::optional<int64_t> readableBodyStart(const Frame& frame, int version) {
  if (version == 3) {
    if (frame.formatFlags & 0xC0) return std::nullopt;  // compressed or encrypted
    return frame.bodyOffset + ((frame.formatFlags & 0x20) ? 1 : 0);
  }
  if (version == 4) {
    if (frame.formatFlags & 0x0E) return std::nullopt;  // compressed, encrypted, unsynchronised
    int64_t start = frame.bodyOffset;
    if (frame.formatFlags & 0x40) start += 1;  // group byte
    if (frame.formatFlags & 0x01) start += 4;  // data length indicator
    return start;
  }
  return frame.bodyOffset;
}

// Decodes text of the given ID3v2 encoding up to its terminator.
std::string decodeText(uint8_t encoding, ByteView data) {
  if (encoding == 1 || encoding == 2) {
    bool bigEndian = encoding == 2;
    if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
      bigEndian = false;
      data = data.subspan(2);
    } else if (data.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
      bigEndian = true;
      data = data.subspan(2);
    }
    size_t end = 0;
    while (end + 1 < data.size() && !(data[end] == 0 && data[end + 1] == 0)) end += 2;
    return trimControl(utf16ToUtf8(data.first(std::min(end, data.size() & ~size_t(1))), bigEndian));
  }
  size_t end = 0;
  while (end < data.size() && data[end] != 0) ++end;
  return trimControl(legacyToUtf8(data.first(end)));
}

// Offset just past the terminator of a string of the given encoding.
size_t skipTerminated(uint8_t encoding, ByteView data) {
  if (encoding == 1 || encoding == 2) {
    for (size_t i = 0; i + 1 < data.size(); i += 2)
      if (data[i] == 0 && data[i + 1] == 0) return i + 2;
  } else {
    for (size_t i = 0; i < data.size(); ++i)
      if (data[i] == 0) return i + 1;
  }
  return data.size();
}

std::string genreText(const std::string& tcon) {
  auto close = tcon.rfind(')');
  if (close == std::string::npos) {
    auto number = parseDigits(tcon, 3);
    return number && *number < 148 ? std::string(GenreName(*number)) : tcon;
  }
  std::string rest = trimControl(std::string_view(tcon).substr(close + 1));
  if (!rest.empty()) return rest;
  // "(17)" alone refers to the genre table.
  auto open = tcon.rfind('(', close);
  if (open != std::string::npos) {
    auto number = parseDigits(std::string_view(tcon).substr(open + 1, close - open - 1), 3);
    if (number && *number < 148) return std::string(GenreName(*number));
  }
  return {};
}

void putSynchsafe(Bytes& out, uint32_t v) {
  for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<uint8_t>((v >> shift) & 0x7F));
}

// A text frame body: Latin-1 when the text fits, else UTF-16 with a BOM.
Bytes textBody(std::string_view prefixLatin1, std::string_view text, bool withDescription) {
  Bytes body;
  auto latin1 = utf8ToLatin1(text);
  body.push_back(latin1 ? 0 : 1);
  putText(body, prefixLatin1);
  if (withDescription) {
    if (latin1) {
      body.push_back(0);
    } else {
      body.insert(body.end(), {0xFF, 0xFE, 0, 0});
    }
  }
  if (latin1) {
    putText(body, *latin1);
  } else {
    body.insert(body.end(), {0xFF, 0xFE});
    Bytes units = utf8ToUtf16le(text);
    body.insert(body.end(), units.begin(), units.end());
  }
  return body;
}

void appendFrame(Bytes& tag, std::string_view id, uint8_t statusFlags, uint8_t formatFlags, ByteView body) {
  putText(tag, id);
  putBe32(tag, static_cast<uint32_t>(body.size()));
  tag.push_back(statusFlags);
  tag.push_back(formatFlags);
  tag.insert(tag.end(), body.begin(), body.end());
}

bool isSlotId(std::string_view id) {
  for (auto slot : kIds34)
    if (slot == id) return true;
  return false;
}

// Frames of the old tag that this class does not manage, converted to
// version 2.3 frames so that rewriting the tag does not lose them.
Bytes carriedFrames(InputFile& file, const Header& header) {
  Bytes frames;
  if ((header.version != 3 && header.version != 4) || (header.flags & 0x80)) return frames;
  walkFrames(file, header, [&](const Frame& frame) {
    if (frame.bodyOffset + frame.bodySize > header.size) return false;
    if (isSlotId(frame.id)) return true;
    Bytes body;
    uint8_t status = frame.statusFlags, format = frame.formatFlags;
    int64_t start = frame.bodyOffset;
    if (header.version == 4) {
      if (format & 0x4E) return true;  // group, compression, encryption, unsynchronisation: not portable
      if (format & 0x01) start += 4;
      status = static_cast<uint8_t>((status << 1) & 0xE0);
      format = 0;
    }
    if (!file.readExact(start, frame.bodyOffset + frame.bodySize - start, body)) return false;
    appendFrame(frames, frame.id, status, format, body);
    return true;
  });
  return frames;
}

}  // namespace

int64_t ID3v2TagSize(InputFile& file) {
  auto header = readHeader(file);
  return header ? header->size : 0;
}

void TID3v2::Reset() {
  present_ = false;
  majorVersion_ = 0;
  size_ = 0;
  title_.clear();
  artist_.clear();
  album_.clear();
  track_ = 0;
  trackText_.clear();
  year_.clear();
  genre_.clear();
  comment_.clear();
  composer_.clear();
  encoder_.clear();
  rights_.clear();
  language_.clear();
  link_.clear();
}

void TID3v2::SetTitle(std::string_view v) { title_ = trimControl(v); }
void TID3v2::SetArtist(std::string_view v) { artist_ = trimControl(v); }
void TID3v2::SetAlbum(std::string_view v) { album_ = trimControl(v); }
void TID3v2::SetYear(std::string_view v) { year_ = trimControl(v); }
void TID3v2::SetGenre(std::string_view v) { genre_ = trimControl(v); }
void TID3v2::SetComment(std::string_view v) { comment_ = trimControl(v); }
void TID3v2::SetComposer(std::string_view v) { composer_ = trimControl(v); }
void TID3v2::SetEncoder(std::string_view v) { encoder_ = trimControl(v); }
void TID3v2::SetRights(std::string_view v) { rights_ = trimControl(v); }
void TID3v2::SetLanguage(std::string_view v) { language_ = trimControl(v); }
void TID3v2::SetLink(std::string_view v) { link_ = trimControl(v); }

bool TID3v2::Read(const std::string& path) {
  auto file = InputFile::open(path);
  if (!file) {
    Reset();
    return false;
  }
  return Read(*file);
}

bool TID3v2::Read(InputFile& in) {
  Reset();
  try {
    auto* file = &in;
    Bytes first;
    if (!file->readExact(0, 10, first)) return false;
    auto header = readHeader(*file);
    if (!header) return true;
    present_ = true;
    majorVersion_ = header->version;
    size_ = header->size;
    if (majorVersion_ < 2 || majorVersion_ > 4 || size_ == 0) return true;

    std::array<Bytes, kSlotCount> slots;
    const auto& ids = majorVersion_ == 2 ? kIds2 : kIds34;
    walkFrames(*file, *header, [&](const Frame& frame) {
      auto start = readableBodyStart(frame, majorVersion_);
      if (!start) return true;
      int64_t available = frame.bodyOffset + frame.bodySize - *start;
      if (available <= 0) return true;
      for (size_t s = 0; s < kSlotCount; ++s) {
        if (ids[s] != frame.id) continue;
        Bytes body = file->read(*start, std::min<int64_t>(available, kBodyLimit));
        if (!body.empty() && body[0] <= 3) slots[s] = std::move(body);
        break;
      }
      return true;
    });

    auto text = [&](Slot s) -> std::string {
      const Bytes& b = slots[s];
      return b.empty() ? std::string() : decodeText(b[0], ByteView(b).subspan(1));
    };
    auto described = [&](Slot s, size_t skip) -> std::string {
      const Bytes& b = slots[s];
      if (b.size() <= skip) return {};
      ByteView rest = ByteView(b).subspan(skip);
      rest = rest.subspan(skipTerminated(b[0], rest));
      // A link is always Latin-1 whatever its description's encoding.
      return decodeText(s == kLink ? 0 : b[0], rest);
    };
    title_ = text(kTitle);
    if (title_.empty()) title_ = text(kContentGroup);
    artist_ = text(kArtist);
    if (artist_.empty()) artist_ = text(kOriginalArtist);
    album_ = text(kAlbum);
    if (album_.empty()) album_ = text(kOriginalAlbum);
    trackText_ = text(kTrack);
    auto number = parseInteger(trackText_.substr(0, trackText_.find('/')));
    track_ = number && *number >= 0 && *number <= 0xFFFF ? static_cast<uint16_t>(*number) : 0;
    year_ = text(kYear);
    if (year_.empty()) year_ = utf8Prefix(text(kRecordingTime), 4);
    genre_ = genreText(text(kGenre));
    comment_ = described(kComment, 4);
    composer_ = text(kComposer);
    encoder_ = text(kEncoder);
    rights_ = text(kRights);
    language_ = text(kLanguage);
    link_ = described(kLink, 1);
    return true;
  } catch (const std::exception&) {
    Reset();
    return false;
  }
}

bool TID3v2::Write(const std::string& path) {
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    auto header = readHeader(*file);
    const int64_t existing = header ? header->size : 0;

    Bytes frames;
    auto textFrame = [&](Slot s, const std::string& value) {
      if (!value.empty()) appendFrame(frames, kIds34[s], 0, 0, textBody({}, value, false));
    };
    textFrame(kTitle, title_);
    textFrame(kArtist, artist_);
    textFrame(kAlbum, album_);
    if (track_ != 0) textFrame(kTrack, std::to_string(track_));
    textFrame(kYear, year_);
    textFrame(kGenre, genre_);
    if (!comment_.empty()) appendFrame(frames, kIds34[kComment], 0, 0, textBody("eng", comment_, true));
    textFrame(kComposer, composer_);
    textFrame(kEncoder, encoder_);
    textFrame(kRights, rights_);
    textFrame(kLanguage, language_);
    if (!link_.empty()) {
      Bytes body{0, 0};
      putText(body, utf8ToLatin1Lossy(link_));
      appendFrame(frames, kIds34[kLink], 0, 0, body);
    }
    if (header && existing > 0) {
      Bytes carried = carriedFrames(*file, *header);
      frames.insert(frames.end(), carried.begin(), carried.end());
    }

    const int64_t total = 10 + static_cast<int64_t>(frames.size());
    const bool rebuild = existing == 0 || existing < total || existing > kRebuildTagSize;
    const int64_t padding = rebuild ? kRebuildTagSize - total : existing - total;
    const int64_t sizeField = (padding > 0 ? total + padding : total) - 10;
    if (sizeField >= (int64_t(1) << 28)) return false;

    Bytes tag{'I', 'D', '3', 3, 0, 0};
    putSynchsafe(tag, static_cast<uint32_t>(sizeField));
    tag.insert(tag.end(), frames.begin(), frames.end());
    if (padding > 0) tag.resize(tag.size() + static_cast<size_t>(padding), 0);

    if (!rebuild) return overwriteInPlace(path, 0, tag);
    file.reset();
    return rewriteFile(path, [&](InputFile& in, std::ostream& out) {
      out.write(reinterpret_cast<const char*>(tag.data()), static_cast<std::streamsize>(tag.size()));
      return copyRange(in, existing, in.size(), out);
    });
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sondrel
