// What our WMA writer can offer for a given output layout: the bit rates and
// quality levels FFmpeg's "wmav2" encoder accepts.
#pragma once

#include <vector>

namespace sondrel::audio {

// Codec choices of the WMA page, by list position.
enum class WmaCodec { Standard = 0, Pro = 1, Pro24Bit = 2 };

// Constant bit rates in bits per second, highest first, that the encoder
// accepts for the codec (a WmaCodec position), sample rate, channel count and
// source depth in bits. Empty when nothing can encode that combination; the two
// Pro codecs have no encoder here and always give an empty list.
std::vector<int> wmaEncoderBitrates(int codecIndex, int rate, int channels, int bits);

// Quality levels for quality-based (VBR) encoding of the same combination.
// wmav2 only encodes at a constant bit rate, so this is always empty; it exists
// so callers ask the engine rather than assume.
std::vector<int> wmaEncoderQualities(int codecIndex, int rate, int channels, int bits);

}  // namespace sondrel::audio
