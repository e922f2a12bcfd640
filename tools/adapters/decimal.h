// Numbers as the converter writes them into command lines: plain decimals such
// as "2.75", "-1.5", "23.9" or "9600".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sondrel::adapters {

// The value of `text` when all of it is a decimal number, otherwise nothing.
std::optional<double> parseDecimal(std::string_view text);

// The shortest text that reads back as `value` ("-1", "2", "23.9").
std::string formatDecimal(double value);

// `text` itself when its value lies within [low, high], otherwise the nearer
// bound; text that is no number is returned unchanged for the encoder to judge.
std::string clampDecimalText(const std::string& text, double low, double high);

}  // namespace sondrel::adapters
