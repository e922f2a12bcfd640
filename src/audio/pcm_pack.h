// Turns a stream's samples into the little-endian integer PCM of a WAV file:
// float samples become integers of the asked width, 8-bit and 16-bit samples
// pass as they are.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/sample_format.h"

namespace sondrel::audio {

// Bits per sample written for a stream of `format` when float is turned into
// `floatBits` (8, 16, 24 or 32).
int packedBits(SampleFormat format, int floatBits);

void packPcm(const void* data, size_t bytes, SampleFormat format, int floatBits, std::vector<uint8_t>& out);

// A RIFF WAVE header for integer PCM. `dataBytes` 0xFFFFFFFF marks a stream
// whose length is not known.
std::vector<uint8_t> wavHeader(int rate, int channels, int bits, uint32_t dataBytes);

}  // namespace sondrel::audio
