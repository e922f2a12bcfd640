#include "shell/cue_text.h"

#include <array>
#include <cstdint>

namespace sondrel {
namespace {

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<uint8_t>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    uint32_t cp;
    if ((c & 0xE0) == 0xC0) extra = 1, cp = c & 0x1F;
    else if ((c & 0xF0) == 0xE0) extra = 2, cp = c & 0x0F;
    else if ((c & 0xF8) == 0xF0) extra = 3, cp = c & 0x07;
    else return false;
    if (s.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<uint8_t>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = cp << 6 | (cc & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are not UTF-8.
    static constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

// Windows-1252 at 0x80..0x9F; the five unassigned bytes keep their C1 code, as
// Windows itself maps them.
constexpr std::array<uint16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string windows1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    const auto c = static_cast<uint8_t>(ch);
    appendUtf8(out, c >= 0x80 && c <= 0x9F ? kWindows1252High[c - 0x80] : c);
  }
  return out;
}

std::string utf16ToUtf8(std::string_view s, bool bigEndian) {
  std::string out;
  out.reserve(s.size());
  const size_t units = s.size() / 2;
  auto unit = [&](size_t k) -> uint32_t {
    const auto a = static_cast<uint8_t>(s[2 * k]), b = static_cast<uint8_t>(s[2 * k + 1]);
    return bigEndian ? uint32_t(a) << 8 | b : uint32_t(b) << 8 | a;
  };
  for (size_t k = 0; k < units; ++k) {
    uint32_t cp = unit(k);
    if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
      ++k;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // an unpaired half
    }
    appendUtf8(out, cp);
  }
  return out;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

std::vector<std::string> cueSheetLines(std::string_view bytes) {
  std::string utf16Text;  // holds the converted text of a UTF-16 sheet
  if (startsWith(bytes, "\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  } else if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF")) {
    utf16Text = utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE');
    bytes = utf16Text;
  }

  std::vector<std::string> lines;
  size_t begin = 0;
  while (begin < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(begin, end - begin);
    if (!line.empty()) lines.push_back(isValidUtf8(line) ? std::string(line) : windows1252ToUtf8(line));
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    begin = end + 1;
  }
  return lines;
}

}  // namespace sondrel
