#include "formats/info_command.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "formats/aac_file.h"
#include "formats/ac3.h"
#include "formats/flac_file.h"
#include "formats/monkey.h"
#include "formats/mpeg_audio.h"
#include "formats/musepack.h"
#include "formats/ogg_vorbis.h"
#include "formats/optimfrog.h"
#include "formats/speex.h"
#include "formats/text_encoding.h"
#include "formats/tta.h"
#include "formats/vorbis_comment.h"
#include "formats/wavpack_file.h"
#include "formats/wma_attributes.h"
#include "formats/wma_file.h"

namespace sondrel {
namespace {

struct TagValues {
  std::string kind;
  std::string title, artist, album, year, genre, comment;
  unsigned track = 0;
};

struct Info {
  bool valid = false;
  int sampleRate = 0, channels = 0, bits = 0, bitRate = 0;
  double duration = 0;
  std::vector<TagValues> tags;
};

TagValues fromApe(const TAPETag& t) {
  return {"APE", t.GetField("Title"), t.GetField("Artist"), t.GetField("Album"), t.GetField("Year"),
          t.GetField("Genre"), t.GetField("Comment"), TrackNumberValue(t.GetField("Track"))};
}
TagValues fromId3v1(const TID3v1& t) {
  return {"ID3v1", t.FullTitle(), t.FullArtist(), t.FullAlbum(), t.Year(), t.GenreName(), t.FullComment(), t.Track()};
}
TagValues fromId3v2(const TID3v2& t) {
  return {"ID3v2", t.Title(), t.Artist(), t.Album(), t.Year(), t.Genre(), t.Comment(), t.Track()};
}
TagValues fromVorbis(const TVorbisComment& c) {
  return {"Vorbis", c.Title(), c.Artist(), c.Album(), c.Year(), c.Genre(), c.Comment(), c.Track()};
}

// Tags in the order the property window looks at them.
void addEndTags(Info& info, const TAPETag& ape, const TID3v1& id3v1, const TID3v2& id3v2) {
  if (ape.Present()) info.tags.push_back(fromApe(ape));
  if (id3v1.Present()) info.tags.push_back(fromId3v1(id3v1));
  if (id3v2.Present()) info.tags.push_back(fromId3v2(id3v2));
}

int kbps(int64_t bytes, double seconds) {
  return seconds > 0 ? static_cast<int>(std::nearbyint(double(bytes) * 8 / seconds / 1000)) : 0;
}

template <class Reader>
void losslessStream(Info& info, const Reader& r) {
  info.valid = r.Valid();
  info.sampleRate = r.SampleRate();
  info.channels = r.Channels();
  info.bits = r.BitsPerSample();
  info.duration = r.Duration();
  info.bitRate = kbps(r.FileSize(), info.duration);
}

std::optional<Info> readMpeg(const std::string& path) {
  TMPEGaudio r;
  if (!r.Read(path)) return std::nullopt;
  Info info{r.Valid(), r.SampleRate(), r.Channels(), 0, r.BitRate(), r.Duration(), {}};
  // The APE tag of an MP3 file is read only by callers that show tags.
  if (r.APEtag().Read(path)) addEndTags(info, r.APEtag(), r.ID3v1(), r.ID3v2());
  return info;
}

std::optional<Info> readMonkey(const std::string& path) {
  TMonkey r;
  if (!r.Read(path)) return std::nullopt;
  Info info;
  losslessStream(info, r);
  addEndTags(info, r.APEtag(), r.ID3v1(), r.ID3v2());
  return info;
}

std::optional<Info> readFlac(const std::string& path) {
  TFLACfile r;
  r.Read(path);
  Info info;
  losslessStream(info, r);
  if (r.HasComments())
    info.tags.push_back({"Vorbis", r.Title(), r.Artist(), r.Album(), r.Date(), r.Genre(), r.Comment(),
                         TrackNumberValue(r.TrackString())});
  if (r.ID3v2().Present()) info.tags.push_back(fromId3v2(r.ID3v2()));
  return info;
}

std::optional<Info> readWavPack(const std::string& path) {
  TWAVPackfile r;
  if (!r.Read(path)) return std::nullopt;
  Info info;
  losslessStream(info, r);
  if (r.APEtag().Present()) info.tags.push_back(fromApe(r.APEtag()));
  return info;
}

template <class Reader>
std::optional<Info> readTagged(const std::string& path) {
  Reader r;
  if (!r.Read(path) && !r.Valid()) return std::nullopt;
  Info info;
  losslessStream(info, r);
  addEndTags(info, r.APEtag(), r.ID3v1(), r.ID3v2());
  return info;
}

std::optional<Info> readAc3(const std::string& path) {
  TAC3 r;
  if (!r.Read(path)) return std::nullopt;
  return Info{r.Valid(), r.SampleRate(), r.Channels(), r.BitsPerSample(), r.BitRate(), r.Duration(), {}};
}

std::optional<Info> readSpeex(const std::string& path) {
  TSpeex r;
  if (!r.Read(path)) return std::nullopt;
  Info info{r.Valid(), r.SampleRate(), r.Channels(), 0, static_cast<uint16_t>(r.BitRate()), r.Duration(), {}};
  if (r.VorbisComment().HasComments()) info.tags.push_back(fromVorbis(r.VorbisComment()));
  return info;
}

std::optional<Info> readWma(const std::string& path) {
  TWMAfile r;
  if (!r.Read(path)) return std::nullopt;
  Info info{r.Valid(), r.SampleRate(), r.Channels(), 0, r.BitRate(), r.Duration(), {}};
  WMAAttributes a;
  if (ReadWMAAttributes(path, a)) {
    auto track = parseInteger(a.TrackNumber);
    info.tags.push_back({"WMA", a.Title, a.Author, a.AlbumTitle, a.Year, a.Genre, a.Description,
                         track && *track > 0 && *track < 65536 ? static_cast<unsigned>(*track) : 0});
  }
  return info;
}

std::optional<Info> readOgg(const std::string& path) {
  TOggVorbis r;
  if (!r.Read(path)) return std::nullopt;
  Info info{r.Valid(), r.SampleRate(), r.Channels(), 0, static_cast<uint16_t>(r.BitRate()), r.Duration(), {}};
  if (r.HasComments())
    info.tags.push_back({"Vorbis", r.Title(), r.Artist(), r.Album(), r.Year(), r.Genre(), r.Comment(), r.Track()});
  if (r.ID3v2().Present() && r.ID3v2().Size() > 0) info.tags.push_back(fromId3v2(r.ID3v2()));
  return info;
}

std::optional<Info> readMusepack(const std::string& path) {
  TMPEGplus r;
  if (!r.Read(path)) return std::nullopt;
  Info info{r.Valid(), r.SampleRate(), r.Channels(), 0, static_cast<uint16_t>(r.BitRate()), r.Duration(), {}};
  addEndTags(info, r.APEtag(), r.ID3v1(), r.ID3v2());
  return info;
}

std::optional<Info> readAac(const std::string& path) {
  TAACfile r;
  if (!r.Read(path)) return std::nullopt;
  Info info{r.Valid(), r.SampleRate(), r.Channels(), 0, static_cast<int>(std::nearbyint(r.BitRate() / 1000.0)),
            r.Duration(), {}};
  addEndTags(info, r.APEtag(), r.ID3v1(), r.ID3v2());
  return info;
}

using ReaderFunction = std::optional<Info> (*)(const std::string&);

// The reader for a file, chosen by its extension like the property window.
ReaderFunction readerFor(const std::string& path) {
  std::string ext = toUpperAscii(std::filesystem::u8path(path).extension().string());
  if (ext == ".MP3" || ext == ".MP2" || ext == ".MP1") return readMpeg;
  if (ext == ".APE") return readMonkey;
  if (ext == ".FLAC" || ext == ".FLA") return readFlac;
  if (ext == ".WV") return readWavPack;
  if (ext == ".TTA") return readTagged<TTTA>;
  if (ext == ".OFR") return readTagged<TOptimFrog>;
  if (ext == ".AC3") return readAc3;
  if (ext == ".SPX") return readSpeex;
  if (ext == ".WMA") return readWma;
  if (ext == ".OGG") return readOgg;
  if (ext == ".MPC" || ext == ".MP+" || ext == ".MPP") return readMusepack;
  if (ext == ".AAC") return readAac;
  return nullptr;
}

void printTag(std::ostream& out, const TagValues& t) {
  auto line = [&](const char* field, const std::string& value) {
    if (!value.empty()) out << t.kind << '.' << field << ": " << value << '\n';
  };
  line("title", t.title);
  line("artist", t.artist);
  line("album", t.album);
  line("year", t.year);
  line("genre", t.genre);
  line("comment", t.comment);
  if (t.track != 0) line("track", std::to_string(t.track));
}

}  // namespace

int runInfoCommand(const std::string& path, std::ostream& out) {
  ReaderFunction reader = readerFor(path);
  std::optional<Info> info = reader ? reader(path) : std::nullopt;
  if (!info || !info->valid) {
    out << "valid: no\n";
    return 1;
  }
  char duration[32];
  std::snprintf(duration, sizeof duration, "%.3f", info->duration);
  out << "valid: yes\n"
      << "sample rate: " << info->sampleRate << '\n'
      << "channels: " << info->channels << '\n'
      << "bits: " << info->bits << '\n'
      << "duration: " << duration << '\n'
      << "bit rate: " << info->bitRate << '\n';
  for (const auto& tag : info->tags) printTag(out, tag);
  return 0;
}

}  // namespace sondrel
