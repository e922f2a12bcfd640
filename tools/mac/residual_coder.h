#pragma once

#include <cstdint>

#include "range_encoder.h"

namespace sondrel::mac {

// Codes one channel's residuals the way Monkey's Audio 3.99 does: the value is
// split by an adaptive pivot (a running average of recent magnitudes) into an
// overflow count, coded with a fixed probability model, and a remainder spread
// evenly below the pivot.
class ResidualCoder {
 public:
  void encode(int32_t residual, RangeEncoder& coder);

 private:
  uint32_t runningSum_ = 16u << 10;
};

}  // namespace sondrel::mac
