#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "failure.h"

namespace sondrel::faac {

namespace {

std::string systemError() { return std::strerror(errno); }

std::string folderOf(const std::string& path) {
  const auto parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// A name beside the target that nothing else uses yet is found by trying a
// few random ones; "." keeps it out of sight in file managers.
std::string hiddenNameBeside(const std::string& target) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device random;
  std::string suffix;
  for (int i = 0; i < 8; ++i) suffix += kDigits[random() % 36];
  const std::filesystem::path path(target);
  return (path.parent_path() / ("." + path.filename().string() + "." + suffix + ".part")).string();
}

}  // namespace

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int FileDescriptor::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void FileDescriptor::closeChecked(const std::string& what) {
  const int fd = release();
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw Failure("cannot write " + what + ": " + systemError());
}

FileDescriptor openInput(const std::string& path) {
  if (path == "-") return FileDescriptor(::dup(STDIN_FILENO));
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Failure("cannot open " + path + ": " + systemError());
  return FileDescriptor(fd);
}

size_t readUpTo(int fd, void* buffer, size_t size) {
  auto* bytes = static_cast<char*>(buffer);
  size_t total = 0;
  while (total < size) {
    const ssize_t got = ::read(fd, bytes + total, size - total);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Failure("cannot read the input: " + systemError());
    }
    total += static_cast<size_t>(got);
  }
  return total;
}

void writeAll(int fd, const void* data, size_t size, const std::string& what) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw Failure("cannot write " + what + ": " + systemError());
    }
    bytes += put;
    size -= static_cast<size_t>(put);
  }
}

PendingFile::PendingFile(std::string target) : target_(std::move(target)) {
  // O_TMPFILE applies the umask to 0666 just as creating the file by name would.
  const int unnamed = ::open(folderOf(target_).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (unnamed >= 0) {
    fd_ = FileDescriptor(unnamed);
    return;
  }
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = hiddenNameBeside(target_);
    const int fd = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fd_ = FileDescriptor(fd);
      temporaryName_ = candidate;
      return;
    }
    if (errno != EEXIST) break;
  }
  throw Failure("cannot create " + target_ + ": " + systemError());
}

PendingFile::~PendingFile() {
  if (!committed_ && !temporaryName_.empty()) ::unlink(temporaryName_.c_str());
}

void PendingFile::commit() {
  if (::fsync(fd_.get()) != 0 && errno != EINVAL) throw Failure("cannot write " + target_ + ": " + systemError());
  if (temporaryName_.empty()) {
    // An unnamed file gets a hidden name first: linkat cannot replace an
    // existing file, rename can.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
    for (unsigned attempt = 0; attempt < 100 && temporaryName_.empty(); ++attempt) {
      const std::string candidate = hiddenNameBeside(target_);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0)
        temporaryName_ = candidate;
      else if (errno != EEXIST)
        throw Failure("cannot create " + target_ + ": " + systemError());
    }
    if (temporaryName_.empty()) throw Failure("cannot create " + target_ + ": no free temporary name");
  }
  fd_.closeChecked(target_);
  if (::rename(temporaryName_.c_str(), target_.c_str()) != 0)
    throw Failure("cannot create " + target_ + ": " + systemError());
  committed_ = true;
}

}  // namespace sondrel::faac
