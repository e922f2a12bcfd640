#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sondrel::mac {

// One of the sign-sign LMS filters ("neural network" filters) that Monkey's
// Audio runs on the predictor's input at the higher levels, encoding side.
//
// The decoder adds to each value a prediction from the last `order` outputs
// (saturated to 16 bits) with 16-bit weights and `fractionBits` of
// fixed-point precision; the weights move by step sizes that depend on how
// large each past output was against a running average. encode() takes the
// outputs the decoder must produce and returns, in place, the inputs it must
// be given.
class NNFilter {
 public:
  NNFilter(int order, int fractionBits);

  void encode(int32_t* values, std::size_t count);

  // Moves the weights by `direction` (-1, 0 or +1) times the step sizes,
  // then returns the dot product of the moved weights with `history`. Both
  // with the decoder's 16- and 32-bit wrap-around.
  using UpdateAndDot = int32_t (*)(int16_t* weights, const int16_t* steps, const int16_t* history, int count,
                                   int direction);

 private:
  void slideWindow();

  int order_;
  int fractionBits_;
  UpdateAndDot updateAndDot_;
  std::vector<int16_t> weights_;
  // Past outputs and their step sizes; the newest `order_` entries end just
  // before position_.
  std::vector<int16_t> history_;
  std::vector<int16_t> steps_;
  std::size_t position_;
  uint32_t averageMagnitude_ = 0;
};

}  // namespace sondrel::mac
