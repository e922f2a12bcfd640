#include "formats/ogg_page.h"

#include <array>
#include <numeric>

namespace sondrel {
namespace {

std::array<uint32_t, 256> makeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i << 24;
    for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
    table[i] = r;
  }
  return table;
}

}  // namespace

int64_t OggPage::bodySize() const { return std::accumulate(lacing.begin(), lacing.end(), int64_t(0)); }

uint32_t oggCrc(ByteView data, uint32_t crc) {
  static const auto table = makeCrcTable();
  for (uint8_t b : data) crc = (crc << 8) ^ table[((crc >> 24) ^ b) & 0xFF];
  return crc;
}

std::optional<OggPage> readOggPageHeader(InputFile& file, int64_t offset) {
  Bytes h;
  if (!file.readExact(offset, 27, h) || !hasText(h, 0, "OggS")) return std::nullopt;
  OggPage page;
  page.offset = offset;
  page.flags = h[5];
  page.granule = le64(h, 6);
  page.serial = le32(h, 14);
  page.sequence = le32(h, 18);
  if (!file.readExact(offset + 27, h[26], page.lacing)) return std::nullopt;
  return page;
}

Bytes renderOggPage(const OggPage& page, ByteView body) {
  Bytes out{'O', 'g', 'g', 'S', 0, page.flags};
  out.reserve(27 + page.lacing.size() + body.size());
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(page.granule >> (8 * i)));
  putLe32(out, page.serial);
  putLe32(out, page.sequence);
  putLe32(out, 0);
  out.push_back(static_cast<uint8_t>(page.lacing.size()));
  out.insert(out.end(), page.lacing.begin(), page.lacing.end());
  out.insert(out.end(), body.begin(), body.end());
  uint32_t crc = oggCrc(out);
  for (int i = 0; i < 4; ++i) out[22 + i] = static_cast<uint8_t>(crc >> (8 * i));
  return out;
}

std::vector<Bytes> readOggPackets(InputFile& file, int64_t offset, size_t wanted, int64_t maxBytes,
                                  int64_t& next, int& pagesUsed, bool& endsOnPageBoundary) {
  std::vector<Bytes> packets;
  Bytes current;
  int64_t total = 0;
  pagesUsed = 0;
  endsOnPageBoundary = false;
  next = offset;
  std::optional<uint32_t> serial;
  while (packets.size() < wanted) {
    auto page = readOggPageHeader(file, next);
    if (!page || (serial && page->serial != *serial)) break;
    serial = page->serial;
    Bytes body;
    if (!file.readExact(next + page->headerSize(), page->bodySize(), body)) break;
    ++pagesUsed;
    next += page->totalSize();
    size_t pos = 0;
    for (size_t i = 0; i < page->lacing.size(); ++i) {
      uint8_t lace = page->lacing[i];
      total += lace;
      if (total > maxBytes) return packets;
      current.insert(current.end(), body.begin() + static_cast<std::ptrdiff_t>(pos),
                     body.begin() + static_cast<std::ptrdiff_t>(pos + lace));
      pos += lace;
      if (lace < 255) {
        packets.push_back(std::move(current));
        current.clear();
        if (packets.size() == wanted) {
          endsOnPageBoundary = i + 1 == page->lacing.size();
          return packets;
        }
      }
    }
  }
  return packets;
}

uint64_t lastOggGranule(InputFile& file, int64_t dataStart) {
  // Pages are at most about 64 KiB, but the last one normally lies within the
  // final few kilobytes; that is where we look.
  constexpr int64_t kSearch = 50 * 241 + 10;
  int64_t from = std::max(dataStart, file.size() - kSearch);
  Bytes tail = file.read(from, file.size() - from);
  ByteView t = tail;
  for (size_t i = tail.size() >= 27 ? tail.size() - 27 + 1 : 0; i-- > 0;) {
    if (!hasText(t, i, "OggS") || t[i + 4] != 0) continue;
    uint64_t granule = le64(t, i + 6);
    // A page on which no packet ends carries -1; look further back.
    if (granule == ~uint64_t(0)) continue;
    return granule;
  }
  return 0;
}

}  // namespace sondrel
