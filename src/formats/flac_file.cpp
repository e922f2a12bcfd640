#include "formats/flac_file.h"

#include "formats/file_rewrite.h"
#include "formats/input_file.h"
#include "formats/text_encoding.h"
#include "formats/vorbis_comment.h"

namespace sondrel {
namespace {

constexpr int kStreamInfo = 0, kPadding = 1, kVorbisComment = 4, kPicture = 6;
constexpr int64_t kRebuildPadding = 4096;
constexpr int64_t kMaxBlockLength = 0xFFFFFF;
constexpr std::string_view kDefaultVendor = "reference libFLAC 1.1.0 20030126";

int fieldIndex(std::string_view name) {
  for (size_t i = 0; i < TFLACfile::kFieldNames.size(); ++i)
    if (equalsIgnoreCase(TFLACfile::kFieldNames[i], name)) return static_cast<int>(i);
  return -1;
}

Bytes blockHeader(int type, bool last, int64_t length) {
  Bytes h;
  h.push_back(static_cast<uint8_t>((last ? 0x80 : 0) | type));
  h.push_back(static_cast<uint8_t>(length >> 16));
  h.push_back(static_cast<uint8_t>(length >> 8));
  h.push_back(static_cast<uint8_t>(length));
  return h;
}

}  // namespace

void TFLACfile::resetStream() {
  id3v2_.Reset();
  sampleRate_ = channels_ = bitsPerSample_ = 0;
  samples_ = 0;
  fileSize_ = 0;
  streamStart_ = streamInfoEnd_ = audioOffset_ = 0;
  signature_ = false;
  metadataValid_ = false;
  blocks_.clear();
}

void TFLACfile::Reset() {
  resetStream();
  for (auto& f : fields_) f.clear();
  extras_.clear();
  vendor_.clear();
  hasComments_ = false;
}

const std::string& TFLACfile::GetTag(std::string_view name) const {
  static const std::string kEmpty;
  int i = fieldIndex(name);
  return i < 0 ? kEmpty : fields_[static_cast<size_t>(i)];
}

void TFLACfile::SetTag(std::string_view name, std::string_view value) {
  int i = fieldIndex(name);
  if (i >= 0) fields_[static_cast<size_t>(i)] = value;
}

bool TFLACfile::Read(const std::string& path) {
  Reset();
  return readStream(path, true) && Valid();
}

bool TFLACfile::readStream(const std::string& path, bool parseComments) {
  resetStream();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    id3v2_.Read(*file);
    fileSize_ = file->size();
    streamStart_ = ID3v2TagSize(*file);
    Bytes head;
    if (!file->readExact(streamStart_, 42, head) || !hasText(head, 0, "fLaC")) return true;
    signature_ = true;
    if ((head[4] & 0x7F) != kStreamInfo) return true;
    const int64_t infoLength = be24(head, 5);
    if (infoLength < 34) return true;
    ByteView info = ByteView(head).subspan(8);
    sampleRate_ = static_cast<int>(be24(info, 10) >> 4);
    channels_ = ((info[12] >> 1) & 7) + 1;
    bitsPerSample_ = (((info[12] & 1) << 4) | (info[13] >> 4)) + 1;
    samples_ = (uint64_t(info[13] & 0x0F) << 32) | be32(info, 14);
    streamInfoEnd_ = streamStart_ + 8 + infoLength;
    int64_t pos = streamInfoEnd_;
    bool last = head[4] & 0x80;
    bool commentsSeen = false;
    while (!last) {
      Bytes h;
      if (!file->readExact(pos, 4, h)) return true;  // metadata runs past the end
      last = h[0] & 0x80;
      const int type = h[0] & 0x7F;
      const int64_t length = be24(h, 1);
      if (type > kPicture) {
        samples_ = 0;  // not a FLAC stream we understand
        return true;
      }
      if (pos + 4 + length > fileSize_) return true;
      blocks_.push_back(Block{type, pos, length});
      if (type == kVorbisComment && parseComments && !commentsSeen) {
        commentsSeen = true;
        TVorbisComment comments;
        comments.Parse(file->read(pos + 4, length));
        vendor_ = comments.Vendor();
        std::array<bool, kFieldNames.size()> filled{};
        for (const auto& item : comments.ItemList()) {
          int i = fieldIndex(item.first);
          if (i >= 0 && !filled[static_cast<size_t>(i)]) {
            filled[static_cast<size_t>(i)] = true;
            fields_[static_cast<size_t>(i)] = item.second;
          } else {
            extras_.push_back(item);
          }
        }
        hasComments_ = comments.HasComments();
      }
      pos += 4 + length;
    }
    audioOffset_ = pos;
    metadataValid_ = true;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TFLACfile::Valid() const {
  return signature_ && metadataValid_ && channels_ > 0 && sampleRate_ > 0 && bitsPerSample_ > 0 && samples_ > 0;
}

double TFLACfile::Ratio() const {
  double pcm = double(samples_) * channels_ * bitsPerSample_ / 8;
  return pcm > 0 ? double(fileSize_) / pcm * 100 : 0;
}

std::string TFLACfile::ChannelModeName() const {
  if (channels_ == 1) return "Mono";
  if (channels_ == 2) return "Stereo";
  return "Multi Channel";
}

bool TFLACfile::Write(const std::string& path, bool allFields) {
  try {
    if (!readStream(path, false) || !Valid()) return false;

    TVorbisComment::Items items;
    const size_t firstFields = 20;
    auto add = [&](size_t i) {
      if (!fields_[i].empty()) items.emplace_back(std::string(kFieldNames[i]), fields_[i]);
    };
    for (size_t i = 0; i < firstFields; ++i) add(i);
    if (allFields) {
      for (size_t i = 21; i < kFieldNames.size(); ++i) add(i);
      add(20);  // LYRICS after the others
      for (const auto& extra : extras_)
        if (!trimControl(extra.first).empty()) items.push_back(extra);
    }
    Bytes body = TVorbisComment::Render(vendor_.empty() ? kDefaultVendor : std::string_view(vendor_), items, false);
    if (static_cast<int64_t>(body.size()) > kMaxBlockLength) return false;

    // The new metadata: every block but comments and padding, in file order,
    // with the new comment block where the old one stood (else at the end),
    // then one padding block.
    auto file = InputFile::open(path);
    if (!file) return false;
    Bytes blocks;
    bool commentPlaced = false;
    for (const auto& block : blocks_) {
      if (block.type == kPadding) continue;
      if (block.type == kVorbisComment) {
        if (commentPlaced) continue;
        commentPlaced = true;
        Bytes h = blockHeader(kVorbisComment, false, static_cast<int64_t>(body.size()));
        blocks.insert(blocks.end(), h.begin(), h.end());
        blocks.insert(blocks.end(), body.begin(), body.end());
        continue;
      }
      Bytes raw;
      if (!file->readExact(block.offset, 4 + block.length, raw)) return false;
      raw[0] &= 0x7F;
      blocks.insert(blocks.end(), raw.begin(), raw.end());
    }
    if (!commentPlaced) {
      Bytes h = blockHeader(kVorbisComment, false, static_cast<int64_t>(body.size()));
      blocks.insert(blocks.end(), h.begin(), h.end());
      blocks.insert(blocks.end(), body.begin(), body.end());
    }
    const int64_t available = audioOffset_ - streamInfoEnd_;
    const int64_t needed = static_cast<int64_t>(blocks.size()) + 4;
    const bool inPlace = needed <= available && available - needed <= kMaxBlockLength;
    const int64_t padding = inPlace ? available - needed : kRebuildPadding;
    Bytes padHeader = blockHeader(kPadding, true, padding);
    blocks.insert(blocks.end(), padHeader.begin(), padHeader.end());
    blocks.resize(blocks.size() + static_cast<size_t>(padding), 0);

    Bytes infoHeader;
    if (!file->readExact(streamStart_ + 4, 1, infoHeader)) return false;
    infoHeader[0] &= 0x7F;  // blocks follow STREAMINFO now
    bool ok;
    if (inPlace) {
      Bytes region = infoHeader;
      file.reset();
      ok = overwriteInPlace(path, streamStart_ + 4, region) && overwriteInPlace(path, streamInfoEnd_, blocks);
    } else {
      const int64_t infoHeaderAt = streamStart_ + 4, infoEnd = streamInfoEnd_, audio = audioOffset_;
      file.reset();
      ok = rewriteFile(path, [&](InputFile& in, std::ostream& out) {
        if (!copyRange(in, 0, infoHeaderAt, out)) return false;
        out.put(static_cast<char>(infoHeader[0]));
        if (!copyRange(in, infoHeaderAt + 1, infoEnd, out)) return false;
        out.write(reinterpret_cast<const char*>(blocks.data()), static_cast<std::streamsize>(blocks.size()));
        return copyRange(in, audio, in.size(), out);
      });
    }
    if (ok) hasComments_ = !items.empty();
    return ok;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sondrel
