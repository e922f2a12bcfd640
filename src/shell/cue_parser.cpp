#include "shell/cue_parser.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace sondrel {
namespace {

enum class Command { Track, Index00, Index01, Title, Performer, File, RemDate, RemGenre, RemComment };

// One line that matters to the program. Lines of other commands (CATALOG,
// ISRC, FLAGS, PREGAP, POSTGAP, other REM lines) are not kept.
struct Entry {
  Command command;
  uint32_t number = 0;               // of TRACK
  std::optional<std::string> value;  // empty when the line names nothing usable
};

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Cuts the first word off `rest`.
std::string_view takeWord(std::string_view& rest) {
  rest = trimmed(rest);
  size_t end = 0;
  while (end < rest.size() && !isBlank(rest[end])) ++end;
  const std::string_view word = rest.substr(0, end);
  rest = trimmed(rest.substr(end));
  return word;
}

bool sameWord(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

std::optional<uint32_t> smallNumber(std::string_view word) {
  if (word.empty() || word.size() > 9) return std::nullopt;
  uint32_t n = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<uint32_t>(c - '0');
  }
  return n;
}

// The text between the first and the last double quote, or the unquoted rest
// of the line. A quote that is never closed makes the line name nothing.
std::optional<std::string> textValue(std::string_view rest) {
  rest = trimmed(rest);
  if (rest.empty()) return std::nullopt;
  if (rest.front() != '"') return std::string(rest);
  const size_t close = rest.rfind('"');
  if (close == 0) return std::nullopt;
  return std::string(rest.substr(1, close - 1));
}

// FILE "name" TYPE, or FILE name TYPE: the type is the last word.
std::optional<std::string> fileValue(std::string_view rest) {
  rest = trimmed(rest);
  if (rest.empty() || rest.front() == '"') return textValue(rest);
  size_t lastBlank = rest.size();
  while (lastBlank > 0 && !isBlank(rest[lastBlank - 1])) --lastBlank;
  if (lastBlank == 0) return std::string(rest);
  return std::string(trimmed(rest.substr(0, lastBlank)));
}

std::optional<Entry> readLine(std::string_view line) {
  std::string_view rest = line;
  const std::string_view word = takeWord(rest);
  if (sameWord(word, "TRACK")) {
    const auto number = smallNumber(takeWord(rest));
    if (!number) return std::nullopt;
    return Entry{Command::Track, *number, std::nullopt};
  }
  if (sameWord(word, "INDEX")) {
    const auto number = smallNumber(takeWord(rest));
    if (!number || *number > 1) return std::nullopt;
    return Entry{*number == 0 ? Command::Index00 : Command::Index01, 0, std::string(takeWord(rest))};
  }
  if (sameWord(word, "TITLE")) return Entry{Command::Title, 0, textValue(rest)};
  if (sameWord(word, "PERFORMER")) return Entry{Command::Performer, 0, textValue(rest)};
  if (sameWord(word, "FILE")) return Entry{Command::File, 0, fileValue(rest)};
  if (sameWord(word, "REM")) {
    const std::string_view field = takeWord(rest);
    if (sameWord(field, "DATE")) return Entry{Command::RemDate, 0, textValue(rest)};
    if (sameWord(field, "GENRE")) return Entry{Command::RemGenre, 0, textValue(rest)};
    if (sameWord(field, "COMMENT")) return Entry{Command::RemComment, 0, textValue(rest)};
  }
  return std::nullopt;
}

// The most recent value of one command, with the entry it came from.
struct Latest {
  size_t entry = SIZE_MAX;
  std::string value;
  void set(size_t at, const std::string& v) { entry = at, value = v; }
  // The value when it was given after entry `after`, else empty.
  std::string since(size_t after) const { return entry != SIZE_MAX && entry > after ? value : std::string(); }
};

}  // namespace

CueSheetSlot parseCueSheet(const std::vector<std::string>& lines, CueVariant variant) {
  std::vector<Entry> entries;
  for (const auto& line : lines)
    if (auto e = readLine(line)) entries.push_back(std::move(*e));

  // A track is counted only when an INDEX 01 follows it somewhere; without
  // one no later track can be complete either.
  size_t lastIndex01 = SIZE_MAX;
  for (size_t k = 0; k < entries.size(); ++k)
    if (entries[k].command == Command::Index01) lastIndex01 = k;

  CueSheetSlot slot;
  struct OpenTrack {
    size_t entry;  // its TRACK line
    size_t track;
  };
  std::vector<OpenTrack> open;  // tracks waiting for their INDEX 01
  Latest title, performer, index00;
  std::string currentFile;
  bool trackSeen = false;
  std::optional<std::string> discPerformerBeforeTracks;
  std::string lastPerformer;

  for (size_t k = 0; k < entries.size(); ++k) {
    const Entry& e = entries[k];
    switch (e.command) {
      case Command::Track:
        if (lastIndex01 != SIZE_MAX && k < lastIndex01 && e.number == slot.tracks.size() + 1) {
          open.push_back({k, slot.tracks.size()});
          slot.tracks.emplace_back();
          trackSeen = true;
        }
        break;
      case Command::Index01:
        for (const OpenTrack& o : open) {
          CueTrack& t = slot.tracks[o.track];
          t.trackTitle = title.since(o.entry);
          t.trackPerformer = performer.since(o.entry);
          t.trackIndex00 = index00.since(o.entry);
          t.trackIndex01 = *e.value;
          t.trackFile = currentFile;
        }
        open.clear();
        break;
      case Command::Index00: index00.set(k, *e.value); break;
      case Command::Title:
        if (!e.value) break;
        title.set(k, *e.value);
        if (!trackSeen) slot.discTitle = *e.value;
        break;
      case Command::Performer:
        if (!e.value) break;
        performer.set(k, *e.value);
        lastPerformer = *e.value;
        if (!trackSeen) discPerformerBeforeTracks = *e.value;
        break;
      case Command::File:
        // Any FILE line after the first track makes a sheet of several files,
        // even one whose name cannot be read.
        if (trackSeen && variant == CueVariant::File) slot.singleFile = false;
        if (!e.value) break;
        if (!trackSeen) slot.imageFile = *e.value;
        currentFile = *e.value;
        break;
      case Command::RemDate:
        if (e.value) slot.discDate = *e.value;
        break;
      case Command::RemGenre:
        if (e.value) slot.discGenre = *e.value;
        break;
      case Command::RemComment:
        if (e.value) slot.discComment = *e.value;
        break;
    }
  }
  // The disc's own performer when the sheet gives one; a sheet that names
  // performers only per track falls back to the last of them.
  slot.discPerformer = discPerformerBeforeTracks.value_or(lastPerformer);
  return slot;
}

}  // namespace sondrel
