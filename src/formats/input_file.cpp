#include "formats/input_file.h"

#include <algorithm>
#include <filesystem>

namespace sondrel {

std::optional<InputFile> InputFile::open(const std::string& path) {
  std::error_code ec;
  auto status = std::filesystem::status(std::filesystem::u8path(path), ec);
  if (ec || !std::filesystem::is_regular_file(status)) return std::nullopt;
  auto stream = std::make_unique<std::ifstream>(std::filesystem::u8path(path), std::ios::binary);
  if (!stream->is_open()) return std::nullopt;
  stream->seekg(0, std::ios::end);
  auto end = stream->tellg();
  if (end < 0) return std::nullopt;
  return InputFile(std::move(stream), static_cast<int64_t>(end));
}

Bytes InputFile::read(int64_t offset, int64_t count) {
  if (offset < 0 || offset >= size_ || count <= 0) return {};
  count = std::min(count, size_ - offset);
  Bytes out(static_cast<size_t>(count));
  stream_->clear();
  stream_->seekg(offset);
  stream_->read(reinterpret_cast<char*>(out.data()), count);
  out.resize(static_cast<size_t>(std::max<std::streamsize>(stream_->gcount(), 0)));
  return out;
}

bool InputFile::readExact(int64_t offset, int64_t count, Bytes& out) {
  if (offset < 0 || count < 0 || count > size_ - offset) return false;
  out = read(offset, count);
  return static_cast<int64_t>(out.size()) == count;
}

}  // namespace sondrel
