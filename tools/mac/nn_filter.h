#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mac {

// One of the sign-sign LMS filters ("neural network" filters) that Monkey's
// Audio runs on the predictor's input at the higher levels, encoding side.
//
// The decoder adds to each value a prediction from the last `order` outputs
// (saturated to 16 bits) with 16-bit weights and `fraction_bits` of
// fixed-point precision; the weights move by step sizes that depend on how
// large each past output was against a running average. encode() takes the
// outputs the decoder must produce and returns, in place, the inputs it must
// be given.
class NNFilter {
public:
    NNFilter(int order, int fraction_bits);

    void encode(int32_t* values, std::size_t count);

private:
    int32_t encode_one(int32_t output);
    void slide_window();

    int order_;
    int fraction_bits_;
    std::vector<int16_t> weights_;
    // Past outputs and their step sizes; the newest `order_` entries end at position_.
    std::vector<int16_t> history_;
    std::vector<int16_t> steps_;
    std::size_t position_;
    uint32_t average_magnitude_ = 0;
};

} // namespace mac
