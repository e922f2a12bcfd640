#include "predictor.h"

#include <type_traits>

namespace mac {

namespace {

// -1 for positive, 1 for negative, 0 for zero, judged on the low 32 bits as
// the decoder does: the weights move against the sign.
template <typename Unsigned>
inline int32_t inverse_sign(Unsigned value)
{
    const auto v = static_cast<int32_t>(value);
    return (v < 0) - (v > 0);
}

// 31/32 of the previous value: the stage-one filter's memory.
template <typename Word>
inline Word decayed(Word previous)
{
    using Unsigned = std::make_unsigned_t<Word>;
    return static_cast<Word>(static_cast<Unsigned>(previous) * 31u) >> 5;
}

// Slot 0 takes the newest value, slot 1 its step from the one before, and the
// remaining slots keep the earlier steps. The signs that steer the weights
// move along with them; only the two newest change each time.
template <typename Unsigned, int N>
inline void push_history(Unsigned (&history)[N], int32_t (&signs)[N], Unsigned newest)
{
    const Unsigned step = newest - history[0];
    for (int i = N - 1; i >= 2; --i) {
        history[i] = history[i - 1];
        signs[i] = signs[i - 1];
    }
    history[1] = step;
    history[0] = newest;
    signs[1] = inverse_sign(step);
    signs[0] = inverse_sign(newest);
}

template <typename Unsigned, int N>
inline Unsigned weighted_sum(const Unsigned (&history)[N], const Unsigned (&weights)[N])
{
    Unsigned sum = 0;
    for (int i = 0; i < N; ++i)
        sum += history[i] * weights[i];
    return sum;
}

template <typename Unsigned, int N>
inline void adapt(Unsigned (&weights)[N], const int32_t (&signs)[N], int32_t residual_sign)
{
    for (int i = 0; i < N; ++i)
        weights[i] += static_cast<Unsigned>(signs[i] * residual_sign);
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
    Word last_stage_one_ = 0;
    Word output_ = 0;
    Word other_previous_ = 0;
    Unsigned own_history_[4] = {};
    Unsigned other_history_[5] = {};
    int32_t own_signs_[4] = {};
    int32_t other_signs_[5] = {};
    Unsigned own_weights_[4] = {360, 317, static_cast<Unsigned>(-109), 98};
    Unsigned other_weights_[5] = {};
};

template <typename Word>
template <bool kStereo>
int32_t ChannelPredictor<Word>::encode(int32_t target, Word other)
{
    push_history(own_history_, own_signs_, static_cast<Unsigned>(last_stage_one_));
    Unsigned sum = weighted_sum(own_history_, own_weights_);
    if constexpr (kStereo) {
        push_history(other_history_, other_signs_,
                     static_cast<Unsigned>(other) - static_cast<Unsigned>(decayed(other_previous_)));
        other_previous_ = other;
        const auto other_sum = static_cast<Word>(weighted_sum(other_history_, other_weights_));
        sum += static_cast<Unsigned>(other_sum >> 1);
    }
    const Word prediction = static_cast<Word>(sum) >> 10;
    const Word memory = decayed(output_);

    // The decoder adds the prediction to the residual to get stage one's
    // output, then the stage-one memory to get the sample; only the low 32
    // bits of that sum reach the output, so the residual is taken modulo 2^32.
    const auto residual = static_cast<int32_t>(static_cast<uint32_t>(target) - static_cast<uint32_t>(prediction) -
                                               static_cast<uint32_t>(memory));
    last_stage_one_ = static_cast<Word>(static_cast<Unsigned>(static_cast<Word>(residual)) +
                                        static_cast<Unsigned>(prediction));
    output_ = static_cast<Word>(static_cast<Unsigned>(last_stage_one_) + static_cast<Unsigned>(memory));

    const int32_t sign = inverse_sign(static_cast<uint32_t>(residual));
    adapt(own_weights_, own_signs_, sign);
    if constexpr (kStereo)
        adapt(other_weights_, other_signs_, sign);
    return residual;
}

template <typename Word>
void predict_stereo_with(int32_t* side, int32_t* mid, std::size_t count)
{
    ChannelPredictor<Word> side_channel;
    ChannelPredictor<Word> mid_channel;
    for (std::size_t i = 0; i < count; ++i) {
        side[i] = side_channel.template encode<true>(side[i], mid_channel.output());
        mid[i] = mid_channel.template encode<true>(mid[i], side_channel.output());
    }
}

} // namespace

void predict_mono(int32_t* values, std::size_t count)
{
    ChannelPredictor<int32_t> channel;
    for (std::size_t i = 0; i < count; ++i)
        values[i] = channel.encode<false>(values[i], 0);
}

void predict_stereo(int32_t* side, int32_t* mid, std::size_t count, PredictionWidth width)
{
    if (width == PredictionWidth::Bits64)
        predict_stereo_with<int64_t>(side, mid, count);
    else
        predict_stereo_with<int32_t>(side, mid, count);
}

} // namespace mac
