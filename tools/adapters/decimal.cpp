#include "decimal.h"

#include <charconv>
#include <cmath>

namespace sondrel::adapters {

std::optional<double> parseDecimal(std::string_view text) {
  // from_chars takes no leading '+', which no command line here carries anyway.
  double value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
  if (text.empty() || error != std::errc{} || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string formatDecimal(double value) {
  char buffer[64];
  auto [stop, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc{}) return "0";
  return std::string(buffer, stop);
}

std::string clampDecimalText(const std::string& text, double low, double high) {
  const auto value = parseDecimal(text);
  if (!value) return text;
  if (*value < low) return formatDecimal(low);
  if (*value > high) return formatDecimal(high);
  return text;
}

}  // namespace sondrel::adapters
