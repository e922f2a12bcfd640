// Blocks handed to the processors are worked through in pieces of at most 8192
// frames: the normalizer decides its gain once per piece, and the filters take
// their coefficients once per piece.
#pragma once

#include <algorithm>
#include <cstddef>

#include "effects/effect_format.h"

namespace sondrel::effects {

inline constexpr size_t kPieceFrames = 8192;

inline bool supportedLayout(const EffectFormat& format) {
  return (format.bits == 8 || format.bits == 16 || format.bits == 32) && format.channels > 0 && format.rate > 0;
}

// Calls fn(piece, pieceBytes) on consecutive pieces of the block; does nothing
// for a layout the processors do not handle.
template <class Fn>
void forEachPiece(void* data, size_t bytes, const EffectFormat& format, Fn&& fn) {
  if (!supportedLayout(format)) return;
  const size_t pieceBytes = static_cast<size_t>(format.bits / 8) * kPieceFrames * static_cast<size_t>(format.channels);
  auto* block = static_cast<std::byte*>(data);
  for (size_t offset = 0; offset < bytes; offset += pieceBytes) fn(block + offset, std::min(pieceBytes, bytes - offset));
}

}  // namespace sondrel::effects
