#include "file_io.h"

#include "failure.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mac {

namespace {

std::string describe_errno(int error)
{
    return std::strerror(error);
}

bool unnamed_files_unsupported(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Opens an unnamed file in `folder`, or returns -1 with errno set.
int open_unnamed(const std::string& folder)
{
    return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
}

// Creates a new file next to `target` under a name nobody else uses.
int create_named_beside(const std::string& target, std::string& name)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        name = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        int fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ > 2)
            ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

FileDescriptor::~FileDescriptor()
{
    // Standard streams belong to whoever started us.
    if (fd_ > 2)
        ::close(fd_);
}

int FileDescriptor::release()
{
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::close_checked(const std::string& what)
{
    int fd = release();
    if (fd > 2 && ::close(fd) != 0)
        throw Failure("cannot write " + what + ": " + describe_errno(errno));
}

FileDescriptor open_input(const std::string& path)
{
    if (path == "-")
        return FileDescriptor(STDIN_FILENO);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw Failure("cannot open input '" + path + "': " + describe_errno(errno));
    return FileDescriptor(fd);
}

std::size_t read_up_to(int fd, void* buffer, std::size_t size)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, bytes + done, size - done);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw Failure("cannot read input: " + describe_errno(errno));
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void write_all(int fd, const void* data, std::size_t size, const std::string& what)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t put = ::write(fd, bytes, size);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            throw Failure("cannot write " + what + ": " + describe_errno(errno));
        }
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
}

std::string folder_of(const std::string& path)
{
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

PendingFile::PendingFile(std::string target) : target_(std::move(target))
{
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw Failure("output '" + target_ + "' is a folder");

    int fd = open_unnamed(folder_of(target_));
    if (fd < 0 && unnamed_files_unsupported(errno))
        fd = create_named_beside(target_, temporary_name_);
    if (fd < 0)
        throw Failure("cannot create output '" + target_ + "': " + describe_errno(errno));
    fd_ = FileDescriptor(fd);
}

PendingFile::~PendingFile()
{
    if (!committed_ && !temporary_name_.empty())
        ::unlink(temporary_name_.c_str());
}

void PendingFile::commit()
{
    if (temporary_name_.empty()) {
        // Give the unnamed file a temporary name first: rename() can replace an
        // existing output, linking cannot.
        std::string name;
        for (int attempt = 0;; ++attempt) {
            name = target_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
            int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
            if (linked != 0 && errno == ENOENT)
                linked = ::linkat(fd_.get(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
            if (linked == 0)
                break;
            if (errno != EEXIST || attempt >= 1000)
                throw Failure("cannot create output '" + target_ + "': " + describe_errno(errno));
        }
        temporary_name_ = name;
    }
    fd_.close_checked("output '" + target_ + "'");
    if (::rename(temporary_name_.c_str(), target_.c_str()) != 0)
        throw Failure("cannot create output '" + target_ + "': " + describe_errno(errno));
    committed_ = true;
}

FileDescriptor create_scratch_file(const std::string& folder)
{
    int fd = open_unnamed(folder);
    if (fd < 0 && unnamed_files_unsupported(errno)) {
        std::string name;
        fd = create_named_beside(folder + "/.mac-scratch", name);
        if (fd >= 0)
            ::unlink(name.c_str());
    }
    if (fd < 0)
        throw Failure("cannot create a work file in '" + folder + "': " + describe_errno(errno));
    return FileDescriptor(fd);
}

} // namespace mac
