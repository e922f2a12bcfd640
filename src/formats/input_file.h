// Read-only access to a file for the header readers. Reads are clamped to the
// file's real size, so a size field taken from the file can never make us
// allocate or read more than the file holds.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "formats/bytes.h"

namespace sondrel {

class InputFile {
 public:
  // Opens a regular file by its UTF-8 path; directories, pipes and devices are
  // refused because reading them could block or never end.
  static std::optional<InputFile> open(const std::string& path);

  int64_t size() const { return size_; }

  // Up to `count` bytes from `offset`; fewer at the end of the file, none
  // before its start or past its end.
  Bytes read(int64_t offset, int64_t count);
  // Exactly `count` bytes or nothing (false).
  bool readExact(int64_t offset, int64_t count, Bytes& out);

 private:
  InputFile(std::unique_ptr<std::ifstream> stream, int64_t size) : stream_(std::move(stream)), size_(size) {}
  bool readRaw(int64_t offset, int64_t count, uint8_t* out);

  std::unique_ptr<std::ifstream> stream_;
  int64_t size_ = 0;
  // Readers take many small pieces close to each other (frame headers, page
  // headers, block headers); one window of the file serves them.
  Bytes window_;
  int64_t windowStart_ = -1;
};

}  // namespace sondrel
