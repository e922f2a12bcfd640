#include "ape_writer.h"

#include <unistd.h>

#include <array>
#include <cstring>

#include "common/failure.h"

namespace sondrel::mac {

using tools::createScratchFile;
using tools::Failure;
using tools::folderOf;
using tools::readUpTo;
using tools::writeAll;

namespace {

constexpr uint16_t kFileVersion = 3990;
constexpr uint32_t kDescriptorBytes = 52;
constexpr uint32_t kHeaderBytes = 24;
// No WAV header is stored; a decoder writes a fresh one when restoring a WAV.
constexpr uint16_t kFlagCreateWavHeader = 32;
constexpr std::size_t kScratchChunk = 1 << 20;

void putLe16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void putLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

ApeWriter::ApeWriter(const std::string& outputPath, const PcmFormat& format, const CompressionLevel& level)
    : format_(format),
      level_(level),
      output_(outputPath, "output '" + outputPath + "'"),
      scratch_(createScratchFile(folderOf(outputPath))) {
  buffered_.reserve(kScratchChunk + 4);
}

void ApeWriter::putByte(uint8_t byte) {
  // The decoder reads each 32-bit little-endian word most significant byte
  // first, so the stream's bytes fill each word from the top.
  const auto slot = static_cast<std::size_t>(streamBytes_ & 3);
  word_[3 - slot] = byte;
  ++streamBytes_;
  if (slot == 3) {
    buffered_.insert(buffered_.end(), word_, word_ + 4);
    if (buffered_.size() >= kScratchChunk) flushWords();
  }
}

void ApeWriter::flushWords() {
  md5_.update(buffered_.data(), buffered_.size());
  writeAll(scratch_.get(), buffered_.data(), buffered_.size(), "work file");
  buffered_.clear();
}

void ApeWriter::addFrame(const std::vector<uint8_t>& frame, std::size_t blocks) {
  frameOffsets_.push_back(streamBytes_);
  for (uint8_t byte : frame) putByte(byte);
  totalBlocks_ += blocks;
  lastFrameBlocks_ = blocks;
  // Seek offsets are 32-bit file positions.
  const uint64_t tableBytes = 4 * uint64_t(frameOffsets_.size());
  if (kDescriptorBytes + kHeaderBytes + tableBytes + streamBytes_ + 4 > UINT32_MAX)
    throw Failure("input too long: a Monkey's Audio file cannot exceed 4 GiB");
}

void ApeWriter::finish() {
  if (frameOffsets_.empty()) throw Failure("input contains no audio samples");

  while (streamBytes_ & 3) putByte(0);
  flushWords();
  const uint64_t frameDataBytes = streamBytes_;

  const auto frameCount = static_cast<uint32_t>(frameOffsets_.size());
  const uint32_t tableBytes = 4 * frameCount;
  const uint32_t firstFrame = kDescriptorBytes + kHeaderBytes + tableBytes;

  std::vector<uint8_t> header;
  putLe16(header, level_.level);
  putLe16(header, kFlagCreateWavHeader);
  putLe32(header, level_.blocksPerFrame);
  putLe32(header, static_cast<uint32_t>(lastFrameBlocks_));
  putLe32(header, frameCount);
  putLe16(header, static_cast<uint16_t>(format_.bits));
  putLe16(header, static_cast<uint16_t>(format_.channels));
  putLe32(header, format_.sampleRate);

  std::vector<uint8_t> seekTable;
  seekTable.reserve(tableBytes);
  for (uint64_t offset : frameOffsets_) putLe32(seekTable, static_cast<uint32_t>(firstFrame + offset));

  // The file's MD5 covers the frame data first, then header and seek table.
  md5_.update(header.data(), header.size());
  md5_.update(seekTable.data(), seekTable.size());
  const std::array<uint8_t, 16> digest = md5_.finish();

  std::vector<uint8_t> front;
  front.insert(front.end(), {'M', 'A', 'C', ' '});
  putLe16(front, kFileVersion);
  putLe16(front, 0);
  putLe32(front, kDescriptorBytes);
  putLe32(front, kHeaderBytes);
  putLe32(front, tableBytes);
  putLe32(front, 0);  // stored WAV header bytes
  putLe32(front, static_cast<uint32_t>(frameDataBytes));
  putLe32(front, static_cast<uint32_t>(frameDataBytes >> 32));
  putLe32(front, 0);  // bytes of WAV data after the audio
  front.insert(front.end(), digest.begin(), digest.end());
  front.insert(front.end(), header.begin(), header.end());
  front.insert(front.end(), seekTable.begin(), seekTable.end());
  writeAll(output_.fd(), front.data(), front.size(), "output");

  if (::lseek(scratch_.get(), 0, SEEK_SET) != 0) throw Failure("cannot reread the work file");
  std::vector<uint8_t> chunk(kScratchChunk);
  uint64_t copied = 0;
  while (copied < frameDataBytes) {
    const std::size_t got = readUpTo(scratch_.get(), chunk.data(), chunk.size(), "work file");
    if (got == 0) throw Failure("the work file ended early");
    writeAll(output_.fd(), chunk.data(), got, "output");
    copied += got;
  }
  output_.commit();
}

}  // namespace sondrel::mac
