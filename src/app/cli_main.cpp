// sondrel-cli: the converter without windows, on the same core as the GUI.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "audio/engine.h"
#include "shell/file_list.h"
#include "shell/user_port.h"

#ifdef SONDREL_HAS_INFO
#include "formats/info_command.h"
#endif

namespace {

class TerminalPort : public sondrel::UserPort {
 public:
  void showError(const std::string& text) override { std::cerr << text << '\n'; }
  void showInfo(const std::string& text) override { std::cerr << text << '\n'; }
  void setStatus(int, const std::string&) override {}
};

int usage() {
  std::cerr << "usage: sondrel-cli list PATH...\n"
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
  for (const auto& p : paths) {
    std::error_code ec;
    const std::string path = std::filesystem::absolute(p, ec).lexically_normal().string();
    if (std::filesystem::is_directory(path, ec)) list.addFolderFiles(path, true);
    else list.addFile(path);
  }
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
#ifdef SONDREL_HAS_INFO
  if (command == "info" && args.size() == 1) return sondrel::runInfoCommand(args[0], std::cout);
#endif
  return usage();
}
