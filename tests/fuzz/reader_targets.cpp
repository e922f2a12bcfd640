// libFuzzer entry point for the header and tag readers. Each build of this
// file picks one target by SONDREL_FUZZ_TARGET; the input becomes a file that
// the reader reads, and for the classes that write tags, a tag is written back
// into it so the writers meet hostile files too.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "formats/aac_file.h"
#include "formats/ac3.h"
#include "formats/ape_tag.h"
#include "formats/flac_file.h"
#include "formats/id3v1.h"
#include "formats/id3v2.h"
#include "formats/monkey.h"
#include "formats/mpeg_audio.h"
#include "formats/musepack.h"
#include "formats/ogg_vorbis.h"
#include "formats/optimfrog.h"
#include "formats/speex.h"
#include "formats/tta.h"
#include "formats/vorbis_comment.h"
#include "formats/wavpack_file.h"
#include "formats/wma_file.h"

namespace {

using namespace sondrel;

class ScratchFile {
 public:
  ScratchFile() {
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/sondrel-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    dir_ = pattern;
    path_ = dir_ + "/input";
  }
  ~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& store(const uint8_t* data, size_t size) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path_;
  }

 private:
  std::string dir_, path_;
};

template <class Reader>
void readAndQuery(const std::string& path) {
  Reader r;
  r.Read(path);
  (void)r.Valid();
  (void)r.Duration();
}

void fuzzId3v1(const std::string& path) {
  TID3v1 t;
  if (t.Read(path)) {
    t.SetTitle(t.FullTitle() + "x");
    t.Save(path);
  }
}

void fuzzId3v2(const std::string& path) {
  TID3v2 t;
  if (t.Read(path)) {
    t.SetTitle("fuzz");
    t.Write(path);
  }
}

void fuzzApeTag(const std::string& path) {
  TAPETag t;
  t.Read(path);
  t.SetField("Title", "fuzz");
  t.Write(path);
}

void fuzzFlac(const std::string& path) {
  TFLACfile f;
  f.Read(path);
  f.SetTag("TITLE", "fuzz");
  f.Write(path);
}

void fuzzOgg(const std::string& path) {
  TOggVorbis o;
  o.Read(path);
  (void)o.Valid();
  o.SetTitle("fuzz");
  o.Write(path);
}

void fuzzMpeg(const std::string& path) {
  TMPEGaudio m;
  m.Read(path);
  (void)m.Valid();
  (void)m.BitRate();
  m.APEtag().Read(path);
}

void fuzzMonkey(const std::string& path) { readAndQuery<TMonkey>(path); }
void fuzzWavPack(const std::string& path) { readAndQuery<TWAVPackfile>(path); }
void fuzzOptimFrog(const std::string& path) { readAndQuery<TOptimFrog>(path); }
void fuzzTta(const std::string& path) { readAndQuery<TTTA>(path); }
void fuzzSpeex(const std::string& path) { readAndQuery<TSpeex>(path); }
void fuzzWma(const std::string& path) { readAndQuery<TWMAfile>(path); }
void fuzzAc3(const std::string& path) { readAndQuery<TAC3>(path); }
void fuzzAac(const std::string& path) {
  TAACfile a;
  a.Read(path);
  (void)a.Valid();
  (void)a.Duration();
}
void fuzzMusepack(const std::string& path) {
  TMPEGplus m;
  m.Read(path);
  (void)m.BitRate();
  (void)m.Duration();
}

struct Target {
  std::string_view name;
  void (*run)(const std::string&);
};

constexpr Target kTargets[] = {
    {"id3v1", fuzzId3v1},        {"id3v2", fuzzId3v2},     {"ape_tag", fuzzApeTag},   {"mpeg_audio", fuzzMpeg},
    {"flac_file", fuzzFlac},     {"monkey", fuzzMonkey},   {"wavpack_file", fuzzWavPack},
    {"optimfrog", fuzzOptimFrog}, {"tta", fuzzTta},         {"musepack", fuzzMusepack}, {"ogg_vorbis", fuzzOgg},
    {"speex", fuzzSpeex},        {"wma_file", fuzzWma},    {"aac_file", fuzzAac},     {"ac3", fuzzAc3},
};

void (*selected())(const std::string&) {
  for (const auto& t : kTargets)
    if (t.name == SONDREL_FUZZ_TARGET) return t.run;
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (std::string_view(SONDREL_FUZZ_TARGET) == "vorbis_comment") {
    TVorbisComment c;
    c.Parse(ByteView(data, size));
    (void)c.Title();
    (void)c.Track();
    return 0;
  }
  static ScratchFile scratch;
  static auto run = selected();
  if (!run) std::abort();
  run(scratch.store(data, size));
  return 0;
}
