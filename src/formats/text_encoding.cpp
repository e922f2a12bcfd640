#include "formats/text_encoding.h"

#include <cctype>

namespace sondrel {
namespace {

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Length of the valid UTF-8 sequence at `i`, 0 when invalid, -1 when the
// sequence is valid so far but runs past the end.
int sequenceLength(ByteView b, size_t i) {
  uint8_t c = b[i];
  if (c < 0x80) return 1;
  int len;
  uint32_t min;
  if ((c & 0xE0) == 0xC0) {
    len = 2;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  uint32_t cp = c & (0x3F >> (len - 1));
  for (int k = 1; k < len; ++k) {
    if (i + k >= b.size()) return -1;
    if ((b[i + k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b[i + k] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// Decodes the next character of valid UTF-8 text.
uint32_t nextCodePoint(std::string_view s, size_t& i) {
  auto c = static_cast<uint8_t>(s[i]);
  int len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
  if (len == 1) {
    ++i;
    return c;
  }
  uint32_t cp = c & (0x3F >> (len - 1));
  size_t k = 1;
  for (; k < static_cast<size_t>(len) && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
  i += k;
  return cp;
}

}  // namespace

std::string latin1ToUtf8(ByteView bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (uint8_t c : bytes) appendUtf8(out, c);
  return out;
}

bool isValidUtf8(ByteView bytes) {
  for (size_t i = 0; i < bytes.size();) {
    int len = sequenceLength(bytes, i);
    if (len <= 0) return false;
    i += static_cast<size_t>(len);
  }
  return true;
}

std::string legacyToUtf8(ByteView bytes) {
  if (isValidUtf8(bytes)) return std::string(bytes.begin(), bytes.end());
  return latin1ToUtf8(bytes);
}

std::string fixedFieldToUtf8(ByteView bytes) {
  size_t i = 0;
  bool valid = true;
  while (i < bytes.size()) {
    int len = sequenceLength(bytes, i);
    if (len == -1) break;  // cut by the field's end
    if (len == 0) {
      valid = false;
      break;
    }
    i += static_cast<size_t>(len);
  }
  if (valid) return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(i));
  return latin1ToUtf8(bytes);
}

std::string utf16ToUtf8(ByteView bytes, bool bigEndian) {
  std::string out;
  size_t units = bytes.size() / 2;
  auto unit = [&](size_t k) -> uint32_t {
    return bigEndian ? uint32_t(bytes[2 * k]) << 8 | bytes[2 * k + 1] : uint32_t(bytes[2 * k + 1]) << 8 | bytes[2 * k];
  };
  for (size_t k = 0; k < units; ++k) {
    uint32_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      uint32_t low = unit(k + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++k;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
    appendUtf8(out, u);
  }
  return out;
}

std::optional<std::string> utf8ToLatin1(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = nextCodePoint(text, i);
    if (cp > 0xFF) return std::nullopt;
    out += static_cast<char>(cp);
  }
  return out;
}

std::string utf8ToLatin1Lossy(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = nextCodePoint(text, i);
    out += cp > 0xFF ? '?' : static_cast<char>(cp);
  }
  return out;
}

Bytes utf8ToUtf16le(std::string_view text) {
  Bytes out;
  out.reserve(text.size() * 2);
  auto put = [&](uint32_t u) {
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
  };
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = nextCodePoint(text, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

std::string trimControl(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<uint8_t>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<uint8_t>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string trimControlRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && static_cast<uint8_t>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(0, end));
}

size_t utf8Length(std::string_view text) {
  size_t n = 0;
  for (char c : text)
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++n;
  return n;
}

std::string utf8Prefix(std::string_view text, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<uint8_t>(text[i]) & 0xC0) != 0x80) {
      if (chars == maxChars) return std::string(text.substr(0, i));
      ++chars;
    }
  }
  return std::string(text);
}

std::string utf8CutBytes(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  size_t end = maxBytes;
  while (end > 0 && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string toUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::optional<uint32_t> parseDigits(std::string_view text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value;
}

std::optional<int64_t> parseInteger(std::string_view text) {
  std::string t = trimControl(text);
  std::string_view v = t;
  bool negative = false;
  if (!v.empty() && (v[0] == '+' || v[0] == '-')) {
    negative = v[0] == '-';
    v.remove_prefix(1);
  }
  if (v.empty() || v.size() > 18) return std::nullopt;
  int64_t value = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

}  // namespace sondrel
