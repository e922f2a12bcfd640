#include "byte_fixtures.h"

#include <fstream>
#include <iterator>

#include "formats/ogg_page.h"

namespace sondrel::test {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string le16s(uint16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
std::string le32s(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)}; }
std::string be32s(uint32_t v) { return {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)}; }
std::string be24s(uint32_t v) { return {char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)}; }
std::string synchsafe(uint32_t v) {
  return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}

std::string id3v1Tag(const std::string& title, const std::string& artist, const std::string& album,
                     const std::string& year, const std::string& comment30, uint8_t genre) {
  auto field = [](const std::string& s, size_t n) { return (s + std::string(n, '\0')).substr(0, n); };
  return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) + field(comment30, 30) +
         std::string(1, char(genre));
}

std::string id3v2Frame(int version, const std::string& id, const std::string& body, uint8_t formatFlags) {
  if (version == 2) return id + be24s(static_cast<uint32_t>(body.size())) + body;
  std::string size = version == 4 ? synchsafe(static_cast<uint32_t>(body.size())) : be32s(static_cast<uint32_t>(body.size()));
  return id + size + std::string(1, '\0') + std::string(1, char(formatFlags)) + body;
}

std::string id3v2Tag(int version, const std::string& frames, size_t padding, uint8_t flags) {
  return std::string("ID3") + char(version) + '\0' + char(flags) +
         synchsafe(static_cast<uint32_t>(frames.size() + padding)) + frames + std::string(padding, '\0');
}

std::string apeTag(const std::vector<std::pair<std::string, std::string>>& items, uint32_t version, bool withHeader) {
  std::string body;
  for (const auto& [name, value] : items) body += le32s(static_cast<uint32_t>(value.size())) + le32s(0) + name + '\0' + value;
  auto frame = [&](uint32_t flags) {
    return "APETAGEX" + le32s(version) + le32s(static_cast<uint32_t>(body.size() + 32)) +
           le32s(static_cast<uint32_t>(items.size())) + le32s(flags) + std::string(8, '\0');
  };
  std::string out;
  if (withHeader) out += frame(0xA0000000u);
  return out + body + frame(withHeader ? 0x80000000u : 0);
}

std::string flacBlock(int type, bool last, const std::string& body) {
  return std::string(1, char((last ? 0x80 : 0) | type)) + be24s(static_cast<uint32_t>(body.size())) + body;
}

std::string flacStreamInfo(int sampleRate, int channels, int bits, uint64_t samples) {
  std::string b(34, '\0');
  b[0] = 0x10;  // min/max block size 4096
  b[2] = 0x10;
  uint64_t packed = (uint64_t(sampleRate) << 44) | (uint64_t(channels - 1) << 41) | (uint64_t(bits - 1) << 36) |
                    (samples & 0xFFFFFFFFFull);
  for (int i = 0; i < 8; ++i) b[10 + i] = char((packed >> (56 - 8 * i)) & 0xFF);
  return b;
}

std::string oggPage(uint32_t serial, uint32_t sequence, uint64_t granule, uint8_t flags,
                    const std::vector<std::string>& packets) {
  OggPage page;
  page.serial = serial;
  page.sequence = sequence;
  page.granule = granule;
  page.flags = flags;
  Bytes body;
  for (const auto& p : packets) {
    size_t n = p.size();
    while (n >= 255) {
      page.lacing.push_back(255);
      n -= 255;
    }
    page.lacing.push_back(static_cast<uint8_t>(n));
    body.insert(body.end(), p.begin(), p.end());
  }
  Bytes out = renderOggPage(page, body);
  return {out.begin(), out.end()};
}

std::string vorbisIdentification(int channels, uint32_t sampleRate, int32_t nominalBitRate) {
  return std::string("\x01vorbis", 7) + le32s(0) + char(channels) + le32s(sampleRate) + le32s(0) +
         le32s(static_cast<uint32_t>(nominalBitRate)) + le32s(0) + char(0xB8) + char(1);
}

std::string mpegFrame(const std::string& header4, size_t length) {
  std::string f = header4;
  f.resize(length, '\0');
  return f;
}

}  // namespace sondrel::test
