#include "formats/speex.h"

#include <cmath>

#include "formats/input_file.h"
#include "formats/ogg_page.h"

namespace sondrel {
namespace {
// The comment packet is looked for on the next ten pages at most.
constexpr int64_t kMaxCommentBytes = 10 * 255 * 255;
}  // namespace

void TSpeex::Reset() {
  comments_.Reset();
  channels_ = 0;
  sampleRate_ = 0;
  nominalBitRate_ = 0;
  samples_ = 0;
  fileSize_ = 0;
}

bool TSpeex::Read(const std::string& path) {
  Reset();
  try {
    auto file = InputFile::open(path);
    if (!file) return false;
    fileSize_ = file->size();
    int64_t next = 0;
    int pages = 0;
    bool boundary = false;
    auto first = readOggPackets(*file, 0, 1, 255 * 255, next, pages, boundary);
    if (first.empty()) return false;
    const Bytes& header = first[0];
    if (hasText(header, 0, "\x01vorbis")) {
      channels_ = u8(header, 11);
      sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(header, 12), 0x7FFFFFFF));
      nominalBitRate_ = static_cast<int>(std::nearbyint(static_cast<int32_t>(le32(header, 20)) / 1000.0));
    } else if (hasText(header, 0, "Speex   ")) {
      sampleRate_ = static_cast<int>(std::min<uint32_t>(le32(header, 36), 0x7FFFFFFF));
      channels_ = static_cast<int>(std::min<uint32_t>(le32(header, 48), 0x7FFFFFFF));
    } else {
      return false;
    }
    auto comment = readOggPackets(*file, next, 1, kMaxCommentBytes, next, pages, boundary);
    if (!comment.empty()) comments_.Parse(comment[0]);
    samples_ = lastOggGranule(*file, 0);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

double TSpeex::Duration() const {
  if (samples_ > 0 && sampleRate_ > 0) return double(samples_) / sampleRate_;
  if (samples_ == 0 && nominalBitRate_ > 0 && channels_ > 0)
    return double(fileSize_) / nominalBitRate_ / channels_ / 125 * 2;
  return 0;
}

int TSpeex::BitRate() const {
  double d = Duration();
  return d > 0 ? static_cast<int>(std::nearbyint(double(fileSize_) / d / 125)) : 0;
}

double TSpeex::Ratio() const {
  double pcm = double(samples_) * (channels_ * 16 / 8) + 44;
  return double(fileSize_) / pcm * 100;
}

bool TSpeex::Valid() const {
  return (channels_ == 1 || channels_ == 2) && sampleRate_ != 0 && Duration() > 0.1 &&
         static_cast<uint16_t>(BitRate()) != 0;
}

std::string TSpeex::ChannelModeName() const {
  switch (channels_) {
    case 0: return "Unknown";
    case 1: return "Mono";
    default: return "Stereo";
  }
}

}  // namespace sondrel
