#include "audio/mixer.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

namespace sondrel::audio {
namespace {

constexpr size_t kChunkFrames = 4096;

// A converter from the input's rate and channels to the mixer's. The SoX
// resampler gives the best quality; plain swresample is the fallback.
ResamplerPtr makeResampler(int inRate, int inChannels, int outRate, int outChannels) {
  for (bool soxr : {true, false}) {
    SwrContext* swr = nullptr;
    AVChannelLayout in, out;
    av_channel_layout_default(&in, inChannels);
    av_channel_layout_default(&out, outChannels);
    const int rc = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_FLT, outRate, &in, AV_SAMPLE_FMT_FLT, inRate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (rc < 0 || !swr) continue;
    if (soxr) {
      av_opt_set_int(swr, "resampler", SWR_ENGINE_SOXR, 0);
      av_opt_set_double(swr, "precision", 28, 0);
    } else {
      av_opt_set_int(swr, "filter_size", 64, 0);
      av_opt_set_int(swr, "phase_shift", 12, 0);
    }
    if (swr_init(swr) >= 0) return ResamplerPtr(swr);
    swr_free(&swr);
  }
  return nullptr;
}

}  // namespace

MixerSource::MixerSource(int rate, int channels) {
  info_.rate = rate;
  info_.channels = channels;
  info_.sourceBits = 0;
  info_.frames = -1;
}

MixerSource::~MixerSource() = default;

bool MixerSource::addInput(std::unique_ptr<Stream> input, int64_t delayFrames, int64_t lengthFrames) {
  if (!input || input->format() != SampleFormat::F32 || input->channels() <= 0 || input->rate() <= 0) return false;
  auto in = std::make_unique<Input>();
  in->resampler = makeResampler(input->rate(), input->channels(), info_.rate, info_.channels);
  if (!in->resampler) return false;
  in->stream = std::move(input);
  in->delay = std::max<int64_t>(0, delayFrames);
  in->remaining = lengthFrames;
  inputs_.push_back(std::move(in));
  ended_ = false;
  return true;
}

size_t MixerSource::mixInput(Input& input, float* out, size_t frames) {
  const size_t outCh = static_cast<size_t>(info_.channels);
  size_t given = 0;
  // Silence before the input starts: nothing to add.
  if (input.delay > 0) {
    const size_t skip = static_cast<size_t>(std::min<int64_t>(input.delay, static_cast<int64_t>(frames)));
    input.delay -= static_cast<int64_t>(skip);
    given += skip;
  }
  while (given < frames) {
    const size_t convertedFrames = input.converted.size() / outCh;
    if (input.convertedOffset < convertedFrames) {
      const size_t n = std::min(frames - given, convertedFrames - input.convertedOffset);
      const float* src = input.converted.data() + input.convertedOffset * outCh;
      float* dst = out + given * outCh;
      for (size_t i = 0; i < n * outCh; ++i) dst[i] += src[i];
      input.convertedOffset += n;
      given += n;
      continue;
    }
    if (input.draining) break;  // everything has been handed out
    // Read the next chunk of the input and convert it.
    const size_t inCh = static_cast<size_t>(input.stream->channels());
    size_t want = kChunkFrames;
    if (input.remaining >= 0) want = static_cast<size_t>(std::min<int64_t>(input.remaining, static_cast<int64_t>(want)));
    input.in.resize(want * inCh);
    size_t gotFrames = 0;
    if (want > 0) gotFrames = input.stream->read(input.in.data(), want * inCh * sizeof(float)) / (inCh * sizeof(float));
    if (input.remaining >= 0) input.remaining -= static_cast<int64_t>(gotFrames);
    const bool last = gotFrames == 0;
    const int capacity = swr_get_out_samples(input.resampler.get(), static_cast<int>(gotFrames)) + 32;
    input.converted.resize(static_cast<size_t>(capacity) * outCh);
    uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(input.converted.data())};
    const uint8_t* inPlanes[1] = {reinterpret_cast<const uint8_t*>(input.in.data())};
    const int made = swr_convert(input.resampler.get(), outPlanes, capacity, last ? nullptr : inPlanes,
                                 static_cast<int>(gotFrames));
    input.converted.resize(static_cast<size_t>(std::max(made, 0)) * outCh);
    input.convertedOffset = 0;
    if (last) input.draining = true;  // the flush above gave the resampler's tail
  }
  return given;
}

size_t MixerSource::readFrames(float* out, size_t maxFrames) {
  const size_t outCh = static_cast<size_t>(info_.channels);
  std::memset(out, 0, maxFrames * outCh * sizeof(float));
  size_t produced = 0;
  while (produced < maxFrames && !ended_) {
    size_t furthest = 0;
    for (auto& input : inputs_)
      furthest = std::max(furthest, mixInput(*input, out + produced * outCh, maxFrames - produced));
    // Inputs that have handed out everything have ended: free them.
    const size_t asked = maxFrames - produced;
    std::erase_if(inputs_, [outCh](const std::unique_ptr<Input>& input) {
      return input->draining && input->convertedOffset * outCh >= input->converted.size();
    });
    produced += furthest;
    if (inputs_.empty()) {
      // Every input has ended: the caller may add the next one inside this read.
      if (onEnd_) onEnd_();
      if (inputs_.empty()) ended_ = true;
      continue;
    }
    if (furthest == asked || furthest == 0) break;
  }
  return produced;
}

bool MixerSource::seekFrame(int64_t frame) {
  if (frame != 0) return false;
  ended_ = false;
  return true;
}

}  // namespace sondrel::audio
