#include "effects/gain.h"

#include <cmath>

#include "audio/sample_access.h"
#include "effects/piece_dispatch.h"

namespace sondrel::effects {

using namespace audio::samples;

float gainFactor(int position) { return static_cast<float>(std::pow(10.0, -position / 20.0)); }

void applyGain(void* data, size_t bytes, const EffectFormat& format, float factor) {
  forEachPiece(data, bytes, format, [&](std::byte* piece, size_t pieceBytes) {
    withLayout(format.bits, [&](auto layout) {
      using Layout = decltype(layout);
      for (size_t i = 0, n = pieceBytes / Layout::kBytes; i < n; ++i) {
        const float y = static_cast<float>(Layout::get(piece, i) * factor);
        putRounded<Layout>(piece, i, y);
      }
    });
  });
}

}  // namespace sondrel::effects
