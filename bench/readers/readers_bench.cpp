// Reads the headers and tags of a mixed set of files with our readers and
// with TagLib's FileRef (audio properties included), in the same run, and
// reports both times and their ratio.
#include <taglib/apetag.h>
#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/info_command.h"

namespace fs = std::filesystem;

namespace {

// Fixtures both readers understand, tagged the way files in a collection are.
const std::vector<std::string> kKinds = {"cbr.mp3", "vbr.mp3", "lossless.flac", "vorbis.ogg", "musepack.mpc",
                                         "pack.wv", "truaudio.tta", "speex.spx", "wma2.wma", "sweep20.mp3"};

std::vector<std::string> makeFiles(const fs::path& fixtures, const fs::path& dir, int count) {
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    const std::string& kind = kKinds[static_cast<size_t>(i) % kKinds.size()];
    fs::path path = dir / (std::to_string(i) + "_" + kind);
    fs::copy_file(fixtures / kind, path, fs::copy_options::overwrite_existing);
    TagLib::FileRef ref(path.c_str(), false);
    if (!ref.isNull() && ref.tag()) {
      ref.tag()->setTitle("Title " + TagLib::String::number(i));
      ref.tag()->setArtist("Artist");
      ref.tag()->setAlbum("Album");
      ref.tag()->setYear(2000 + static_cast<unsigned>(i % 20));
      ref.tag()->setGenre("Rock");
      ref.tag()->setTrack(static_cast<unsigned>(i % 30 + 1));
      ref.save();
    }
    files.push_back(path.string());
  }
  return files;
}

template <class F>
double seconds(F&& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: readers_bench FIXTURE_DIR WORK_DIR [FILES] [ROUNDS]\n";
    return 2;
  }
  const int count = argc > 3 ? std::stoi(argv[3]) : 1000;
  const int rounds = argc > 4 ? std::stoi(argv[4]) : 5;
  fs::create_directories(argv[2]);
  auto files = makeFiles(argv[1], argv[2], count);

  size_t ourValid = 0, tagLibValid = 0;
  auto ours = [&] {
    ourValid = 0;
    for (const auto& f : files) {
      std::ostringstream out;
      if (sondrel::runInfoCommand(f, out) == 0) ++ourValid;
    }
  };
  auto tagLib = [&] {
    tagLibValid = 0;
    for (const auto& f : files) {
      TagLib::FileRef ref(f.c_str(), true, TagLib::AudioProperties::Average);
      if (!ref.isNull() && ref.audioProperties() && ref.audioProperties()->sampleRate() > 0 && ref.tag() &&
          !ref.tag()->title().isEmpty())
        ++tagLibValid;
    }
  };
  // Warm the page cache, then alternate and keep each side's best round.
  ours();
  tagLib();
  double bestOurs = 1e9, bestTagLib = 1e9;
  for (int r = 0; r < rounds; ++r) {
    bestOurs = std::min(bestOurs, seconds(ours));
    bestTagLib = std::min(bestTagLib, seconds(tagLib));
  }
  std::printf("files: %zu (ours recognised %zu, TagLib %zu)\n", files.size(), ourValid, tagLibValid);
  std::printf("ours:   %8.1f ms  (%6.1f us/file)\n", bestOurs * 1e3, bestOurs * 1e6 / files.size());
  std::printf("TagLib: %8.1f ms  (%6.1f us/file)\n", bestTagLib * 1e3, bestTagLib * 1e6 / files.size());
  std::printf("ours / TagLib time: %.2f\n", bestOurs / bestTagLib);

  // The same by kind of file, to show where either side spends its time.
  std::printf("%-16s %10s %10s %6s\n", "kind", "ours us", "TagLib us", "ratio");
  for (const auto& kind : kKinds) {
    std::vector<std::string> some;
    for (const auto& f : files)
      if (f.size() > kind.size() && f.compare(f.size() - kind.size(), kind.size(), kind) == 0) some.push_back(f);
    double o = 1e9, t = 1e9;
    for (int r = 0; r < rounds; ++r) {
      o = std::min(o, seconds([&] {
        for (const auto& f : some) {
          std::ostringstream out;
          sondrel::runInfoCommand(f, out);
        }
      }));
      t = std::min(t, seconds([&] {
        for (const auto& f : some) TagLib::FileRef ref(f.c_str(), true, TagLib::AudioProperties::Average);
      }));
    }
    std::printf("%-16s %10.1f %10.1f %6.2f\n", kind.c_str(), o * 1e6 / some.size(), t * 1e6 / some.size(), o / t);
  }
  return 0;
}
