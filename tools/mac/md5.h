#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sondrel::mac {

// MD5 (RFC 1321), for the checksum an APE descriptor carries.
class Md5 {
 public:
  Md5();
  void update(const uint8_t* data, std::size_t size);
  std::array<uint8_t, 16> finish();

 private:
  void processBlock(const uint8_t* block);

  std::array<uint32_t, 4> state_;
  std::array<uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  uint64_t totalBytes_ = 0;
};

}  // namespace sondrel::mac
