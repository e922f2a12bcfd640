#include "audio/encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "audio/pcm_pack.h"

extern char** environ;

namespace sondrel::audio {
namespace {

// Common part: hooks itself to the stream and removes itself when destroyed.
class StreamEncoder : public Encoder {
 public:
  StreamEncoder(Stream& stream, int floatBits) : stream_(stream), floatBits_(floatBits) {}
  ~StreamEncoder() override {
    if (sinkId_) stream_.removeSink(sinkId_);
  }

 protected:
  void attach() {
    sinkId_ = stream_.addSink([this](const void* data, size_t bytes) {
      if (failed_) return;
      packPcm(data, bytes, stream_.format(), floatBits_, packed_);
      if (!write(packed_.data(), packed_.size())) failed_ = true;
    });
  }
  void detach() {
    if (sinkId_) stream_.removeSink(sinkId_);
    sinkId_ = 0;
  }
  int bits() const { return packedBits(stream_.format(), floatBits_); }
  virtual bool write(const uint8_t* data, size_t size) = 0;

  Stream& stream_;
  int floatBits_;
  int sinkId_ = 0;
  bool failed_ = false;
  std::vector<uint8_t> packed_;
};

class WavFileEncoder : public StreamEncoder {
 public:
  WavFileEncoder(Stream& stream, int floatBits) : StreamEncoder(stream, floatBits) {}
  ~WavFileEncoder() override {
    if (file_) std::fclose(file_);
  }
  bool open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return false;
    const auto header = wavHeader(stream_.rate(), stream_.channels(), bits(), 0);
    if (std::fwrite(header.data(), 1, header.size(), file_) != header.size()) return false;
    attach();
    return true;
  }
  bool active() override { return file_ && !failed_; }
  bool stop() override {
    detach();
    if (!file_) return false;
    // Sizes in the header are patched once the length is known; a file past
    // 4 GiB keeps the largest size the header can hold.
    const uint32_t data = dataBytes_ > 0xFFFFFFFFull - 36 ? 0xFFFFFFFFu - 36 : static_cast<uint32_t>(dataBytes_);
    bool ok = !failed_;
    if (dataBytes_ % 2) ok = ok && std::fputc(0, file_) != EOF;  // chunks are word aligned
    const auto header = wavHeader(stream_.rate(), stream_.channels(), bits(), data);
    ok = ok && std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(header.data(), 1, header.size(), file_) == header.size();
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
  }

 private:
  bool write(const uint8_t* data, size_t size) override {
    dataBytes_ += size;
    return std::fwrite(data, 1, size, file_) == size;
  }
  std::FILE* file_ = nullptr;
  uint64_t dataBytes_ = 0;
};

class ProgramEncoder : public StreamEncoder {
 public:
  ProgramEncoder(Stream& stream, int floatBits) : StreamEncoder(stream, floatBits) {}
  ~ProgramEncoder() override { stop(); }

  bool start(const std::vector<std::string>& args) {
    if (args.empty()) return false;
    // A program that quits early must not end Sondrel with SIGPIPE: writes
    // then fail with EPIPE and the encoder reports itself inactive.
    signal(SIGPIPE, SIG_IGN);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (rc != 0) {
      close(fds[1]);
      pid_ = -1;
      return false;
    }
    input_ = fds[1];
    // A deeper pipe lets decoding run ahead while the encoder works, instead
    // of the two taking turns every 64 KiB.
    fcntl(input_, F_SETPIPE_SZ, 1 << 20);
    const auto header = wavHeader(stream_.rate(), stream_.channels(), bits(), 0xFFFFFFFFu);
    if (!write(header.data(), header.size())) {
      failed_ = true;
      return true;  // started, but already gone: the first check reports it
    }
    attach();
    return true;
  }

  bool active() override {
    if (failed_ || input_ < 0 || pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exited_ = true;
      status_ = status;
      failed_ = true;
      return false;
    }
    return true;
  }

  bool stop() override {
    detach();
    if (input_ >= 0) close(input_);
    input_ = -1;
    if (pid_ > 0 && !exited_) {
      int status = 0;
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      status_ = status;
      exited_ = true;
    }
    return pid_ > 0 && WIFEXITED(status_) && WEXITSTATUS(status_) == 0 && !failed_;
  }

 private:
  bool write(const uint8_t* data, size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(input_, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }
  pid_t pid_ = -1;
  int input_ = -1;
  bool exited_ = false;
  int status_ = 0;
};

}  // namespace

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false;
  bool any = false;
  for (char c : commandLine) {
    if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

std::unique_ptr<Encoder> startWavFile(Stream& stream, const std::string& path, int floatBits) {
  auto encoder = std::make_unique<WavFileEncoder>(stream, floatBits);
  if (!encoder->open(path)) return nullptr;
  return encoder;
}

std::unique_ptr<Encoder> startProgram(Stream& stream, const std::string& commandLine, int floatBits) {
  auto encoder = std::make_unique<ProgramEncoder>(stream, floatBits);
  if (!encoder->start(splitCommandLine(commandLine))) return nullptr;
  return encoder;
}

}  // namespace sondrel::audio
