#include "compression_level.h"

#include <string>

#include "common/failure.h"

namespace sondrel::mac {

using tools::Failure;

namespace {

constexpr uint32_t kBaseFrameBlocks = 73728;

}  // namespace

CompressionLevel compressionLevel(int level) {
  switch (level) {
    case 1000: return {1000, kBaseFrameBlocks, {}, PredictionWidth::Bits32};
    case 2000: return {2000, kBaseFrameBlocks, {{16, 11}}, PredictionWidth::Bits32};
    case 3000: return {3000, kBaseFrameBlocks, {{64, 11}}, PredictionWidth::Bits32};
    case 4000: return {4000, kBaseFrameBlocks * 4, {{32, 10}, {256, 13}}, PredictionWidth::Bits32};
    case 5000: return {5000, kBaseFrameBlocks * 16, {{16, 11}, {256, 13}, {1280, 15}}, PredictionWidth::Bits64};
    default: throw Failure("unsupported compression level " + std::to_string(level));
  }
}

}  // namespace sondrel::mac
