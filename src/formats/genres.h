// The 148 genre names that ID3v1 stores as an index.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace sondrel {

std::span<const std::string_view> GenreTable();
// Index of the first name equal to `name` ignoring letter case; 255 for none.
uint8_t GenreIndexOf(std::string_view name);
// The name for an index, empty for 148 and above.
std::string_view GenreName(unsigned index);

}  // namespace sondrel
