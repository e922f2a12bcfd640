#include "formats/vorbis_comment.h"

#include "formats/text_encoding.h"

namespace sondrel {

void TVorbisComment::Reset() {
  vendor_.clear();
  items_.clear();
  endOffset_ = 0;
}

bool TVorbisComment::Parse(ByteView block) {
  Reset();
  size_t pos = hasText(block, 0, "\x03vorbis") ? 7 : 0;
  uint32_t vendorLength = le32(block, pos);
  if (!fits(block, pos + 4, vendorLength)) return false;
  vendor_ = legacyToUtf8(block.subspan(pos + 4, vendorLength));
  pos += 4 + vendorLength;
  if (!fits(block, pos, 4)) return false;
  uint32_t count = le32(block, pos);
  pos += 4;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t length = le32(block, pos);
    if (!fits(block, pos, 4) || !fits(block, pos + 4, length)) return false;
    std::string item = legacyToUtf8(block.subspan(pos + 4, length));
    pos += 4 + length;
    auto eq = item.find('=');
    if (eq == std::string::npos)
      items_.emplace_back(item, std::string());
    else
      items_.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    endOffset_ = pos;
  }
  endOffset_ = pos;
  return true;
}

std::string TVorbisComment::Field(std::string_view name) const {
  for (const auto& [key, value] : items_)
    if (equalsIgnoreCase(key, name)) return value;
  return {};
}

std::string TVorbisComment::Artist() const {
  auto v = Field("ARTIST");
  return v.empty() ? Field("PERFORMER") : v;
}

std::string TVorbisComment::Comment() const {
  auto v = Field("COMMENT");
  return v.empty() ? Field("DESCRIPTION") : v;
}

uint8_t TVorbisComment::Track() const { return TrackNumberValue(Field("TRACKNUMBER")); }

uint8_t TrackNumberValue(std::string_view text) {
  auto number = parseInteger(text.substr(0, text.find('/')));
  return number && *number >= 0 && *number <= 255 ? static_cast<uint8_t>(*number) : 0;
}

Bytes TVorbisComment::Render(std::string_view vendor, const Items& items, bool vorbisPacket) {
  Bytes out;
  if (vorbisPacket) putText(out, "\x03vorbis");
  putLe32(out, static_cast<uint32_t>(vendor.size()));
  putText(out, vendor);
  putLe32(out, static_cast<uint32_t>(items.size()));
  for (const auto& [key, value] : items) {
    putLe32(out, static_cast<uint32_t>(key.size() + 1 + value.size()));
    putText(out, key);
    out.push_back('=');
    putText(out, value);
  }
  if (vorbisPacket) out.push_back(1);
  return out;
}

}  // namespace sondrel
