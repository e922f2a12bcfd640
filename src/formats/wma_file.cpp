#include "formats/wma_file.h"

#include <array>

#include "formats/bytes.h"
#include "formats/input_file.h"
#include "formats/text_encoding.h"

namespace sondrel {
namespace {

using Guid = std::array<uint8_t, 16>;

// GUIDs as stored: the first three groups little-endian.
constexpr Guid kHeader = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                          0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                  0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kStreamProperties = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                    0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kAudioMedia = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                              0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
constexpr Guid kContentDescription = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                      0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

bool isGuid(ByteView b, size_t off, const Guid& guid) {
  return fits(b, off, 16) && std::equal(guid.begin(), guid.end(), b.begin() + static_cast<std::ptrdiff_t>(off));
}

std::string utf16Field(ByteView b, size_t& pos, size_t length) {
  ByteView raw = sub(b, pos, length);
  pos += length;
  std::string text = utf16ToUtf8(raw, false);
  auto zero = text.find('\0');
  return trimControl(zero == std::string::npos ? text : text.substr(0, zero));
}

// Objects in the header are read up to this size; audio streams keep their
// properties small, and the header holds nothing larger that we use.
constexpr int64_t kMaxObject = 1 << 20;

}  // namespace

void TWMAfile::Reset() {
  channels_ = sampleRate_ = 0;
  maxBitRate_ = bytesPerSecond_ = 0;
  fileSize_ = 0;
  title_.clear();
  author_.clear();
  copyright_.clear();
  description_.clear();
}

bool TWMAfile::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    fileSize_ = file->size();
    Bytes head;
    if (!file->readExact(0, 30, head) || !isGuid(head, 0, kHeader)) return true;
    const int64_t headerEnd = std::min<int64_t>(int64_t(le64(head, 16) & 0x7FFFFFFFFFFFFFFF), fileSize_);
    const uint32_t objects = le32(head, 24);
    int64_t pos = 30;
    bool audioSeen = false;
    for (uint32_t i = 0; i < objects && pos + 24 <= headerEnd; ++i) {
      Bytes objectHead;
      if (!file->readExact(pos, 24, objectHead)) break;
      const int64_t size = le32(objectHead, 16);
      if (size < 24) break;
      if (isGuid(objectHead, 0, kFileProperties)) {
        maxBitRate_ = le32(file->read(pos + 100, 4), 0);
      } else if (isGuid(objectHead, 0, kStreamProperties) && !audioSeen) {
        Bytes o = file->read(pos, std::min<int64_t>(size, 90));
        if (isGuid(o, 24, kAudioMedia)) {
          audioSeen = true;
          channels_ = le16(o, 80);
          sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(o, 82), 0x7FFFFFFF));
          bytesPerSecond_ = le32(o, 86);
        }
      } else if (isGuid(objectHead, 0, kContentDescription)) {
        Bytes o = file->read(pos, std::min(size, kMaxObject));
        size_t p = 34;
        uint16_t lengths[5] = {le16(o, 24), le16(o, 26), le16(o, 28), le16(o, 30), le16(o, 32)};
        title_ = utf16Field(o, p, lengths[0]);
        author_ = utf16Field(o, p, lengths[1]);
        copyright_ = utf16Field(o, p, lengths[2]);
        description_ = utf16Field(o, p, lengths[3]);
      }
      pos += size;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TWMAfile::Valid() const {
  return maxBitRate_ > 0 && maxBitRate_ < 320000 && (channels_ == 1 || channels_ == 2) && sampleRate_ >= 8000 &&
         sampleRate_ <= 96000 && bytesPerSecond_ > 0 && bytesPerSecond_ < 40000;
}

int TWMAfile::BitRate() const { return Valid() ? static_cast<int>(bytesPerSecond_ * 8 / 1000) : 0; }

double TWMAfile::Duration() const { return Valid() ? double(fileSize_) * 8 / maxBitRate_ : 0; }

std::string TWMAfile::ChannelModeName() const {
  switch (channels_) {
    case 1: return "Mono";
    case 2: return "Stereo";
    default: return "Unknown";
  }
}

}  // namespace sondrel
