#include "formats/input_file.h"

#include <algorithm>
#include <filesystem>

namespace sondrel {

std::optional<InputFile> InputFile::open(const std::string& path) {
  std::error_code ec;
  auto status = std::filesystem::status(std::filesystem::u8path(path), ec);
  if (ec || !std::filesystem::is_regular_file(status)) return std::nullopt;
  auto stream = std::make_unique<std::ifstream>();
  stream->rdbuf()->pubsetbuf(nullptr, 0);  // our window does the buffering
  stream->open(std::filesystem::u8path(path), std::ios::binary);
  if (!stream->is_open()) return std::nullopt;
  stream->seekg(0, std::ios::end);
  auto end = stream->tellg();
  if (end < 0) return std::nullopt;
  return InputFile(std::move(stream), static_cast<int64_t>(end));
}

namespace {
constexpr int64_t kWindow = 16 * 1024;
}

bool InputFile::readRaw(int64_t offset, int64_t count, uint8_t* out) {
  stream_->clear();
  stream_->seekg(offset);
  stream_->read(reinterpret_cast<char*>(out), count);
  return stream_->gcount() == count;
}

Bytes InputFile::read(int64_t offset, int64_t count) {
  if (offset < 0 || offset >= size_ || count <= 0) return {};
  count = std::min(count, size_ - offset);
  const int64_t windowEnd = windowStart_ + static_cast<int64_t>(window_.size());
  if (count <= kWindow && !(windowStart_ >= 0 && offset >= windowStart_ && offset + count <= windowEnd)) {
    window_.resize(static_cast<size_t>(std::min(kWindow, size_ - offset)));
    windowStart_ = offset;
    if (!readRaw(offset, static_cast<int64_t>(window_.size()), window_.data())) {
      window_.clear();
      windowStart_ = -1;
      return {};
    }
  }
  if (windowStart_ >= 0 && offset >= windowStart_ && offset + count <= windowStart_ + static_cast<int64_t>(window_.size())) {
    auto first = window_.begin() + (offset - windowStart_);
    return Bytes(first, first + count);
  }
  Bytes out(static_cast<size_t>(count));
  if (!readRaw(offset, count, out.data())) return {};
  return out;
}

bool InputFile::readExact(int64_t offset, int64_t count, Bytes& out) {
  if (offset < 0 || count < 0 || count > size_ - offset) return false;
  out = read(offset, count);
  return static_cast<int64_t>(out.size()) == count;
}

}  // namespace sondrel
