// The ten equalizer bands and the presets offered on the Equalizer page.
#pragma once

#include <array>
#include <string_view>

namespace sondrel::settings {

inline constexpr int kEqualizerBandCount = 10;

struct EqualizerBand {
  int centreHz;
  std::string_view label;  // shown under the band's slider
};

// Slider positions of a preset, band by band; a position is a fifth of a dB.
struct EqualizerPreset {
  std::string_view name;
  std::array<int, kEqualizerBandCount> positions;
};

inline constexpr std::array<EqualizerBand, kEqualizerBandCount> kEqualizerBands{{
    {60, "60"}, {170, "170"}, {310, "310"}, {600, "600"}, {1000, "1 K"},
    {3000, "3 K"}, {6000, "6 K"}, {12000, "12 K"}, {14000, "14 K"}, {16000, "16 K"},
}};

inline constexpr std::array<EqualizerPreset, 19> kEqualizerPresets{{
    {"(Default)", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"Classical", {0, 0, 0, 0, 0, -10, 40, 40, 40, 50}},
    {"Club", {0, 0, -10, -20, -20, -20, -10, 0, 0, 0}},
    {"Dance", {-50, -40, -20, 5, 0, 20, 30, 20, 0, 0}},
    {"Full Bass", {-50, -50, -50, -30, -10, 10, 30, 50, 50, 50}},
    {"Full Bass & Treble", {-30, -20, 0, 30, 20, -10, -40, -50, -50, -50}},
    {"Full Treble", {50, 50, 50, 20, -10, -50, -80, -80, -80, -90}},
    {"Labtop", {-15, -50, -25, 20, 10, -5, -15, -30, -50, -60}},
    {"Large Hall", {-50, -50, -30, -20, 0, 20, 30, 30, 0, 0}},
    {"Live", {30, 0, -10, -15, -20, -20, -10, -5, -5, 0}},
    {"Loudness", {-90, -70, -50, -20, 0, -10, -20, -50, -70, -90}},
    {"Party", {-30, -30, 0, 0, 0, 0, 0, 0, -30, -30}},
    {"Pop", {10, -15, -25, -25, -15, 10, 20, 20, 10, 10}},
    {"Reggae", {0, 0, 5, 30, 0, -30, -30, 0, 0, 0}},
    {"Rock", {-40, -30, 30, 40, 20, -20, -40, -40, -40, -40}},
    {"Ska", {10, 20, 10, 0, -10, -20, -30, -35, -30, -25}},
    {"Soft", {-15, -5, 5, 15, 5, -15, -30, -40, -45, -50}},
    {"Soft Rock", {-15, -15, -10, 5, 15, 25, 15, 5, -10, -30}},
    {"Techno", {-30, -30, 0, 30, 20, 0, -20, -30, -30, -20}},
}};

}  // namespace sondrel::settings
