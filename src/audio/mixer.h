// A mixer: a source that resamples its inputs to one rate, mixes their
// channels down or up to one count, and ends when they end. Inputs can start
// after a delay of silence and be cut to a length; each is freed when it ends.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "audio/ffmpeg_handles.h"
#include "audio/source.h"
#include "audio/stream.h"

namespace sondrel::audio {

class MixerSource : public Source {
 public:
  MixerSource(int rate, int channels);
  ~MixerSource() override;

  const SourceInfo& info() const override { return info_; }
  size_t readFrames(float* out, size_t maxFrames) override;
  // Only a restart is possible: the mixer goes on after it has ended.
  bool seekFrame(int64_t frame) override;

  // Adds `input` (a float stream) `delayFrames` after the mixer's current
  // position, for `lengthFrames` of its own frames (-1: to its end). False when
  // the input's layout cannot be converted.
  bool addInput(std::unique_ptr<Stream> input, int64_t delayFrames = 0, int64_t lengthFrames = -1);
  // Called inside a read when every input has ended, before the mixer ends,
  // so that the caller can add the next input there and then.
  void setEndCallback(std::function<void()> callback) { onEnd_ = std::move(callback); }
  bool hasInputs() const { return !inputs_.empty(); }

 private:
  struct Input {
    std::unique_ptr<Stream> stream;
    ResamplerPtr resampler;
    int64_t delay;       // mixer frames of silence still to come
    int64_t remaining;   // input frames still to take; -1 for all
    bool draining = false;
    std::vector<float> in;
    std::vector<float> converted;
    size_t convertedOffset = 0;  // frames of `converted` already mixed
  };
  // Mixes up to `frames` frames of one input into `out`; returns the frames it
  // gave (fewer only at its end).
  size_t mixInput(Input& input, float* out, size_t frames);

  SourceInfo info_;
  std::vector<std::unique_ptr<Input>> inputs_;
  std::function<void()> onEnd_;
  bool ended_ = false;
};

}  // namespace sondrel::audio
