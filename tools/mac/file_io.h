#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mac {

// Owns a POSIX file descriptor and closes it once.
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
    // Closes now and reports a failed close (a delayed write error) as Failure.
    void close_checked(const std::string& what);

private:
    int fd_ = -1;
};

// Opens the encoder's input: "-" is standard input (not closed), anything else a file.
FileDescriptor open_input(const std::string& path);

// Reads until `size` bytes arrived or the input ended; returns the count read.
std::size_t read_up_to(int fd, void* buffer, std::size_t size);

void write_all(int fd, const void* data, std::size_t size, const std::string& what);

// A file that shows up under its final name only when commit() succeeds.
// Until then it lives beside the target as an unnamed file (or, where the file
// system cannot do that, under a temporary name that is removed on failure),
// so an interrupted run never leaves a half-written file under the real name.
class PendingFile {
public:
    explicit PendingFile(std::string target);
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    int fd() const { return fd_.get(); }
    void commit();

private:
    std::string target_;
    std::string temporary_name_;  // empty while the file has no name
    FileDescriptor fd_;
    bool committed_ = false;
};

// An unnamed read-write file in the given folder for data too large to keep
// in memory; it disappears when closed.
FileDescriptor create_scratch_file(const std::string& folder);

// The folder part of a path ("." when it has none).
std::string folder_of(const std::string& path);

} // namespace mac
