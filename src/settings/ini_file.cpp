#include "settings/ini_file.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace sondrel::settings {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isQuoted(std::string_view s) { return s.size() >= 2 && s.front() == '"' && s.back() == '"'; }

bool needsQuotes(std::string_view value) {
  if (value.empty()) return false;
  return kBlanks.find(value.front()) != std::string_view::npos ||
         kBlanks.find(value.back()) != std::string_view::npos || isQuoted(value);
}

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

}  // namespace

// What parsing needs to find sections and duplicate keys without searching:
// a file of many short lines must not take quadratic time.
struct IniFile::ParseState {
  std::unordered_map<std::string, std::size_t> sectionIndex;  // lower-case name -> position
  std::unordered_set<std::string> keys;                       // lower-case "section]key"
  std::optional<std::size_t> current;
  std::size_t kept = 0;
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool isCleanText(std::string_view text) {
  for (unsigned char c : text)
    if ((c < 0x20 && c != '\t') || c == 0x7f) return false;
  QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
  // The decoder works lazily: only converting to a QString runs it.
  const QString decoded = decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  return !decoder.hasError();
}

std::optional<int> parseProfileInt(std::string_view text) {
  std::string_view s = trim(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  // Parse the magnitude wide so that INT_MIN is reachable and overflow is seen.
  long long magnitude = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (ec != std::errc() || end != s.data() + s.size() || magnitude < 0) return std::nullopt;
  const long long value = negative ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int>(value);
}

IniFile IniFile::parse(std::string_view text) {
  std::istringstream in{std::string(text)};
  return parse(in);
}

IniFile IniFile::parse(std::istream& in) {
  IniFile ini;
  ParseState state;
  std::string line;
  bool overlong = false;
  bool firstLine = true;
  std::array<char, 64 * 1024> chunk{};

  auto finishLine = [&] {
    if (!overlong) {
      std::string_view view = line;
      if (firstLine && view.starts_with("\xEF\xBB\xBF")) view.remove_prefix(3);
      if (!view.empty() && view.back() == '\r') view.remove_suffix(1);
      ini.addParsedLine(view, state);
    }
    firstLine = false;
    overlong = false;
    line.clear();
  };

  std::size_t read = 0;
  while (in && state.kept < kMaxKeptBytes && read < kMaxReadBytes) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    read += got;
    std::string_view data(chunk.data(), got);
    while (!data.empty()) {
      const auto newline = data.find('\n');
      const std::string_view piece = data.substr(0, newline);
      if (!overlong) {
        if (line.size() + piece.size() > kMaxLineBytes) {
          overlong = true;
          line.clear();
        } else {
          line.append(piece);
        }
      }
      if (newline == std::string_view::npos) break;
      finishLine();
      data.remove_prefix(newline + 1);
    }
  }
  if (!line.empty() || overlong) finishLine();
  return ini;
}

void IniFile::addParsedLine(std::string_view raw, ParseState& state) {
  if (state.kept >= kMaxKeptBytes) return;
  const std::string_view line = trim(raw);
  if (line.empty()) return;
  if (line.front() == '[') {
    const auto close = line.find(']');
    const std::string_view name = close == std::string_view::npos ? std::string_view{} : trim(line.substr(1, close - 1));
    // Keys under a header we cannot use belong to no section and are dropped.
    if (name.empty() || !isCleanText(name)) {
      state.current.reset();
      return;
    }
    const auto [it, isNew] = state.sectionIndex.emplace(lowered(name), sections_.size());
    if (isNew) {
      sections_.push_back(Section{std::string(name), {}});
      state.kept += name.size();
    }
    state.current = it->second;
    return;
  }
  const auto equals = line.find('=');
  if (!state.current || equals == std::string_view::npos) return;
  const std::string_view key = trim(line.substr(0, equals));
  std::string_view value = trim(line.substr(equals + 1));
  if (key.empty() || !isCleanText(key) || !isCleanText(value)) return;
  if (isQuoted(value)) value = value.substr(1, value.size() - 2);
  Section& section = sections_[*state.current];
  if (!state.keys.insert(lowered(section.name) + ']' + lowered(key)).second) return;
  section.entries.push_back(Entry{std::string(key), std::string(value)});
  state.kept += key.size() + value.size();
}

IniFile IniFile::read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  return parse(in);
}

IniFile::Section* IniFile::findSection(std::string_view name) {
  for (Section& s : sections_)
    if (equalsIgnoringCase(s.name, name)) return &s;
  return nullptr;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
  for (const Section& s : sections_)
    if (equalsIgnoringCase(s.name, name)) return &s;
  return nullptr;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  const Section* s = findSection(section);
  if (!s) return std::nullopt;
  for (const Entry& e : s->entries)
    if (equalsIgnoringCase(e.key, key)) return e.value;
  return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  Section* s = findSection(section);
  if (!s) {
    sections_.push_back(Section{std::string(section), {}});
    s = &sections_.back();
  } else {
    s->name = section;
  }
  for (Entry& e : s->entries) {
    if (equalsIgnoringCase(e.key, key)) {
      e.key = key;
      e.value = value;
      return;
    }
  }
  s->entries.push_back(Entry{std::string(key), std::string(value)});
}

void IniFile::addMissingFrom(const IniFile& other) {
  std::unordered_map<std::string, std::size_t> sectionIndex;
  std::unordered_set<std::string> keys;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    const std::string name = lowered(sections_[i].name);
    sectionIndex.emplace(name, i);
    for (const Entry& e : sections_[i].entries) keys.insert(name + ']' + lowered(e.key));
  }
  for (const Section& theirs : other.sections_) {
    const std::string name = lowered(theirs.name);
    for (const Entry& e : theirs.entries) {
      if (!keys.insert(name + ']' + lowered(e.key)).second) continue;
      const auto [it, isNew] = sectionIndex.emplace(name, sections_.size());
      if (isNew) sections_.push_back(Section{theirs.name, {}});
      sections_[it->second].entries.push_back(e);
    }
  }
}

std::string IniFile::serialize() const {
  std::string out;
  for (const Section& s : sections_) {
    out += '[';
    out += s.name;
    out += "]\n";
    for (const Entry& e : s.entries) {
      out += e.key;
      out += '=';
      if (needsQuotes(e.value)) {
        out += '"';
        out += e.value;
        out += '"';
      } else {
        out += e.value;
      }
      out += '\n';
    }
  }
  return out;
}

bool IniFile::write(const std::filesystem::path& file, std::string& error) const {
  std::error_code ec;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  const std::string& native = file.native();
  QSaveFile out(QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size()))));
  if (!out.open(QIODevice::WriteOnly)) {
    error = out.errorString().toStdString();
    return false;
  }
  const std::string text = serialize();
  if (out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    error = out.errorString().toStdString();
    out.cancelWriting();
    return false;
  }
  if (!out.commit()) {
    error = out.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace sondrel::settings
