// Plain POSIX file access with ownership for our encoder programs: they stream
// through file descriptors so that standard input, pipes and files behave
// alike, and an output shows up only once it is complete.
//
// `name` arguments say how a failure names the file ("cannot write <name>: ...").
#pragma once

#include <cstddef>
#include <string>

namespace sondrel::tools {

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
  // Closes now; a failed close can be the first news of a failed write, so it
  // throws Failure.
  void closeChecked(const std::string& name);

 private:
  int fd_ = -1;
};

// "-" is standard input (a duplicate, so the descriptor of whoever started us
// stays open), anything else a file.
FileDescriptor openInput(const std::string& path, const std::string& name);

// Reads until `size` bytes arrived or the input ended; returns the count read.
size_t readUpTo(int fd, void* buffer, size_t size, const std::string& name);

// Writes all of `data` or throws Failure.
void writeAll(int fd, const void* data, size_t size, const std::string& name);

// The output file while it is being written. It shows up under its real name
// only when commit() succeeds; until then it has no name at all (or, where
// the file system cannot do that, a hidden temporary name that is removed on
// failure), so a failed or interrupted run never leaves a file that looks
// complete, and an older file of that name stays as it was.
class PendingFile {
 public:
  // Throws Failure when `target` is a folder or nothing can be created beside it.
  PendingFile(std::string target, std::string name);
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  int fd() const { return fd_.get(); }
  // Flushes the file to disk and puts it under the target name, replacing
  // whatever was there.
  void commit();

 private:
  std::string target_;
  std::string name_;
  std::string temporaryName_;  // empty while the file has no name
  FileDescriptor fd_;
  bool committed_ = false;
};

// An unnamed read-write file in `folder` for data too large to keep in
// memory; it disappears when closed.
FileDescriptor createScratchFile(const std::string& folder);

// The folder part of a path ("." when it has none).
std::string folderOf(const std::string& path);

}  // namespace sondrel::tools
