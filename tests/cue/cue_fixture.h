// A file list with the cue sheet reader behind it, a scratch folder for
// sheets and images, and a port that records what the person would see.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "audio/engine.h"
#include "shell/cue_sheet_reader.h"
#include "shell/file_list.h"
#include "support/test_support.h"

namespace sondrel::test {

class RecordingPort : public UserPort {
 public:
  void showError(const std::string& t) override { errors.push_back(t); }
  void showInfo(const std::string& t) override { infos.push_back(t); }
  void setStatus(int panel, const std::string& t) override { status[panel] = t; }
  std::vector<std::string> errors, infos;
  std::map<int, std::string> status;
};

// What a row tells about its track.
struct TrackRow {
  std::string caption;
  std::string lengthText;
  int start;
  int length;
  RowKind kind;
  bool operator==(const TrackRow&) const = default;
};

inline void PrintTo(const TrackRow& r, std::ostream* os) {
  *os << "{" << r.caption << ", " << r.lengthText << ", " << r.start << ", " << r.length << ", kind "
      << static_cast<int>(r.kind) << "}";
}

struct CueFixture : ::testing::Test {
  audio::Engine engine;
  RecordingPort port;
  FileList list{engine, port};
  CueSheetReader reader{engine, list, port};
  TempDir dir;

  CueFixture() { list.setCueExpander(&reader); }

  // A copy of a fixture under `name` in the scratch folder.
  std::string copy(const std::string& fixtureName, const std::string& name) const {
    const std::string to = dir.file(name);
    std::filesystem::create_directories(std::filesystem::path(to).parent_path());
    std::filesystem::copy_file(fixture(fixtureName), to, std::filesystem::copy_options::overwrite_existing);
    return to;
  }
  // The 612.5-second image under `name`.
  std::string image(const std::string& name) const { return copy("image612.flac", name); }
  std::string sheet(const std::string& name, const std::string& text) const {
    const std::string path = dir.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, text);
    return path;
  }

  std::vector<TrackRow> rows() const {
    std::vector<TrackRow> out;
    for (int i = 0; i < list.rowCount(); ++i) {
      const FileRow& r = list.row(i);
      out.push_back({r.caption, r.lengthText, r.item->trackStart, r.item->trackLength, r.item->rowKind});
    }
    return out;
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> out;
    for (int i = 0; i < list.rowCount(); ++i) out.push_back(list.row(i).caption);
    return out;
  }
};

// A single-file sheet of the image "image.flac" with tracks at these times.
inline std::string sheetWithStarts(const std::vector<std::string>& starts, const std::string& imageName = "image.flac") {
  std::string text = "FILE \"" + imageName + "\" WAVE\n";
  for (size_t i = 0; i < starts.size(); ++i) {
    char number[24];
    std::snprintf(number, sizeof number, "%02zu", i + 1);
    text += std::string("  TRACK ") + number + " AUDIO\n    TITLE \"T" + number + "\"\n    INDEX 01 " + starts[i] + "\n";
  }
  return text;
}

}  // namespace sondrel::test
