#pragma once

#include <cstddef>
#include <cstdint>

#include "wav_stream.h"

namespace sondrel::faac {

// Turns `frames` interleaved little-endian samples of `format` into one plane
// of floats in [-1, 1) per channel, the layout the AAC encoder takes.
void pcmToFloatPlanes(const uint8_t* pcm, size_t frames, const PcmFormat& format, float* const* planes);

}  // namespace sondrel::faac
