#include "predictor.h"

#include <type_traits>

namespace sondrel::mac {

namespace {

// -1 for positive, 1 for negative, 0 for zero, judged on the low 32 bits as
// the decoder does: the weights move against the sign.
template <typename Unsigned>
inline int32_t inverseSign(Unsigned value) {
  const auto v = static_cast<int32_t>(value);
  return (v < 0) - (v > 0);
}

// 31/32 of the previous value: the stage-one filter's memory.
template <typename Word>
inline Word decayed(Word previous) {
  using Unsigned = std::make_unsigned_t<Word>;
  return static_cast<Word>(static_cast<Unsigned>(previous) * 31u) >> 5;
}

// Slot 0 takes the newest value, slot 1 its step from the one before, and the
// remaining slots keep the earlier steps. The signs that steer the weights
// move along with them; only the two newest change each time.
template <typename Unsigned, int N>
inline void pushHistory(Unsigned (&history)[N], int32_t (&signs)[N], Unsigned newest) {
  const Unsigned step = newest - history[0];
  for (int i = N - 1; i >= 2; --i) {
    history[i] = history[i - 1];
    signs[i] = signs[i - 1];
  }
  history[1] = step;
  history[0] = newest;
  signs[1] = inverseSign(step);
  signs[0] = inverseSign(newest);
}

template <typename Unsigned, int N>
inline Unsigned weightedSum(const Unsigned (&history)[N], const Unsigned (&weights)[N]) {
  Unsigned sum = 0;
  for (int i = 0; i < N; ++i) sum += history[i] * weights[i];
  return sum;
}

template <typename Unsigned, int N>
inline void adapt(Unsigned (&weights)[N], const int32_t (&signs)[N], int32_t residualSign) {
  for (int i = 0; i < N; ++i) weights[i] += static_cast<Unsigned>(signs[i] * residualSign);
}

// One channel's predictor state. `Word` is the width of the decoder's
// prediction arithmetic.
template <typename Word>
class ChannelPredictor {
 public:
  using Unsigned = std::make_unsigned_t<Word>;

  // Stereo passes the other channel's latest value the decoder knows; mono
  // has none and skips that half.
  template <bool kStereo>
  int32_t encode(int32_t target, Word other);

  // What the decoder holds as this channel's latest value; it can differ
  // from the sample in its upper bits when 64-bit arithmetic wrapped.
  Word output() const { return output_; }

 private:
  Word lastStageOne_ = 0;
  Word output_ = 0;
  Word otherPrevious_ = 0;
  Unsigned ownHistory_[4] = {};
  Unsigned otherHistory_[5] = {};
  int32_t ownSigns_[4] = {};
  int32_t otherSigns_[5] = {};
  Unsigned ownWeights_[4] = {360, 317, static_cast<Unsigned>(-109), 98};
  Unsigned otherWeights_[5] = {};
};

template <typename Word>
template <bool kStereo>
int32_t ChannelPredictor<Word>::encode(int32_t target, Word other) {
  pushHistory(ownHistory_, ownSigns_, static_cast<Unsigned>(lastStageOne_));
  Unsigned sum = weightedSum(ownHistory_, ownWeights_);
  if constexpr (kStereo) {
    pushHistory(otherHistory_, otherSigns_,
                static_cast<Unsigned>(other) - static_cast<Unsigned>(decayed(otherPrevious_)));
    otherPrevious_ = other;
    const auto otherSum = static_cast<Word>(weightedSum(otherHistory_, otherWeights_));
    sum += static_cast<Unsigned>(otherSum >> 1);
  }
  const Word prediction = static_cast<Word>(sum) >> 10;
  const Word memory = decayed(output_);

  // The decoder adds the prediction to the residual to get stage one's
  // output, then the stage-one memory to get the sample; only the low 32
  // bits of that sum reach the output, so the residual is taken modulo 2^32.
  const auto residual = static_cast<int32_t>(static_cast<uint32_t>(target) - static_cast<uint32_t>(prediction) -
                                             static_cast<uint32_t>(memory));
  lastStageOne_ =
      static_cast<Word>(static_cast<Unsigned>(static_cast<Word>(residual)) + static_cast<Unsigned>(prediction));
  output_ = static_cast<Word>(static_cast<Unsigned>(lastStageOne_) + static_cast<Unsigned>(memory));

  const int32_t sign = inverseSign(static_cast<uint32_t>(residual));
  adapt(ownWeights_, ownSigns_, sign);
  if constexpr (kStereo) adapt(otherWeights_, otherSigns_, sign);
  return residual;
}

template <typename Word>
void predictStereoWith(int32_t* side, int32_t* mid, std::size_t count) {
  ChannelPredictor<Word> sideChannel;
  ChannelPredictor<Word> midChannel;
  for (std::size_t i = 0; i < count; ++i) {
    side[i] = sideChannel.template encode<true>(side[i], midChannel.output());
    mid[i] = midChannel.template encode<true>(mid[i], sideChannel.output());
  }
}

}  // namespace

void predictMono(int32_t* values, std::size_t count) {
  ChannelPredictor<int32_t> channel;
  for (std::size_t i = 0; i < count; ++i) values[i] = channel.encode<false>(values[i], 0);
}

void predictStereo(int32_t* side, int32_t* mid, std::size_t count, PredictionWidth width) {
  if (width == PredictionWidth::Bits64)
    predictStereoWith<int64_t>(side, mid, count);
  else
    predictStereoWith<int32_t>(side, mid, count);
}

}  // namespace sondrel::mac
