#include "shell/cue_sheet_reader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>

#include "shell/cue_locate.h"
#include "shell/cue_parser.h"
#include "shell/cue_text.h"
#include "shell/cue_tracks.h"
#include "shell/embedded_cue.h"
#include "shell/list_texts.h"

namespace sondrel {
namespace {

enum class SheetRead { Ok, TooLarge, Failed };

SheetRead readSheetFile(const std::string& path, std::string& bytes, std::string& error) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "Cannot open file \"" + path + "\". " + std::strerror(errno ? errno : EIO);
    return SheetRead::Failed;
  }
  // One byte past the limit tells a sheet that is too large from one that fits.
  bytes.resize(kMaxCueSheetBytes + 1);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) {
    error = "Cannot read file \"" + path + "\". " + std::strerror(errno ? errno : EIO);
    return SheetRead::Failed;
  }
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes.size() > kMaxCueSheetBytes ? SheetRead::TooLarge : SheetRead::Ok;
}

std::string invalidTimeText(const std::string& time) { return "'" + time + "' is not a valid index time"; }

// Rows need a caption; a sheet without titles names its tracks by number.
std::string captionOf(const CueTrack& track, size_t index) {
  if (!track.trackTitle.empty()) return track.trackTitle;
  char buf[32];
  std::snprintf(buf, sizeof buf, "Track %02zu", index + 1);
  return buf;
}

}  // namespace

CueSheetReader::CueSheetReader(const audio::Engine& engine, FileList& list, UserPort& port)
    : engine_(engine), list_(list), port_(port) {}

const CueSheetSlot* CueSheetReader::slot(int index) const {
  if (index < 0 || index >= static_cast<int>(slots_.size())) return nullptr;
  return &slots_[static_cast<size_t>(index)];
}

int CueSheetReader::takeSlot(CueSheetSlot slot) {
  slots_.push_back(std::move(slot));
  return lastCueSheet();
}

void CueSheetReader::addCueFile(const std::string& path) {
  std::string bytes, error;
  switch (readSheetFile(path, bytes, error)) {
    case SheetRead::Failed: port_.showError(error); return;
    case SheetRead::TooLarge: return;  // not a cue sheet: no rows
    case SheetRead::Ok: break;
  }
  const int index = takeSlot(parseCueSheet(cueSheetLines(bytes), CueVariant::File));
  buildFileRows(index, path);
}

bool CueSheetReader::addEmbeddedCue(const std::string& path) {
  const EmbeddedCue cue = readEmbeddedCue(path);
  switch (cue.state) {
    case EmbeddedCueState::None: return false;
    case EmbeddedCueState::TooLarge: return true;  // the file carries a sheet, but no rows come of it
    case EmbeddedCueState::Sheet: break;
  }
  const int index = takeSlot(parseCueSheet(cueSheetLines(cue.text), CueVariant::Embedded));
  buildEmbeddedRows(index, path);
  return true;
}

std::optional<CueSheetReader::AudioFacts> CueSheetReader::openAudio(const std::string& path) {
  cueAudioFile_ = path;
  const auto info = readStreamInfo(engine_, ExtensionOf(path), path);
  if (!info) return std::nullopt;
  return AudioFacts{path, *info, FileSizeText(path)};
}

const CueSheetReader::AudioFacts* CueSheetReader::factsFor(SheetFiles& files, const std::string& name,
                                                          const std::string& cuePath) {
  auto it = files.find(name);
  if (it == files.end()) {
    const LocatedAudio located = locateCueAudioFile(name, cuePath);
    if (!located.path) port_.showInfo(located.searched + " not exists");
    it = files.emplace(name, located.path ? openAudio(*located.path) : std::nullopt).first;
  } else if (it->second) {
    cueAudioFile_ = it->second->path;
  }
  return it->second ? &*it->second : nullptr;
}

void CueSheetReader::buildFileRows(int slotIndex, const std::string& cuePath) {
  const CueSheetSlot& sheet = slots_[static_cast<size_t>(slotIndex)];
  if (sheet.tracks.empty()) return;
  SheetFiles files;
  if (sheet.singleFile) {
    const AudioFacts* image = factsFor(files, sheet.imageFile, cuePath);
    if (!image) return;
    for (size_t i = 0; i < sheet.tracks.size(); ++i)
      if (!appendStretchRow(slotIndex, i, CueVariant::File, *image)) return;
    return;
  }
  for (size_t i = 0; i < sheet.tracks.size(); ++i) {
    const AudioFacts* audio = factsFor(files, sheet.tracks[i].trackFile, cuePath);
    if (!audio) return;
    // A file that holds several tracks of the sheet is cut into them like an
    // image; a file of its own is the whole track.
    const bool sharesFile = endsAtNextTrack(sheet, i, CueVariant::File) ||
                            (i > 0 && sheet.tracks[i - 1].trackFile == sheet.tracks[i].trackFile);
    if (sharesFile) {
      if (!appendStretchRow(slotIndex, i, CueVariant::File, *audio)) return;
      continue;
    }
    CueTrack& track = slots_[static_cast<size_t>(slotIndex)].tracks[i];
    track.trackStart = 0;
    const double limit = std::numeric_limits<int32_t>::max();
    const double duration = std::isfinite(audio->info.duration) ? audio->info.duration : 0.0;
    track.trackLength = static_cast<int32_t>(std::llround(std::clamp(duration, 0.0, limit)));
    appendRow(slotIndex, i, *audio, RowKind::File);
  }
}

void CueSheetReader::buildEmbeddedRows(int slotIndex, const std::string& path) {
  const CueSheetSlot& sheet = slots_[static_cast<size_t>(slotIndex)];
  if (sheet.tracks.empty()) return;
  const auto audio = openAudio(path);
  if (!audio) return;
  for (size_t i = 0; i < sheet.tracks.size(); ++i)
    if (!appendStretchRow(slotIndex, i, CueVariant::Embedded, *audio)) return;
}

bool CueSheetReader::appendStretchRow(int slotIndex, size_t track, CueVariant variant, const AudioFacts& audio) {
  CueSheetSlot& sheet = slots_[static_cast<size_t>(slotIndex)];
  const TrackSpanResult result = trackSpan(sheet, track, variant, WholeSeconds(audio.info.duration));
  if (!result.span) {
    port_.showError(invalidTimeText(result.badTime));
    return false;
  }
  sheet.tracks[track].trackStart = result.span->start;
  sheet.tracks[track].trackLength = result.span->length;
  appendRow(slotIndex, track, audio, RowKind::CueTrack);
  return true;
}

void CueSheetReader::appendRow(int slotIndex, size_t track, const AudioFacts& audio, RowKind kind) {
  const CueTrack& t = slots_[static_cast<size_t>(slotIndex)].tracks[track];
  const std::string ext = ExtensionOf(audio.path);
  FileRow row;
  row.caption = captionOf(t, track);
  row.lengthText = LengthText(t.trackLength);
  row.sizeText = audio.sizeText;
  row.typeText = TypeText(ext);
  row.infoText = InformationText(audio.info.sampleRate, audio.info.channels, audio.info.bitsPerSample);
  row.iconExtension = ext;
  row.item = std::make_unique<TAudioItem>();
  row.item->rowKind = kind;
  row.item->decoder = audio.info.decoder;
  row.item->fileName = audio.path;
  row.item->duration = audio.info.duration;
  row.item->sampleRate = audio.info.sampleRate;
  row.item->bitsPerSample = audio.info.bitsPerSample;
  row.item->channels = audio.info.channels;
  row.item->cueSheet = slotIndex;
  row.item->trackStart = t.trackStart;
  row.item->trackLength = t.trackLength;
  list_.appendRow(std::move(row));
}

}  // namespace sondrel
