#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sondrel::test {

// The fixed parts of a Monkey's Audio file of version 3.98 or later, read
// field by field as the published layout describes them.
struct ApeLayout {
  std::string magic;
  uint16_t version = 0;
  uint32_t descriptorBytes = 0;
  uint32_t headerBytes = 0;
  uint32_t seekTableBytes = 0;
  uint32_t wavHeaderBytes = 0;
  uint64_t frameDataBytes = 0;
  uint32_t wavTailBytes = 0;
  std::array<uint8_t, 16> md5{};

  uint16_t compressionLevel = 0;
  uint16_t formatFlags = 0;
  uint32_t blocksPerFrame = 0;
  uint32_t finalFrameBlocks = 0;
  uint32_t totalFrames = 0;
  uint16_t bits = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;

  std::vector<uint32_t> seekTable;
};

// Throws std::runtime_error when the file is too short for what it declares.
ApeLayout readApeLayout(const std::vector<uint8_t>& file);

}  // namespace sondrel::test
