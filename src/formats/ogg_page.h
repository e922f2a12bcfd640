// Ogg pages: reading them from a file, their checksum, and laying packets out
// into new pages.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "formats/bytes.h"
#include "formats/input_file.h"

namespace sondrel {

struct OggPage {
  int64_t offset = 0;
  uint8_t flags = 0;  // 1 continued packet, 2 first page, 4 last page
  uint64_t granule = 0;
  uint32_t serial = 0;
  uint32_t sequence = 0;
  std::vector<uint8_t> lacing;
  int64_t headerSize() const { return 27 + static_cast<int64_t>(lacing.size()); }
  int64_t bodySize() const;
  int64_t totalSize() const { return headerSize() + bodySize(); }
};

// The page header at `offset`, or nothing when no whole header is there.
std::optional<OggPage> readOggPageHeader(InputFile& file, int64_t offset);

// Ogg's CRC-32 (polynomial 0x04C11DB7, no reflection, start 0, no final xor).
uint32_t oggCrc(ByteView data, uint32_t crc = 0);

// Header and body of a page with its checksum filled in.
Bytes renderOggPage(const OggPage& page, ByteView body);

// Reads the packets that start at `page` (its first packet must begin on it)
// until `wanted` packets are complete; continues over following pages. Stops
// at `maxBytes` of packet data or a broken page. Returns the complete packets
// and sets `next` to the offset of the page after the last one used.
std::vector<Bytes> readOggPackets(InputFile& file, int64_t offset, size_t wanted, int64_t maxBytes,
                                  int64_t& next, int& pagesUsed, bool& endsOnPageBoundary);

// The granule position of the last page in the final part of the file, or 0.
uint64_t lastOggGranule(InputFile& file, int64_t dataStart);

}  // namespace sondrel
