#include "frame_encoder.h"

#include <algorithm>
#include <utility>

#include "crc32.h"
#include "nn_filter.h"
#include "predictor.h"
#include "range_encoder.h"
#include "residual_coder.h"

namespace sondrel::mac {

namespace {

// Frame flags a decoder honours when the CRC word has its top bit set.
constexpr uint32_t kMonoSilence = 1;
constexpr uint32_t kStereoSilence = 3;
constexpr uint32_t kPseudoStereo = 4;  // both channels equal: coded once, as mono

void appendBe32(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 24));
  out.push_back(static_cast<uint8_t>(value >> 16));
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

bool allZero(const std::vector<int32_t>& values, std::size_t count) {
  return std::all_of(values.begin(), values.begin() + count, [](int32_t v) { return v == 0; });
}

}  // namespace

FrameEncoder::FrameEncoder(CompressionLevel level, PcmFormat format) : level_(std::move(level)), format_(format) {}

void FrameEncoder::unpack(const uint8_t* pcm, std::size_t blocks) {
  first_.resize(std::max(first_.size(), blocks));
  if (format_.channels == 2) second_.resize(std::max(second_.size(), blocks));

  const int width = format_.bytesPerSample();
  auto sampleAt = [&](const uint8_t* p) -> int32_t {
    switch (width) {
      case 1: return int32_t(p[0]) - 128;
      case 2: return static_cast<int16_t>(uint16_t(p[0] | p[1] << 8));
      default: return static_cast<int32_t>(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8;
    }
  };
  const std::size_t stride = format_.blockBytes();
  for (std::size_t i = 0; i < blocks; ++i, pcm += stride) {
    first_[i] = sampleAt(pcm);
    if (format_.channels == 2) second_[i] = sampleAt(pcm + width);
  }
}

void FrameEncoder::runFilters(std::vector<int32_t>& values, std::size_t blocks) const {
  for (auto shape = level_.filters.rbegin(); shape != level_.filters.rend(); ++shape)
    NNFilter(shape->order, shape->fractionBits).encode(values.data(), blocks);
}

void FrameEncoder::codeMono(std::size_t blocks, RangeEncoder& coder) {
  predictMono(first_.data(), blocks);
  runFilters(first_, blocks);
  ResidualCoder residuals;
  for (std::size_t i = 0; i < blocks; ++i) residuals.encode(first_[i], coder);
}

void FrameEncoder::codeStereo(std::size_t blocks, RangeEncoder& coder) {
  // Side (second minus first) and mid (first plus half the side, rounded
  // toward zero) decorrelate the channels; the decoder undoes exactly this.
  for (std::size_t i = 0; i < blocks; ++i) {
    const int32_t side = second_[i] - first_[i];
    const int32_t mid = first_[i] + side / 2;
    first_[i] = side;
    second_[i] = mid;
  }
  predictStereo(first_.data(), second_.data(), blocks, level_.stereoPrediction);
  runFilters(first_, blocks);
  runFilters(second_, blocks);
  ResidualCoder sideResiduals;
  ResidualCoder midResiduals;
  for (std::size_t i = 0; i < blocks; ++i) {
    sideResiduals.encode(first_[i], coder);
    midResiduals.encode(second_[i], coder);
  }
}

void FrameEncoder::encode(const uint8_t* pcm, std::size_t blocks, std::vector<uint8_t>& out) {
  Crc32 crc;
  crc.update(pcm, blocks * format_.blockBytes());
  unpack(pcm, blocks);

  uint32_t flags = 0;
  const bool stereo = format_.channels == 2;
  if (allZero(first_, blocks) && (!stereo || allZero(second_, blocks)))
    flags = stereo ? kStereoSilence : kMonoSilence;
  else if (stereo && std::equal(first_.begin(), first_.begin() + blocks, second_.begin()))
    flags = kPseudoStereo;

  // The stored CRC keeps 31 bits; the top bit says whether flags follow.
  appendBe32(out, (crc.value() >> 1) | (flags != 0 ? 0x80000000u : 0u));
  if (flags != 0) appendBe32(out, flags);

  // A silent frame still carries the (empty) range coder's closing bytes.
  RangeEncoder coder(out);
  const bool silent = flags == kMonoSilence || flags == kStereoSilence;
  if (!silent) {
    if (stereo && flags != kPseudoStereo)
      codeStereo(blocks, coder);
    else
      codeMono(blocks, coder);
  }
  coder.finish();
}

}  // namespace sondrel::mac
