#pragma once

#include "predictor.h"

#include <cstdint>
#include <vector>

namespace mac {

struct FilterShape {
    int order;
    int fraction_bits;
};

// What a compression level means for the file: how many blocks (one sample
// per channel) go in a frame and which NN filters run, listed in the order the
// decoder applies them (the encoder runs them last to first).
struct CompressionLevel {
    uint16_t level;
    uint32_t blocks_per_frame;
    std::vector<FilterShape> filters;
    PredictionWidth stereo_prediction;
};

// level is 1000, 2000, 3000, 4000 or 5000; anything else throws Failure.
CompressionLevel compression_level(int level);

} // namespace mac
