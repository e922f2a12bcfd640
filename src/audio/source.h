// A decoder backend: something that yields interleaved float frames and can
// jump to a frame. Streams wrap a source and give it a sample layout, byte
// positions, processors and syncs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sondrel::audio {

struct SourceInfo {
  int rate = 0;
  int channels = 0;
  // Resolution of the material as stored; 0 when it has none (lossy or float).
  int sourceBits = 0;
  // Number of frames the source delivers from start to end; -1 when unknown.
  int64_t frames = -1;
};

class Source {
 public:
  virtual ~Source() = default;
  virtual const SourceInfo& info() const = 0;
  // Fills `out` with up to maxFrames interleaved frames; returns the count,
  // 0 only at the end.
  virtual size_t readFrames(float* out, size_t maxFrames) = 0;
  // Moves so that the next frame read is `frame`; false when impossible.
  virtual bool seekFrame(int64_t frame) = 0;
};

}  // namespace sondrel::audio
