#pragma once

#include <cstdint>
#include <vector>

#include "predictor.h"

namespace sondrel::mac {

struct FilterShape {
  int order;
  int fractionBits;
};

// What a compression level means for the file: how many blocks (one sample
// per channel) go in a frame and which NN filters run, listed in the order the
// decoder applies them (the encoder runs them last to first).
struct CompressionLevel {
  uint16_t level;
  uint32_t blocksPerFrame;
  std::vector<FilterShape> filters;
  PredictionWidth stereoPrediction;
};

// level is 1000, 2000, 3000, 4000 or 5000; anything else throws Failure.
CompressionLevel compressionLevel(int level);

}  // namespace sondrel::mac
