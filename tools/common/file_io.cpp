#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

#include "common/failure.h"

namespace sondrel::tools {
namespace {

// Random names collide so rarely that running out of these means something
// else is wrong.
constexpr unsigned kNameAttempts = 100;

std::string systemError() { return std::strerror(errno); }

// A name in `folder` that nothing else uses yet is found by trying a few
// random ones; the leading "." keeps it out of sight in file managers.
std::string hiddenName(const std::string& folder, const std::string& stem) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::random_device random;
  std::string suffix;
  for (int i = 0; i < 8; ++i) suffix += kDigits[random() % 36];
  return (std::filesystem::path(folder) / ("." + stem + "." + suffix + ".part")).string();
}

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// A new read-write file in `folder`: unnamed where the file system can do
// that, otherwise under a hidden name made from `stem`, which is stored in
// `temporaryName`. Returns -1 with errno set when neither works.
int createFileIn(const std::string& folder, const std::string& stem, std::string& temporaryName) {
  // O_TMPFILE applies the umask to 0666 just as creating the file by name would.
  const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (unnamed >= 0) return unnamed;
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string candidate = hiddenName(folder, stem);
    const int fd = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) {
      temporaryName = candidate;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
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

void FileDescriptor::closeChecked(const std::string& name) {
  const int fd = release();
  // On Linux the descriptor is gone even when close() was interrupted, and
  // the interruption says nothing about the data.
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw Failure("cannot write " + name + ": " + systemError());
}

FileDescriptor openInput(const std::string& path, const std::string& name) {
  // A failed duplicate (standard input closed) leaves no descriptor, and the
  // first read reports it.
  if (path == "-") return FileDescriptor(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Failure("cannot open " + name + ": " + systemError());
  return FileDescriptor(fd);
}

size_t readUpTo(int fd, void* buffer, size_t size, const std::string& name) {
  auto* bytes = static_cast<char*>(buffer);
  size_t total = 0;
  while (total < size) {
    const ssize_t got = ::read(fd, bytes + total, size - total);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw Failure("cannot read " + name + ": " + systemError());
    }
    total += static_cast<size_t>(got);
  }
  return total;
}

void writeAll(int fd, const void* data, size_t size, const std::string& name) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::write(fd, bytes, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw Failure("cannot write " + name + ": " + systemError());
    }
    bytes += put;
    size -= static_cast<size_t>(put);
  }
}

std::string folderOf(const std::string& path) {
  const auto parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

PendingFile::PendingFile(std::string target, std::string name) : target_(std::move(target)), name_(std::move(name)) {
  // Refused now: otherwise only the final rename would notice, after all the
  // encoding.
  struct stat info {};
  if (::stat(target_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) throw Failure(name_ + " is a folder");
  const int fd = createFileIn(folderOf(target_), fileNameOf(target_), temporaryName_);
  if (fd < 0) throw Failure("cannot create " + name_ + ": " + systemError());
  fd_ = FileDescriptor(fd);
}

PendingFile::~PendingFile() {
  if (!committed_ && !temporaryName_.empty()) ::unlink(temporaryName_.c_str());
}

void PendingFile::commit() {
  if (::fsync(fd_.get()) != 0 && errno != EINVAL) throw Failure("cannot write " + name_ + ": " + systemError());
  if (temporaryName_.empty()) {
    // An unnamed file gets a hidden name first: linkat cannot replace an
    // existing file, rename can.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
    const std::string folder = folderOf(target_);
    const std::string stem = fileNameOf(target_);
    for (unsigned attempt = 0; attempt < kNameAttempts && temporaryName_.empty(); ++attempt) {
      const std::string candidate = hiddenName(folder, stem);
      int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW);
      // Without /proc the descriptor itself can be linked, where the process
      // is allowed to.
      if (linked != 0 && errno == ENOENT) linked = ::linkat(fd_.get(), "", AT_FDCWD, candidate.c_str(), AT_EMPTY_PATH);
      if (linked == 0)
        temporaryName_ = candidate;
      else if (errno != EEXIST)
        throw Failure("cannot create " + name_ + ": " + systemError());
    }
    if (temporaryName_.empty()) throw Failure("cannot create " + name_ + ": no free temporary name");
  }
  fd_.closeChecked(name_);
  if (::rename(temporaryName_.c_str(), target_.c_str()) != 0)
    throw Failure("cannot create " + name_ + ": " + systemError());
  committed_ = true;
}

FileDescriptor createScratchFile(const std::string& folder) {
  std::string name;
  const int fd = createFileIn(folder, "scratch", name);
  if (fd < 0) throw Failure("cannot create a work file in '" + folder + "': " + systemError());
  // A named work file loses its name at once; the descriptor keeps the data.
  if (!name.empty()) ::unlink(name.c_str());
  return FileDescriptor(fd);
}

}  // namespace sondrel::tools
