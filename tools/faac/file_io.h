// Plain POSIX file access with ownership: the encoder streams through file
// descriptors so that standard input, pipes and files behave alike.
#pragma once

#include <cstddef>
#include <string>

namespace sondrel::faac {

// Owns a file descriptor and closes it once.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  int get() const { return fd_; }
  int release();
  // Closes now; a failed close can be the first news of a failed write.
  void closeChecked(const std::string& what);

 private:
  int fd_ = -1;
};

// "-" is standard input (left open for the caller's lifetime), anything else a file.
FileDescriptor openInput(const std::string& path);

// Reads until `size` bytes arrived or the input ended; returns the count read.
size_t readUpTo(int fd, void* buffer, size_t size);

// Writes all of `data` or throws Failure mentioning `what`.
void writeAll(int fd, const void* data, size_t size, const std::string& what);

// The output file while it is being written. It shows up under its real name
// only when commit() succeeds; until then it has no name at all (or, where
// the file system cannot do that, a hidden temporary name that is removed on
// failure), so a failed or interrupted run never leaves a file that looks
// complete, and an older file of that name stays as it was.
class PendingFile {
 public:
  explicit PendingFile(std::string target);
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  int fd() const { return fd_.get(); }
  // Flushes the file to disk and puts it under the target name, replacing
  // whatever was there.
  void commit();

 private:
  std::string target_;
  std::string temporaryName_;  // empty while the file has no name
  FileDescriptor fd_;
  bool committed_ = false;
};

}  // namespace sondrel::faac
