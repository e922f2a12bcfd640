#include "ape_file.h"

#include <stdexcept>

namespace sondrel::test {

namespace {

class Reader {
 public:
  Reader(const std::vector<uint8_t>& bytes, std::size_t at) : bytes_(bytes), at_(at) {}
  uint32_t le(int size) {
    if (at_ + size > bytes_.size()) throw std::runtime_error("APE file too short");
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) value |= uint32_t(bytes_[at_ + i]) << (8 * i);
    at_ += size;
    return value;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  std::size_t at_;
};

}  // namespace

ApeLayout readApeLayout(const std::vector<uint8_t>& file) {
  if (file.size() < 52) throw std::runtime_error("APE file too short");
  ApeLayout a;
  a.magic.assign(file.begin(), file.begin() + 4);
  Reader r(file, 4);
  a.version = static_cast<uint16_t>(r.le(2));
  r.le(2);
  a.descriptorBytes = r.le(4);
  a.headerBytes = r.le(4);
  a.seekTableBytes = r.le(4);
  a.wavHeaderBytes = r.le(4);
  a.frameDataBytes = r.le(4);
  a.frameDataBytes |= uint64_t(r.le(4)) << 32;
  a.wavTailBytes = r.le(4);
  for (auto& byte : a.md5) byte = static_cast<uint8_t>(r.le(1));

  Reader h(file, a.descriptorBytes);
  a.compressionLevel = static_cast<uint16_t>(h.le(2));
  a.formatFlags = static_cast<uint16_t>(h.le(2));
  a.blocksPerFrame = h.le(4);
  a.finalFrameBlocks = h.le(4);
  a.totalFrames = h.le(4);
  a.bits = static_cast<uint16_t>(h.le(2));
  a.channels = static_cast<uint16_t>(h.le(2));
  a.sampleRate = h.le(4);

  Reader s(file, a.descriptorBytes + a.headerBytes);
  for (uint32_t i = 0; i < a.seekTableBytes / 4; ++i) a.seekTable.push_back(s.le(4));
  return a;
}

}  // namespace sondrel::test
