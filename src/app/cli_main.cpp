// sondrel-cli: the converter without windows, on the same core as the GUI.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include <map>

#include "audio/engine.h"
#include "convert/converter.h"
#include "effects/install_effects.h"
#include "settings/settings_model.h"
#include "shell/cue_sheet_reader.h"
#include "shell/file_list.h"
#include "shell/folders.h"
#include "shell/user_port.h"

#ifdef SONDREL_HAS_INFO
#include "formats/info_command.h"
#endif

namespace {

int usage();

// Adds files as the GUI adds its command line, and folders as "Add Folder" does.
void addPaths(sondrel::FileList& list, const std::vector<std::string>& paths) {
  for (const auto& p : paths) {
    std::error_code ec;
    const std::string path = std::filesystem::absolute(p, ec).lexically_normal().string();
    if (std::filesystem::is_directory(path, ec)) list.addFolderFiles(path, true);
    else list.addFile(path);
  }
}

class TerminalPort : public sondrel::UserPort {
 public:
  void showError(const std::string& text) override { std::cerr << text << '\n'; }
  void showInfo(const std::string& text) override { std::cerr << text << '\n'; }
  void setStatus(int, const std::string&) override {}
};

// A progress line on the terminal: the file and its percentage.
class TerminalProgress : public sondrel::convert::ProgressView {
 public:
  void setCaption(const std::string& caption) override { std::cerr << caption << '\n'; }
  void setFileLabel(const std::string& text) override {
    endLine();
    label_ = text;
  }
  void setFileProgress(int percent) override {
    if (!isatty(2) || percent == shown_) return;
    shown_ = percent;
    const int filled = std::clamp(percent, 0, 100) / 5;
    std::cerr << "\r[" << std::string(static_cast<size_t>(filled), '#') << std::string(static_cast<size_t>(20 - filled), ' ')
              << "] " << percent << "% " << label_ << std::flush;
    lineOpen_ = true;
  }
  void setTotalProgress(int) override {}
  int totalMaximum() const override { return maximum_; }
  void setTotalMaximum(int maximum) override { maximum_ = maximum; }
  bool isShowing() const override { return true; }
  void showProgress() override {}
  void endLine() {
    if (lineOpen_) std::cerr << '\n';
    lineOpen_ = false;
    shown_ = -1;
  }

 private:
  std::string label_;
  int maximum_ = 0;
  int shown_ = -1;
  bool lineOpen_ = false;
};

int convertCommand(std::vector<std::string> args) {
  static const std::map<std::string, int> kFormats = {{"wav", 1}, {"mp3", 2}, {"wma", 3},     {"ogg", 4}, {"ape", 5},
                                                      {"flac", 6}, {"wavpack", 7}, {"mpc", 8}, {"aac", 9}};
  int format = 0;
  std::string out;
  std::vector<std::string> paths;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--to" && i + 1 < args.size()) {
      auto it = kFormats.find(args[++i]);
      if (it == kFormats.end()) return usage();
      format = it->second;
    } else if (args[i] == "--out" && i + 1 < args.size()) {
      out = args[++i];
    } else {
      paths.push_back(args[i]);
    }
  }
  if (format == 0 || paths.empty()) return usage();

  sondrel::audio::Engine engine;
  TerminalPort port;
  sondrel::FileList list(engine, port);
  sondrel::CueSheetReader cueReader(engine, list, port);
  list.setCueExpander(&cueReader);
  const std::string programFolder = sondrel::AddSlash(std::filesystem::canonical("/proc/self/exe").parent_path().string());
  sondrel::settings::SettingsModel settings(sondrel::documentsFolder() + "qorv/", sondrel::musicFolder(),
                                            programFolder + "skin");
  settings.load();
  addPaths(list, paths);
  const int rows = list.rowCount();
  TerminalProgress progress;
  sondrel::convert::Converter converter(engine, settings, list, port, progress, programFolder);
  sondrel::effects::installEffects(converter, settings);
  if (!out.empty()) {
    std::error_code ec;
    converter.setOutputFolder(std::filesystem::absolute(out, ec).lexically_normal().string());
  }
  converter.ConvertChecked(format);
  progress.endLine();
  for (const auto& output : converter.outputs()) std::cout << output << '\n';
  return rows > 0 && converter.failures() == 0 && static_cast<int>(converter.outputs().size()) == rows ? 0 : 1;
}

int usage() {
  std::cerr << "usage: sondrel-cli list PATH...\n"
               "       sondrel-cli convert --to wav|mp3|wma|ogg|ape|flac|wavpack|mpc|aac [--out DIR] PATH...\n"
#ifdef SONDREL_HAS_INFO
               "       sondrel-cli info FILE\n"
#endif
      ;
  return 2;
}

// Adds every path as the GUI does for its command line and folders, and prints
// one line per row: caption, length, size, type and information, tab-separated.
int listCommand(const std::vector<std::string>& paths) {
  sondrel::audio::Engine engine;
  TerminalPort port;
  sondrel::FileList list(engine, port);
  sondrel::CueSheetReader cueReader(engine, list, port);
  list.setCueExpander(&cueReader);
  addPaths(list, paths);
  for (int i = 0; i < list.rowCount(); ++i) {
    const auto& row = list.row(i);
    std::cout << row.caption << '\t' << row.lengthText << '\t' << row.sizeText << '\t' << row.typeText << '\t'
              << row.infoText << '\n';
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "list") return listCommand(args);
  if (command == "convert") return convertCommand(args);
#ifdef SONDREL_HAS_INFO
  if (command == "info" && args.size() == 1) return sondrel::runInfoCommand(args[0], std::cout);
#endif
  return usage();
}
