#include "shell/file_list.h"

#include <algorithm>
#include <filesystem>

#include "shell/decoders.h"
#include "shell/extensions.h"
#include "shell/list_texts.h"

namespace fs = std::filesystem;

namespace sondrel {
namespace {

std::string totalSelectedText(int count) { return "Total selected:" + std::to_string(count); }

// Keeps the list responsive while a large folder is added.
constexpr auto kBreathInterval = std::chrono::milliseconds(40);

}  // namespace

FileList::FileList(const audio::Engine& engine, UserPort& port)
    : engine_(engine), port_(port), lastBreath_(std::chrono::steady_clock::now()) {}

bool FileList::hasSelection() const {
  return std::any_of(rows_.begin(), rows_.end(), [](const FileRow& r) { return r.selected; });
}

bool FileList::isInList(const std::string& path) const { return pathCounts_.count(path) > 0; }

void FileList::breathe() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastBreath_ < kBreathInterval) return;
  lastBreath_ = now;
  port_.processEvents();
}

void FileList::addFile(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec) || isInList(path)) return;
  const std::string ext = ExtensionOf(path);
  if (TypeText(ext) == "CUE") {
    if (cueExpander_) cueExpander_->addCueFile(path);
    return;
  }
  if (cueExpander_ && cueExpander_->addEmbeddedCue(path)) return;
  const auto info = readStreamInfo(engine_, ext, path);
  if (!info) return;

  FileRow row;
  row.caption = FileNameOf(path);
  row.lengthText = LengthText(info->duration);
  row.sizeText = info->decoder == kDecoderCDTrack ? CdTrackSizeText(info->duration) : FileSizeText(path);
  row.typeText = TypeText(ext);
  row.infoText = InformationText(info->sampleRate, info->channels, info->bitsPerSample);
  row.iconExtension = ext;
  row.item = std::make_unique<TAudioItem>();
  row.item->rowKind = RowKind::File;
  row.item->decoder = info->decoder;
  row.item->fileName = path;
  row.item->duration = info->duration;
  row.item->sampleRate = info->sampleRate;
  row.item->bitsPerSample = info->bitsPerSample;
  row.item->channels = info->channels;
  appendRow(std::move(row));
}

void FileList::appendRow(FileRow row) {
  const int index = rowCount();
  if (observer_) observer_->rowsAboutToBeInserted(index, index);
  row.checked = true;
  if (row.item) ++pathCounts_[row.item->fileName];
  rows_.push_back(std::move(row));
  if (observer_) observer_->rowsInserted();
  ++checkedCount_;
  port_.setStatus(1, totalSelectedText(checkedCount_));
  breathe();
}

void FileList::addFolderFiles(const std::string& folder, bool recursive) {
  std::vector<std::string> visited;
  scanFolder(folder, recursive, visited);
}

void FileList::scanFolder(const std::string& folder, bool recursive, std::vector<std::string>& visited) {
  std::error_code ec;
  // A folder reached twice (through a link loop) is scanned once.
  const std::string real = fs::canonical(folder, ec).string();
  if (ec || std::find(visited.begin(), visited.end(), real) != visited.end()) return;
  visited.push_back(real);

  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> files;
  std::vector<std::string> folders;
  for (fs::directory_iterator it(prefix, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (it->is_directory(typeError)) folders.push_back(name);
    else if (IsSupportedFile(name)) files.push_back(name);
  }
  // Names in order, as a file manager lists them; the raw directory order of
  // Linux file systems is a hash order that means nothing to a person.
  std::sort(files.begin(), files.end());
  std::sort(folders.begin(), folders.end());
  for (const auto& name : files) addFile(prefix + name);
  if (!recursive) return;
  for (const auto& name : folders) scanFolder(prefix + name, recursive, visited);
}

void FileList::dropNames(const std::vector<std::string>& names) {
  for (const auto& name : names) {
    const std::string ext = LowerExtension(name);
    std::error_code ec;
    if (ext.empty() && fs::is_directory(name, ec)) addFolderFiles(name, true);
    else if (IsDroppable(name)) addFile(name);
  }
}

void FileList::forgetPath(const std::string& path) {
  auto it = pathCounts_.find(path);
  if (it != pathCounts_.end() && --it->second <= 0) pathCounts_.erase(it);
}

void FileList::removeRow(int i) {
  if (observer_) observer_->rowsAboutToBeRemoved(i, i);
  FileRow& row = rows_[static_cast<size_t>(i)];
  if (row.item) {
    if (onRelease_) onRelease_(row.item.get());
    forgetPath(row.item->fileName);
  }
  rows_.erase(rows_.begin() + i);
  if (focused_ == i) focused_ = -1;
  else if (focused_ > i) --focused_;
  if (observer_) observer_->rowsRemoved();
}

void FileList::deleteSelected() {
  for (int i = rowCount() - 1; i >= 0; --i) {
    if (!rows_[static_cast<size_t>(i)].selected) continue;
    const bool wasChecked = rows_[static_cast<size_t>(i)].checked;
    removeRow(i);
    if (wasChecked) {
      --checkedCount_;
      port_.setStatus(1, totalSelectedText(checkedCount_));
    }
  }
}

void FileList::clear() {
  if (!rows_.empty()) {
    if (observer_) observer_->rowsAboutToBeRemoved(0, rowCount() - 1);
    for (auto& row : rows_)
      if (row.item && onRelease_) onRelease_(row.item.get());
    rows_.clear();
    pathCounts_.clear();
    focused_ = -1;
    if (observer_) observer_->rowsRemoved();
  }
  checkedCount_ = 0;
  port_.setStatus(1, totalSelectedText(0));
}

void FileList::selectAll() {
  if (rows_.empty()) return;
  for (auto& row : rows_) row.checked = row.selected = true;
  checkedCount_ = rowCount();
  port_.setStatus(1, totalSelectedText(checkedCount_));
  if (observer_) observer_->rowsChanged(0, rowCount() - 1);
}

void FileList::selectNone() {
  if (rows_.empty()) return;
  for (auto& row : rows_) row.checked = row.selected = false;
  checkedCount_ = 0;
  port_.setStatus(1, totalSelectedText(0));
  if (observer_) observer_->rowsChanged(0, rowCount() - 1);
}

void FileList::invertSelection() {
  if (rows_.empty()) return;
  for (auto& row : rows_) {
    row.checked = !row.checked;
    row.selected = row.checked;
  }
  updateCheckedStatus();
  if (observer_) observer_->rowsChanged(0, rowCount() - 1);
}

void FileList::moveRow(int from, int insertAt) {
  // The row is made anew at its new place with the same record, check and
  // selection; the old one goes. `insertAt` counts before the removal.
  FileRow moving = std::move(rows_[static_cast<size_t>(from)]);
  if (observer_) observer_->rowsAboutToBeRemoved(from, from);
  rows_.erase(rows_.begin() + from);
  if (observer_) observer_->rowsRemoved();
  const int target = insertAt > from ? insertAt - 1 : insertAt;
  if (observer_) observer_->rowsAboutToBeInserted(target, target);
  rows_.insert(rows_.begin() + target, std::move(moving));
  if (observer_) observer_->rowsInserted();
  focused_ = target;
  if (observer_) observer_->focusChanged(target);
}

void FileList::moveUp() {
  const int i = focused_;
  if (i > 0 && i < rowCount()) moveRow(i, i - 1);
}

void FileList::moveDown() {
  const int i = focused_;
  if (i >= 0 && i < rowCount() - 1) moveRow(i, i + 2);
}

void FileList::moveFocusedTo(int target) {
  const int from = focused_;
  if (from < 0 || from >= rowCount()) return;
  const int insertAt = target < 0 ? rowCount() : std::min(target, rowCount());
  if (insertAt == from || insertAt == from + 1) return;  // already there
  moveRow(from, insertAt);
}

void FileList::listClicked() {
  if (!rows_.empty()) updateCheckedStatus();
}

void FileList::setChecked(int row, bool checked) {
  if (row < 0 || row >= rowCount()) return;
  rows_[static_cast<size_t>(row)].checked = checked;
  if (observer_) observer_->rowsChanged(row, row);
}

void FileList::setSelected(int row, bool selected) {
  if (row < 0 || row >= rowCount()) return;
  rows_[static_cast<size_t>(row)].selected = selected;
}

void FileList::setFocused(int row) { focused_ = row >= 0 && row < rowCount() ? row : -1; }

int FileList::countChecked() const {
  return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const FileRow& r) { return r.checked; }));
}

void FileList::updateCheckedStatus() {
  checkedCount_ = countChecked();
  port_.setStatus(1, totalSelectedText(checkedCount_));
}

CommandStates FileList::commandStates(bool playbackExists) const {
  CommandStates s;
  s.convert = checkedCount_ != 0;
  s.rowCommands = hasSelection();
  s.transport = playbackExists;
  return s;
}

}  // namespace sondrel
