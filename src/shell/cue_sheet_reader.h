// Turns cue sheets into rows of the file list: the tracks of a ".cue" file,
// and those of a sheet kept in an audio file's APE tag. Keeps every sheet it
// has read, so that a track row can find its disc data by the row's slot.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>

#include "audio/engine.h"
#include "shell/cue_sheet.h"
#include "shell/decoders.h"
#include "shell/file_list.h"
#include "shell/user_port.h"

namespace sondrel {

class CueSheetReader : public CueExpander {
 public:
  CueSheetReader(const audio::Engine& engine, FileList& list, UserPort& port);

  void addCueFile(const std::string& path) override;
  bool addEmbeddedCue(const std::string& path) override;

  // The sheet a row's `cueSheet` field names; null for -1 or an unknown slot.
  const CueSheetSlot* slot(int index) const;
  // Slots are never reused, so this only grows, also across a cleared list.
  int lastCueSheet() const { return static_cast<int>(slots_.size()) - 1; }
  // The audio file of the last sheet turned into rows.
  const std::string& cueAudioFile() const { return cueAudioFile_; }

 private:
  // What one audio file of a sheet gives every row that lies in it.
  struct AudioFacts {
    std::string path;
    StreamInfo info;
    std::string sizeText;
  };

  // The files a sheet's FILE lines name, each located and opened once however
  // many tracks name it; nothing for one that was not found or did not open.
  using SheetFiles = std::map<std::string, std::optional<AudioFacts>>;

  int takeSlot(CueSheetSlot slot);
  void buildFileRows(int slotIndex, const std::string& cuePath);
  void buildEmbeddedRows(int slotIndex, const std::string& path);
  const AudioFacts* factsFor(SheetFiles& files, const std::string& name, const std::string& cuePath);
  std::optional<AudioFacts> openAudio(const std::string& path);
  // False when the track's index times are not valid; the message is shown.
  bool appendStretchRow(int slotIndex, size_t track, CueVariant variant, const AudioFacts& audio);
  void appendRow(int slotIndex, size_t track, const AudioFacts& audio, RowKind kind);

  const audio::Engine& engine_;
  FileList& list_;
  UserPort& port_;
  // A deque, because adding rows lets the window handle events, which may
  // read another sheet while this one is still being turned into rows.
  std::deque<CueSheetSlot> slots_;
  std::string cueAudioFile_;
};

}  // namespace sondrel
