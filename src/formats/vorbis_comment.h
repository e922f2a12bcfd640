// The Vorbis comment block: the tag of Ogg Vorbis, Speex and FLAC files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/bytes.h"

namespace sondrel {

class TVorbisComment {
 public:
  using Items = std::vector<std::pair<std::string, std::string>>;

  TVorbisComment() { Reset(); }
  void Reset();
  // Parses a comment block, with or without the Ogg Vorbis packet prefix
  // (0x03 "vorbis"). False when the block is cut short; what was read stays.
  bool Parse(ByteView block);

  const std::string& Vendor() const { return vendor_; }
  const Items& ItemList() const { return items_; }
  bool HasComments() const { return !items_.empty(); }
  // Bytes of the parsed block after its last item (the Ogg framing byte).
  size_t EndOffset() const { return endOffset_; }

  // Value of the first item with this name, ignoring letter case.
  std::string Field(std::string_view name) const;
  std::string Title() const { return Field("TITLE"); }
  std::string Artist() const;   // ARTIST, or PERFORMER when that is empty
  std::string Album() const { return Field("ALBUM"); }
  std::string Year() const { return Field("DATE"); }
  std::string Genre() const { return Field("GENRE"); }
  std::string Comment() const;  // COMMENT, or DESCRIPTION when that is empty
  uint8_t Track() const;        // number before "/" of TRACKNUMBER, 0 when none

  // The block's bytes: vendor, count and items, with the Ogg Vorbis prefix
  // and framing byte when `vorbisPacket` is set.
  static Bytes Render(std::string_view vendor, const Items& items, bool vorbisPacket);

 private:
  std::string vendor_;
  Items items_;
  size_t endOffset_ = 0;
};

// TRACKNUMBER text to a number: the part before "/", 0 when not a number.
uint8_t TrackNumberValue(std::string_view text);

}  // namespace sondrel
