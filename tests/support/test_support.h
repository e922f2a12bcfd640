// Helpers shared by the test programs: where the fixtures are, scratch folders
// that clean up after themselves, and FFmpeg as an independent decoder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sondrel::test {

// Path of a fixture made by tests/fixtures/make_fixtures.sh.
std::string fixture(const std::string& name);

// The build tree (the programs, bin/, fixtures/).
std::filesystem::path buildDir();

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct ProcessResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs a program directly (no shell) and collects what it prints.
ProcessResult run(const std::vector<std::string>& argv, const std::string& stdinData = {});

// Decodes a file with FFmpeg into interleaved samples of the given sample
// format ("f32le", "s16le", "s24le"...) at the file's own rate and layout.
std::vector<uint8_t> ffmpegDecode(const std::string& path, const std::string& format);

// One field of ffprobe's report of the first audio stream, e.g. "sample_rate".
std::string ffprobeStream(const std::string& path, const std::string& field);

void writeFile(const std::string& path, const std::string& bytes);

// A file name made fit to name a parameterised test ("a.mp3" -> "a_mp3").
std::string testName(std::string text);

}  // namespace sondrel::test
