// The labels that follow sliders on the options pages, e.g. "low Cut:12.34%".
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace sondrel::settings {

struct ValueLabel {
  std::string_view label;            // the label's control name
  std::string_view slider;           // the slider it follows
  std::string_view initialCaption;  // shown until the slider first moves
};

inline constexpr std::array<ValueLabel, 11> kValueLabels{{
    {"llowcut", "barlowcut", "Low Cut:50%"},
    {"lhighcut", "barhighcut", "HighCut:50%"},
    {"lbandlow", "barbandlowcut", "Low Cut:2000 hz"},
    {"lbandhigh", "barbandhighcut", "High Cut:8000 hz"},
    {"loggquality", "baroggquality", "Value:2.75"},
    {"lwpbs", "barwpbs", "Value:23.9"},
    {"lwpks", "barwpks", "Value:9600"},
    {"lmpcquality", "barmpcquality", "Quality:50"},
    {"laacquality", "baraacquality", "Quality:100"},
    {"laacbitrate", "baraacabr", "Bitrate:128kbps"},
    {"laacbandwith", "baraacbandwith", "Value:16000hz"},
}};

// The label text for a slider position once the slider has moved; a quotient
// is written in its shortest form with the given decimal separator (1234 on
// "barlowcut" gives "low Cut:12.34%"). Empty for a slider without a label.
std::string valueLabelText(std::string_view slider, int position, char decimalPoint = '.');

}  // namespace sondrel::settings
