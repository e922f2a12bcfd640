#pragma once

#include <cstddef>
#include <cstdint>

namespace sondrel::mac {

// CRC-32 as used by zip and gzip (reflected polynomial 0xEDB88320). Each APE
// frame carries it, computed over the frame's PCM bytes as they appear in a WAV.
class Crc32 {
 public:
  void update(const uint8_t* data, std::size_t size);
  uint32_t value() const { return ~state_; }

 private:
  uint32_t state_ = 0xFFFFFFFFu;
};

}  // namespace sondrel::mac
