#include "settings/value_labels.h"

#include <charconv>

namespace sondrel::settings {
namespace {

// Shortest text that reads back as the same number: 50, 12.34, 23.9, -2.
std::string shortestQuotient(int position, int divisor, char decimalPoint) {
  const double value = static_cast<double>(position) / divisor;
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text = ec == std::errc() ? std::string(buffer, end) : std::to_string(value);
  for (char& c : text)
    if (c == '.') c = decimalPoint;
  return text;
}

}  // namespace

std::string valueLabelText(std::string_view slider, int position, char decimalPoint) {
  const std::string plain = std::to_string(position);
  if (slider == "barlowcut") return "low Cut:" + shortestQuotient(position, 100, decimalPoint) + "%";
  if (slider == "barhighcut") return "HighCut:" + shortestQuotient(position, 100, decimalPoint) + "%";
  if (slider == "barbandlowcut") return "low Cut:" + plain + " hz";
  if (slider == "barbandhighcut") return "High Cut:" + plain + " hz";
  if (slider == "baroggquality") return "Value:" + shortestQuotient(position, 100, decimalPoint);
  if (slider == "barwpbs") return "Value:" + shortestQuotient(position, 10, decimalPoint);
  if (slider == "barwpks") return "Value:" + plain;
  if (slider == "barmpcquality") return "Quality:" + shortestQuotient(position, 100, decimalPoint);
  if (slider == "baraacquality") return "Quality:" + plain;
  if (slider == "baraacabr") return "Bitrate:" + plain + " kbps";
  if (slider == "baraacbandwith") return "Value:" + plain + " hz";
  return {};
}

}  // namespace sondrel::settings
