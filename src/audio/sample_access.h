// Samples read and written in place in the three stream layouts, for code that
// changes a stream's blocks (effects). A value is what arithmetic on audio
// sees: unsigned 8-bit samples are centred on 0 (-128 .. 127), 16-bit ones are
// as stored, floats are floats. Integer layouts are written back clipped to
// their range; floats are never clipped.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sondrel::audio::samples {

struct U8 {
  static constexpr int kBits = 8;
  static constexpr size_t kBytes = 1;
  static constexpr bool kFloat = false;
  static constexpr double kMin = -128.0;
  static constexpr double kMax = 127.0;
  static double get(const std::byte* p, size_t i) { return static_cast<int>(std::to_integer<uint8_t>(p[i])) - 128; }
  // `v` lies within kMin .. kMax; its fraction is cut off (toward zero).
  static void putWhole(std::byte* p, size_t i, double v) {
    p[i] = static_cast<std::byte>(static_cast<int>(v) + 128);
  }
};

struct S16 {
  static constexpr int kBits = 16;
  static constexpr size_t kBytes = 2;
  static constexpr bool kFloat = false;
  static constexpr double kMin = -32768.0;
  static constexpr double kMax = 32767.0;
  static double get(const std::byte* p, size_t i) {
    int16_t v;
    std::memcpy(&v, p + i * kBytes, kBytes);
    return v;
  }
  static void putWhole(std::byte* p, size_t i, double v) {
    const auto whole = static_cast<int16_t>(v);
    std::memcpy(p + i * kBytes, &whole, kBytes);
  }
};

struct F32 {
  static constexpr int kBits = 32;
  static constexpr size_t kBytes = 4;
  static constexpr bool kFloat = true;
  static double get(const std::byte* p, size_t i) { return getFloat(p, i); }
  static float getFloat(const std::byte* p, size_t i) {
    float v;
    std::memcpy(&v, p + i * kBytes, kBytes);
    return v;
  }
  static void putFloat(std::byte* p, size_t i, float v) { std::memcpy(p + i * kBytes, &v, kBytes); }
};

// Clipped to the integer layout's range; NaN counts as the bottom of it, so
// that nothing undefined reaches the integer conversion.
template <class Layout>
double clip(double v) {
  if (!(v >= Layout::kMin)) return Layout::kMin;
  return v > Layout::kMax ? Layout::kMax : v;
}

// Nearest integer, ties to even (the default rounding mode), then clipped;
// floats are stored as the nearest 32-bit float.
template <class Layout>
void putRounded(std::byte* p, size_t i, double v) {
  if constexpr (Layout::kFloat) Layout::putFloat(p, i, static_cast<float>(v));
  else Layout::putWhole(p, i, std::rint(clip<Layout>(v)));
}

// Truncated toward zero, then clipped; floats as the nearest 32-bit float.
template <class Layout>
void putTruncated(std::byte* p, size_t i, double v) {
  if constexpr (Layout::kFloat) Layout::putFloat(p, i, static_cast<float>(v));
  else Layout::putWhole(p, i, clip<Layout>(v));
}

// Calls fn(Layout{}) for the layout of `bits` (8, 16, or 32 for float); false,
// without calling, for any other value.
template <class Fn>
bool withLayout(int bits, Fn&& fn) {
  switch (bits) {
    case 8: fn(U8{}); return true;
    case 16: fn(S16{}); return true;
    case 32: fn(F32{}); return true;
    default: return false;
  }
}

}  // namespace sondrel::audio::samples
