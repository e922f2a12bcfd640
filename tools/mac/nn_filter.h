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

    // Moves the weights by `direction` (-1, 0 or +1) times the step sizes,
    // then returns the dot product of the moved weights with `history`. Both
    // with the decoder's 16- and 32-bit wrap-around.
    using UpdateAndDot = int32_t (*)(int16_t* weights, const int16_t* steps, const int16_t* history, int count,
                                     int direction);

private:
    void slide_window();

    int order_;
    int fraction_bits_;
    UpdateAndDot update_and_dot_;
    std::vector<int16_t> weights_;
    // Past outputs and their step sizes; the newest `order_` entries end just
    // before position_.
    std::vector<int16_t> history_;
    std::vector<int16_t> steps_;
    std::size_t position_;
    uint32_t average_magnitude_ = 0;
};

} // namespace mac
