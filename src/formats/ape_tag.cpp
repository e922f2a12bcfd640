#include "formats/ape_tag.h"

#include <optional>

#include "formats/file_rewrite.h"
#include "formats/input_file.h"
#include "formats/text_encoding.h"

namespace sondrel {
namespace {

constexpr int64_t kFooterSize = 32;
constexpr size_t kValueLimit = 8193;
// Far above any real tag, cover art included; a footer claiming more is not
// read, so a crafted size cannot make us allocate gigabytes.
constexpr int64_t kReadableTagLimit = 64LL * 1024 * 1024;
constexpr uint32_t kHasHeader = 0x80000000u;
constexpr uint32_t kIsHeader = 0x20000000u;

struct Footer {
  int64_t fileSize = 0;
  int64_t id3v1Shift = 0;  // 128 when an ID3v1 tag follows
  Bytes bytes;             // the 32 footer bytes, empty when not readable
  bool present() const { return hasText(bytes, 0, "APETAGEX"); }
  uint32_t version() const { return le32(bytes, 8); }
  uint32_t size() const { return le32(bytes, 12); }
  uint32_t count() const { return le32(bytes, 16); }
  uint32_t flags() const { return le32(bytes, 20); }
  int64_t footerOffset() const { return fileSize - id3v1Shift - kFooterSize; }
  // Offset of the first item, or nothing when the size cannot be right.
  std::optional<int64_t> itemsOffset() const {
    int64_t start = fileSize - id3v1Shift - int64_t(size());
    if (size() < kFooterSize || start < 0) return std::nullopt;
    return start;
  }
};

std::optional<Footer> locateFooter(InputFile& file) {
  Footer f;
  f.fileSize = file.size();
  if (f.fileSize >= 129 && hasText(file.read(f.fileSize - 128, 3), 0, "TAG")) f.id3v1Shift = 128;
  if (f.footerOffset() <= 0) return std::nullopt;
  if (!file.readExact(f.footerOffset(), kFooterSize, f.bytes)) return std::nullopt;
  return f;
}

std::string itemText(ByteView stored) {
  // Several values are separated by zero bytes; the first one is shown.
  size_t end = 0;
  while (end < stored.size() && stored[end] != 0) ++end;
  std::string text = trimControl(legacyToUtf8(stored.first(end)));
  return utf8CutBytes(text, kValueLimit);
}

}  // namespace

void TAPETag::Reset() {
  present_ = false;
  version_ = 0;
  size_ = 0;
  items_.clear();
}

std::string TAPETag::GetField(std::string_view name) const {
  for (const auto& item : items_)
    if (equalsIgnoreCase(item.name, name)) return item.value;
  return {};
}

void TAPETag::AddField(std::string_view name, std::string_view value) {
  items_.push_back(Item{std::string(name), std::string(value), 0, {}, false});
}

void TAPETag::SetField(std::string_view name, std::string_view value) {
  for (auto& item : items_) {
    if (equalsIgnoreCase(item.name, name)) {
      item.value = value;
      item.flags &= ~uint32_t(0x06);  // now text
      item.storedValid = false;
      return;
    }
  }
  AddField(name, value);
}

bool TAPETag::Read(const std::string& path) {
  auto file = InputFile::open(path);
  if (!file) {
    Reset();
    return false;
  }
  return Read(*file);
}

bool TAPETag::Read(InputFile& in) {
  Reset();
  try {
    auto* file = &in;
    auto footer = locateFooter(*file);
    if (!footer) return false;
    if (!footer->present()) return true;
    present_ = true;
    version_ = footer->version();
    size_ = footer->size();
    auto start = footer->itemsOffset();
    if (!start || footer->size() > kReadableTagLimit) return true;
    Bytes region = file->read(*start, footer->footerOffset() - *start);
    ByteView r = region;
    size_t pos = 0;
    for (uint32_t i = 0; i < footer->count() && fits(r, pos, 9); ++i) {
      uint32_t length = le32(r, pos);
      uint32_t flags = le32(r, pos + 4);
      size_t nameStart = pos + 8, nameEnd = nameStart;
      while (nameEnd < r.size() && r[nameEnd] != 0) ++nameEnd;
      if (nameEnd >= r.size() || !fits(r, nameEnd + 1, length)) break;
      Item item;
      item.name = trimControl(legacyToUtf8(r.subspan(nameStart, nameEnd - nameStart)));
      ByteView stored = r.subspan(nameEnd + 1, length);
      item.stored.assign(stored.begin(), stored.end());
      item.storedValid = true;
      item.flags = flags;
      item.value = itemText(stored);
      items_.push_back(std::move(item));
      pos = nameEnd + 1 + length;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TAPETag::Write(const std::string& path) {
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    auto footer = locateFooter(*file);
    if (!footer) {
      // Too short to hold a footer: there is no tag to replace.
      footer = Footer{};
      footer->fileSize = file->size();
    }
    int64_t keepUntil = footer->fileSize - footer->id3v1Shift;
    if (footer->present()) {
      auto start = footer->itemsOffset();
      if (!start) return false;  // a footer whose size cannot be right: leave the file alone
      keepUntil = *start;
      // Remove the header only when it is really there.
      if ((footer->flags() & kHasHeader) && *start >= kFooterSize &&
          hasText(file->read(*start - kFooterSize, 8), 0, "APETAGEX"))
        keepUntil -= kFooterSize;
    }

    Bytes items;
    for (const auto& item : items_) {
      Bytes value;
      if (item.storedValid) {
        value = item.stored;
      } else {
        putText(value, item.value);
      }
      putLe32(items, static_cast<uint32_t>(value.size()));
      putLe32(items, item.storedValid ? item.flags : item.flags & ~uint32_t(0x06));
      putText(items, item.name);
      items.push_back(0);
      items.insert(items.end(), value.begin(), value.end());
    }
    const uint32_t tagSize = static_cast<uint32_t>(items.size() + kFooterSize);
    auto frame = [&](uint32_t flags) {
      Bytes b;
      putText(b, "APETAGEX");
      putLe32(b, 2000);
      putLe32(b, tagSize);
      putLe32(b, static_cast<uint32_t>(items_.size()));
      putLe32(b, flags);
      b.resize(b.size() + 8, 0);
      return b;
    };
    Bytes tag = frame(kHasHeader | kIsHeader);
    tag.insert(tag.end(), items.begin(), items.end());
    Bytes foot = frame(kHasHeader);
    tag.insert(tag.end(), foot.begin(), foot.end());
    if (footer->id3v1Shift) {
      Bytes id3v1 = file->read(footer->fileSize - 128, 128);
      tag.insert(tag.end(), id3v1.begin(), id3v1.end());
    }
    file.reset();
    bool ok = rewriteFile(path, [&](InputFile& in, std::ostream& out) {
      if (!copyRange(in, 0, keepUntil, out)) return false;
      out.write(reinterpret_cast<const char*>(tag.data()), static_cast<std::streamsize>(tag.size()));
      return static_cast<bool>(out);
    });
    if (ok) {
      present_ = true;
      version_ = 2000;
      size_ = tagSize;
    }
    return ok;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sondrel
