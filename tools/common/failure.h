#pragma once

#include <stdexcept>

namespace sondrel::tools {

// A failure that ends the run. main() prints what() as the one line the
// converter may show the user, so the text has to stand on its own.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace sondrel::tools
