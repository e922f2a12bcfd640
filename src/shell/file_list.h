// The file list: the rows the user collects, the record behind each, and the
// list commands. Views (the Qt list, the terminal) observe it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "audio/engine.h"
#include "shell/audio_item.h"
#include "shell/user_port.h"

namespace sondrel {

struct FileRow {
  std::string caption;      // file name, or a cue track's title
  std::string lengthText;   // "hh:nn:ss"
  std::string sizeText;
  std::string typeText;     // "MP3"
  std::string infoText;
  std::string iconExtension;  // extension the row's icon stands for
  bool checked = true;
  bool selected = false;
  std::unique_ptr<TAudioItem> item;
};

// Told about every change of the rows, so that a view can follow.
class FileListObserver {
 public:
  virtual ~FileListObserver() = default;
  virtual void rowsAboutToBeInserted(int first, int last) = 0;
  virtual void rowsInserted() = 0;
  virtual void rowsAboutToBeRemoved(int first, int last) = 0;
  virtual void rowsRemoved() = 0;
  virtual void rowsChanged(int first, int last) = 0;  // check, selection or texts
  virtual void focusChanged(int row) = 0;
};

// Expands cue sheets into rows; supplied by the cue sheet reader.
class CueExpander {
 public:
  virtual ~CueExpander() = default;
  // A ".cue" file: adds its tracks.
  virtual void addCueFile(const std::string& path) = 0;
  // An audio file with a cue sheet in its APE tag: adds its tracks and answers true.
  virtual bool addEmbeddedCue(const std::string& path) = 0;
};

// Enabled states of the commands that depend on the list.
struct CommandStates {
  bool convert = false;     // btnconvert and the "Convert to" items
  bool rowCommands = false; // delete, play, property, up, down, cut, split
  bool transport = false;   // pause and stop
};

class FileList {
 public:
  FileList(const audio::Engine& engine, UserPort& port);

  void setObserver(FileListObserver* observer) { observer_ = observer; }
  void setCueExpander(CueExpander* expander) { cueExpander_ = expander; }
  // Called with each record as it is released, so that a view holding the row
  // (cut view, split editor) can let go of it.
  void setReleaseHandler(std::function<void(const TAudioItem*)> handler) { onRelease_ = std::move(handler); }

  int rowCount() const { return static_cast<int>(rows_.size()); }
  const FileRow& row(int i) const { return rows_[static_cast<size_t>(i)]; }
  int checkedCount() const { return checkedCount_; }
  int focused() const { return focused_; }
  bool hasSelection() const;
  bool isInList(const std::string& path) const;

  // Adding.
  void addFile(const std::string& path);
  void addFolderFiles(const std::string& folder, bool recursive);
  void dropNames(const std::vector<std::string>& names);
  // Appends a finished row (cue tracks are built this way); checked, counted.
  void appendRow(FileRow row);

  // Commands.
  void deleteSelected();
  void clear();
  void selectAll();
  void selectNone();
  void invertSelection();
  void moveUp();
  void moveDown();
  // Drag within the list: the focused row goes to `target`, the row under the
  // pointer, or to the end when `target` is -1 (no row under the pointer).
  void moveFocusedTo(int target);
  // A click in the list (also on a check box): recount the checks.
  void listClicked();

  // Changes made by the view.
  void setChecked(int row, bool checked);
  void setSelected(int row, bool selected);
  void setFocused(int row);

  int countChecked() const;
  CommandStates commandStates(bool playbackExists) const;

 private:
  void updateCheckedStatus();
  void moveRow(int from, int to);
  void removeRow(int i);
  void forgetPath(const std::string& path);
  void scanFolder(const std::string& folder, bool recursive, std::vector<std::string>& visited);
  void breathe();

  const audio::Engine& engine_;
  UserPort& port_;
  FileListObserver* observer_ = nullptr;
  CueExpander* cueExpander_ = nullptr;
  std::function<void(const TAudioItem*)> onRelease_;
  std::vector<FileRow> rows_;
  std::unordered_map<std::string, int> pathCounts_;  // for isInList without a walk
  int checkedCount_ = 0;
  int focused_ = -1;
  std::chrono::steady_clock::time_point lastBreath_;
};

}  // namespace sondrel
