#pragma once

#include <cstddef>
#include <cstdint>

namespace sondrel::mac {

// The prediction stages of Monkey's Audio 3.95 and later, run backwards: the
// arrays come in holding the values the decoder's predictor must produce and
// leave holding the values it has to be fed to produce them.
//
// Stage one is a fixed first-order filter (x - 31/32 of the previous value);
// stage two is a sign-sign adaptive predictor over the channel's own stage-one
// history and, in stereo, over the other channel. Each frame starts afresh.

// Whether stereo predictions are summed in 32 bits that wrap on overflow (the
// format's rule) or in 64 bits (its rule for the insane level). 24-bit audio
// really does overflow 32 bits, so the wrap-around is reproduced exactly.
enum class PredictionWidth { Bits32, Bits64 };

void predictMono(int32_t* values, std::size_t count);

// side is coded first and may only look at mid's previous value; mid sees the
// current side.
void predictStereo(int32_t* side, int32_t* mid, std::size_t count, PredictionWidth width);

}  // namespace sondrel::mac
