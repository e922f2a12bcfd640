// The three tags that many formats carry: ID3v2 in front, APE and ID3v1 at
// the end. Readers of those formats own one set each.
#pragma once

#include <string>

#include "formats/ape_tag.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"

namespace sondrel {

class TagSet {
 public:
  void Reset() {
    id3v1.Reset();
    id3v2.Reset();
    ape.Reset();
  }
  // True only when all three reads succeed.
  bool Read(InputFile& file, const std::string& path) {
    bool ok = id3v2.Read(file);
    ok = id3v1.Read(file, path) && ok;
    return ape.Read(file) && ok;
  }
  // Bytes of the ID3v1 tag, its Lyrics3 block and the APE tag at the end.
  int64_t TrailingSize() const {
    return id3v1.TagTotalSize() + (ape.Present() ? static_cast<int64_t>(ape.Size()) : 0);
  }

  TID3v1 id3v1;
  TID3v2 id3v2;
  TAPETag ape;
};

}  // namespace sondrel
