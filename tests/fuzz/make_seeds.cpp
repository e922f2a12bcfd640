// Writes seed inputs for the fuzz targets: the start of each fixture as it
// is, and again with tags written by our own writers, so the fuzzers begin
// from files that reach deep into every parser.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "formats/ape_tag.h"
#include "formats/flac_file.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"
#include "formats/ogg_vorbis.h"

namespace fs = std::filesystem;
using namespace sondrel;

namespace {

constexpr size_t kSeedSize = 48 * 1024;

void writeHead(const fs::path& from, const fs::path& to) {
  std::ifstream in(from, std::ios::binary);
  std::string data(kSeedSize, '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<size_t>(in.gcount()));
  std::ofstream(to, std::ios::binary) << data;
}

void tagged(const fs::path& seed, const std::string& kind) {
  fs::path out = seed;
  out += "." + kind;
  fs::copy_file(seed, out, fs::copy_options::overwrite_existing);
  const std::string p = out.string();
  if (kind == "id3v1") {
    TID3v1 t;
    t.SetTitle(std::string(40, 'T'));
    t.SetLyrics("la\rla");
    t.SetAuthor("me");
    t.SetTrack(3);
    t.Save(p);
  } else if (kind == "id3v2") {
    TID3v2 t;
    t.SetTitle("Title \xE6\x97\xA5");
    t.SetComment("comment");
    t.SetGenre("(17)Rock");
    t.Write(p);
  } else if (kind == "ape") {
    TAPETag t;
    t.AddField("Title", "T");
    t.AddField("Cuesheet", "FILE \"x.wav\" WAVE");
    t.Write(p);
  } else if (kind == "flac") {
    TFLACfile f;
    f.Read(p);
    f.SetTag("TITLE", "T");
    f.Extras().emplace_back("OTHER", "o");
    f.Write(p);
  } else if (kind == "ogg") {
    TOggVorbis o;
    o.Read(p);
    o.SetTitle("T");
    o.Write(p);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_seeds FIXTURE_DIR OUT_DIR\n";
    return 2;
  }
  const fs::path fixtures = argv[1], out = argv[2];
  fs::create_directories(out);
  for (const auto& entry : fs::directory_iterator(fixtures)) {
    if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
    fs::path seed = out / entry.path().filename();
    writeHead(entry.path(), seed);
    for (const char* kind : {"id3v1", "id3v2", "ape", "flac", "ogg"}) tagged(seed, kind);
  }
  return 0;
}
