#include "subprocess.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mac_test {

namespace {

// A temporary file that holds one stream of the child's output.
class CaptureFile {
public:
    CaptureFile()
    {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/mac-test-capture-XXXXXX";
        int fd = ::mkstemp(path_.data());
        if (fd < 0)
            throw std::runtime_error("cannot create a capture file");
        ::close(fd);
    }
    ~CaptureFile() { ::unlink(path_.c_str()); }
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    const std::string& path() const { return path_; }
    std::string contents() const
    {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string path_;
};

} // namespace

ProcessResult run_process(const std::vector<std::string>& argv, const std::string& stdin_path)
{
    CaptureFile out;
    CaptureFile err;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdin_path.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.path().c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err.path().c_str(), O_WRONLY | O_TRUNC, 0);

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);

    ProcessResult result;
    if (spawned != 0) {
        result.err = "cannot start " + argv[0];
        return result;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exit_code = WEXITSTATUS(status);
    result.out = out.contents();
    result.err = err.contents();
    return result;
}

} // namespace mac_test
