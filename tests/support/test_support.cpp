#include "support/test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

extern char** environ;

namespace sondrel::test {

std::string fixture(const std::string& name) { return std::string(SONDREL_FIXTURE_DIR) + "/" + name; }

std::filesystem::path buildDir() { return SONDREL_BUILD_DIR; }

TempDir::TempDir() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() / ("sondrel-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

ProcessResult run(const std::vector<std::string>& argv, const std::string& stdinData) {
  int inPipe[2], outPipe[2], errPipe[2];
  // A child that stops reading early must fail our write, not kill the test.
  signal(SIGPIPE, SIG_IGN);
  if (pipe2(inPipe, O_CLOEXEC) || pipe2(outPipe, O_CLOEXEC) || pipe2(errPipe, O_CLOEXEC))
    throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  ProcessResult result;
  if (rc != 0) {
    close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    result.err = "cannot start " + argv[0];
    return result;
  }
  size_t written = 0;
  if (stdinData.empty()) {
    close(inPipe[1]);
    inPipe[1] = -1;
  }
  fcntl(inPipe[1], F_SETFL, O_NONBLOCK);
  std::string* sinks[2] = {&result.out, &result.err};
  int fds[2] = {outPipe[0], errPipe[0]};
  bool open[2] = {true, true};
  char buf[65536];
  while (open[0] || open[1]) {
    pollfd pfd[3];
    int n = 0;
    int map[3];
    for (int i = 0; i < 2; ++i)
      if (open[i]) {
        pfd[n] = {fds[i], POLLIN, 0};
        map[n++] = i;
      }
    int inSlot = -1;
    if (inPipe[1] >= 0) {
      pfd[n] = {inPipe[1], POLLOUT, 0};
      inSlot = n++;
    }
    if (poll(pfd, static_cast<nfds_t>(n), -1) < 0 && errno != EINTR) break;
    for (int k = 0; k < n; ++k) {
      if (k == inSlot) {
        if (pfd[k].revents & (POLLOUT | POLLERR | POLLHUP)) {
          ssize_t w = write(inPipe[1], stdinData.data() + written, stdinData.size() - written);
          if (w > 0) written += static_cast<size_t>(w);
          if (w < 0 && errno != EAGAIN) written = stdinData.size();
          if (written >= stdinData.size()) {
            close(inPipe[1]);
            inPipe[1] = -1;
          }
        }
        continue;
      }
      if (pfd[k].revents & (POLLIN | POLLHUP | POLLERR)) {
        ssize_t r = read(pfd[k].fd, buf, sizeof buf);
        if (r > 0) sinks[map[k]]->append(buf, static_cast<size_t>(r));
        else open[map[k]] = false;
      }
    }
  }
  if (inPipe[1] >= 0) close(inPipe[1]);
  close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

std::vector<uint8_t> ffmpegDecode(const std::string& path, const std::string& format) {
  auto r = run({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", format, "-"});
  if (r.exitCode != 0) throw std::runtime_error("ffmpeg could not decode " + path + ": " + r.err);
  return {r.out.begin(), r.out.end()};
}

std::string ffprobeStream(const std::string& path, const std::string& field) {
  auto r = run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", "stream=" + field, "-of",
                "default=noprint_wrappers=1:nokey=1", path});
  std::string v = r.out;
  while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.pop_back();
  return v;
}

std::string testName(std::string text) {
  for (char& c : text)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return text;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

}  // namespace sondrel::test
