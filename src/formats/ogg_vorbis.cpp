#include "formats/ogg_vorbis.h"

#include <cmath>
#include <fstream>

#include "formats/file_rewrite.h"
#include "formats/input_file.h"
#include "formats/ogg_page.h"
#include "formats/text_encoding.h"

namespace sondrel {
namespace {

// Header packets of a Vorbis stream are read whole up to this size; a cover
// image in the comments can make them large, the file itself bounds them too.
constexpr int64_t kMaxHeaderBytes = 64 << 20;

constexpr std::string_view kMappedNames[] = {"TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE",
                                             "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

bool isMapped(std::string_view name) {
  for (auto m : kMappedNames)
    if (equalsIgnoreCase(m, name)) return true;
  return false;
}

// Lays the packets out as pages from sequence number `firstSequence` on,
// as many lacing values to a page as fit.
std::vector<Bytes> paginate(const std::vector<Bytes>& packets, uint32_t serial, uint32_t firstSequence) {
  std::vector<Bytes> pages;
  OggPage page;
  page.serial = serial;
  page.sequence = firstSequence;
  Bytes body;
  bool startsContinued = false;
  bool packetEnded = false;
  auto flush = [&](bool nextContinued) {
    page.flags = startsContinued ? 1 : 0;
    page.granule = packetEnded ? 0 : ~uint64_t(0);
    pages.push_back(renderOggPage(page, body));
    ++page.sequence;
    page.lacing.clear();
    body.clear();
    packetEnded = false;
    startsContinued = nextContinued;
  };
  for (const auto& packet : packets) {
    size_t pos = 0;
    while (true) {
      if (page.lacing.size() == 255) flush(pos > 0);
      auto lace = static_cast<uint8_t>(std::min<size_t>(packet.size() - pos, 255));
      page.lacing.push_back(lace);
      body.insert(body.end(), packet.begin() + static_cast<std::ptrdiff_t>(pos),
                  packet.begin() + static_cast<std::ptrdiff_t>(pos + lace));
      pos += lace;
      if (lace < 255) {
        packetEnded = true;
        break;
      }
    }
  }
  if (!page.lacing.empty()) flush(false);
  return pages;
}

int averageKbps(int64_t bytes, double duration) {
  return duration > 0 ? static_cast<int>(std::nearbyint(double(bytes) / duration / 125)) : 0;
}

}  // namespace

void TOggVorbis::Reset() {
  id3v2_.Reset();
  channels_ = 0;
  sampleRate_ = 0;
  nominalBitRate_ = 0;
  samples_ = 0;
  fileSize_ = 0;
  id3v2Size_ = 0;
  title_.clear();
  artist_.clear();
  album_.clear();
  year_.clear();
  genre_.clear();
  comment_.clear();
  vendor_.clear();
  track_ = 0;
  hasComments_ = false;
}

bool TOggVorbis::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file || !id3v2_.Read(*file)) return false;
    fileSize_ = file->size();
    id3v2Size_ = ID3v2TagSize(*file);
    auto first = readOggPageHeader(*file, id3v2Size_);
    if (!first) return true;
    Bytes ident = file->read(first->offset + first->headerSize(), 30);
    if (!hasText(ident, 0, "\x01vorbis")) return true;
    channels_ = ident[11];
    sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(ident, 12), 0x7FFFFFFF));
    nominalBitRate_ = static_cast<int>(static_cast<int32_t>(le32(ident, 20)) / 1000);

    int64_t next = 0;
    int pages = 0;
    bool boundary = false;
    auto packets = readOggPackets(*file, first->offset + first->totalSize(), 1, kMaxHeaderBytes, next, pages, boundary);
    TVorbisComment comments;
    if (!packets.empty() && hasText(packets[0], 0, "\x03vorbis")) comments.Parse(packets[0]);
    title_ = comments.Title();
    artist_ = comments.Artist();
    album_ = comments.Album();
    track_ = comments.Track();
    year_ = comments.Year();
    genre_ = comments.Genre();
    comment_ = comments.Comment();
    vendor_ = comments.Vendor();
    hasComments_ = comments.HasComments();

    samples_ = lastOggGranule(*file, id3v2Size_);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

double TOggVorbis::Duration() const {
  if (samples_ > 0 && sampleRate_ > 0) return double(samples_) / sampleRate_;
  if (nominalBitRate_ > 0 && channels_ > 0)
    return double(fileSize_ - id3v2Size_) / nominalBitRate_ / channels_ / 125 * 2;
  return 0;
}

int TOggVorbis::BitRate() const { return averageKbps(fileSize_ - id3v2Size_, Duration()); }

bool TOggVorbis::Valid() const {
  return (channels_ == 1 || channels_ == 2 || channels_ == 6) && sampleRate_ >= 1 && Duration() > 0.1 &&
         static_cast<uint16_t>(BitRate()) != 0;
}

std::string TOggVorbis::ChannelModeName() const {
  switch (channels_) {
    case 0: return "Unknown";
    case 1: return "Mono";
    case 2: return "Stereo";
    default: return "Multichannel";
  }
}

bool TOggVorbis::Write(const std::string& path) {
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    const int64_t start = ID3v2TagSize(*file);
    auto first = readOggPageHeader(*file, start);
    if (!first) return false;
    const int64_t headerStart = first->offset + first->totalSize();
    int64_t audioStart = 0;
    int oldPages = 0;
    bool boundary = false;
    auto packets = readOggPackets(*file, headerStart, 2, kMaxHeaderBytes, audioStart, oldPages, boundary);
    // Both header packets must be whole and end a page, or the pages after
    // them could not be kept as they are.
    if (packets.size() != 2 || !boundary || !hasText(packets[0], 0, "\x03vorbis")) return false;
    auto second = readOggPageHeader(*file, headerStart);
    if (!second || second->serial != first->serial) return false;

    TVorbisComment old;
    if (!old.Parse(packets[0])) return false;
    TVorbisComment::Items items;
    auto put = [&](std::string_view name, const std::string& value) {
      std::string v = trimControl(value);
      if (!v.empty()) items.emplace_back(std::string(name), v);
    };
    put("TITLE", title_);
    put("ARTIST", artist_);
    put("ALBUM", album_);
    put("TRACKNUMBER", track_ ? std::to_string(track_) : std::string());
    put("DATE", year_);
    put("GENRE", genre_);
    put("COMMENT", comment_);
    // Items this class does not manage stay in the file.
    for (const auto& item : old.ItemList())
      if (!isMapped(item.first)) items.push_back(item);
    Bytes comment = TVorbisComment::Render(old.Vendor(), items, true);
    comment.pop_back();  // the old packet's own tail (framing byte) follows
    comment.insert(comment.end(), packets[0].begin() + static_cast<std::ptrdiff_t>(old.EndOffset()), packets[0].end());

    auto newPages = paginate({comment, packets[1]}, second->serial, second->sequence);
    const int64_t shift = static_cast<int64_t>(newPages.size()) - oldPages;
    const uint32_t serial = second->serial;
    file.reset();
    bool ok = rewriteFile(path, [&](InputFile& in, std::ostream& out) {
      if (!copyRange(in, 0, headerStart, out)) return false;
      for (const auto& p : newPages) out.write(reinterpret_cast<const char*>(p.data()), static_cast<std::streamsize>(p.size()));
      if (shift == 0) return copyRange(in, audioStart, in.size(), out);
      // Later pages of this stream move by the change in page count.
      int64_t pos = audioStart;
      while (pos < in.size()) {
        auto page = readOggPageHeader(in, pos);
        if (!page || pos + page->totalSize() > in.size()) return copyRange(in, pos, in.size(), out);
        Bytes body;
        if (!in.readExact(pos + page->headerSize(), page->bodySize(), body)) return false;
        if (page->serial == serial) {
          page->sequence = static_cast<uint32_t>(page->sequence + shift);
          Bytes rendered = renderOggPage(*page, body);
          out.write(reinterpret_cast<const char*>(rendered.data()), static_cast<std::streamsize>(rendered.size()));
        } else if (!copyRange(in, pos, pos + page->totalSize(), out)) {
          return false;
        }
        pos += page->totalSize();
      }
      return static_cast<bool>(out);
    });
    if (ok) {
      hasComments_ = !items.empty();
      vendor_ = old.Vendor();
    }
    return ok;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sondrel
