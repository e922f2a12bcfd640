#pragma once

#include <stdexcept>

namespace mac {

// A failure that ends the run. main() prints what() as the single line the
// converter shows the user, so the text must make sense on its own.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace mac
