// A settings file in the Windows profile (INI) format: "[section]" lines, each
// followed by "key=value" lines. Section and key names match without regard to
// letter case; the first of duplicate sections or keys wins, as the Windows
// profile functions behave.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel::settings {

class IniFile {
 public:
  // Lines longer than this are not settings anyone wrote; they are skipped
  // without being held in memory.
  static constexpr std::size_t kMaxLineBytes = 4096;
  // Beyond this much kept text the rest of the file is ignored, so a huge or
  // hostile file cannot make us allocate without bound.
  static constexpr std::size_t kMaxKeptBytes = 4 * 1024 * 1024;
  // Reading stops here too, so that a device or a runaway file posing as the
  // settings file cannot keep us reading for ever.
  static constexpr std::size_t kMaxReadBytes = 64 * 1024 * 1024;

  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  // Reads what can be understood and drops the rest: lines that are neither a
  // section header nor "key=value", keys outside any section, names or values
  // that are not valid UTF-8 or hold control characters.
  static IniFile parse(std::istream& in);
  static IniFile parse(std::string_view text);
  // A missing or unreadable file reads as empty.
  static IniFile read(const std::filesystem::path& file);

  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  // Sets a key, creating the section at the end when new. An existing key of
  // another letter case is replaced, name and all.
  void set(std::string_view section, std::string_view key, std::string_view value);

  // Adds every key of `other` that this file lacks, keeping their order.
  void addMissingFrom(const IniFile& other);

  const std::vector<Section>& sections() const { return sections_; }

  // The file's text. A value that would lose its outer spaces or quotes on
  // reading is written in double quotes, which reading removes again.
  std::string serialize() const;

  // Writes through a temporary file in the same folder and a rename, so that a
  // failure leaves the old file whole. Creates the folder when missing.
  // On failure returns false and describes why in `error`.
  bool write(const std::filesystem::path& file, std::string& error) const;

 private:
  Section* findSection(std::string_view name);
  const Section* findSection(std::string_view name) const;
  struct ParseState;
  void addParsedLine(std::string_view line, ParseState& state);

  std::vector<Section> sections_;
};

// Windows profile reading of an integer: optional spaces and sign, then decimal
// digits or "0x" and hex digits, fitting in 32 bits. Anything else is not a number.
std::optional<int> parseProfileInt(std::string_view text);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

// True when the bytes are well-formed UTF-8 without control characters other
// than tab: the only text a settings line can safely carry.
bool isCleanText(std::string_view text);

}  // namespace sondrel::settings
