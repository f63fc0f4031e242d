#include "platform/Process.h"

#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/EndingCleanup.h"
#include "platform/Paths.h"

extern char** environ;

namespace platform {
namespace {

// Owns a file descriptor; closes it once.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

class SpawnActions {
  public:
    SpawnActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
    ~SpawnActions() {
        if (ok_) posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    bool ok() const { return ok_; }
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
    bool ok_ = false;
};

// A process group of the program's own: Ctrl+C in a terminal reaches the whole foreground
// group, and an encoder must not die half-way through a file because the user asked the
// job, not the encoder, to stop.
class SpawnAttributes {
  public:
    SpawnAttributes() {
        ok_ = posix_spawnattr_init(&attributes_) == 0 &&
              posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP) == 0 &&
              posix_spawnattr_setpgroup(&attributes_, 0) == 0;
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    bool ok() const { return ok_; }
    posix_spawnattr_t* get() { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
    bool ok_ = false;
};

void KeepTail(std::string& output, const char* data, std::size_t n) {
    output.append(data, n);
    // Trim in large steps so a chatty program does not make this quadratic.
    if (output.size() > 2 * kProcessOutputTailBytes)
        output.erase(0, output.size() - kProcessOutputTailBytes);
}

}  // namespace

int UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    return std::max(1u, std::thread::hardware_concurrency());
}

bool IsExecutableFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::string& workingDirectory) {
    ProcessResult result;
    if (argv.empty() || argv[0].empty()) {
        result.error = "no program given";
        return result;
    }

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        result.error = std::strerror(errno);
        return result;
    }
    Fd readEnd(pipeFds[0]);
    Fd writeEnd(pipeFds[1]);

    SpawnActions actions;
    SpawnAttributes attributes;
    if (!actions.ok() || !attributes.ok()) {
        result.error = "cannot prepare the run";
        return result;
    }
    // dup2 clears close-on-exec on the copies, so only fds 0..2 reach the program.
    int rc =
        posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0)
        rc = posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);
    if (rc == 0)
        rc = posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDERR_FILENO);
    // Nothing else of this process reaches the program: the side being read, the slices
    // being written (a program holding one open would keep it from being removed cleanly).
    if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1);
    if (rc == 0 && !workingDirectory.empty())
        rc = posix_spawn_file_actions_addchdir_np(actions.get(), workingDirectory.c_str());
    if (rc != 0) {
        result.error = std::strerror(rc);
        return result;
    }

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t pid = -1;
    // glibc reports a failed chdir or exec of the child here, as the error code.
    rc =
        ::posix_spawn(&pid, argv[0].c_str(), actions.get(), attributes.get(), args.data(), environ);
    writeEnd.Close();  // the parent's copy: EOF on readEnd once the program has ended
    if (rc != 0) {
        result.error = std::strerror(rc);
        return result;
    }
    result.started = true;
    RegisterProcessGroup(pid);  // its group: pid, as the attributes ask

    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(readEnd.get(), chunk, sizeof chunk);
        if (n > 0) {
            KeepTail(result.output, chunk, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EOF, or a read error: stop reading and just wait
        }
    }
    readEnd.Close();
    if (result.output.size() > kProcessOutputTailBytes)
        result.output.erase(0, result.output.size() - kProcessOutputTailBytes);

    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    UnregisterProcessGroup(pid);
    if (waited != pid) {
        result.error = std::strerror(errno);
        return result;
    }
    if (WIFEXITED(status)) {
        result.exited = true;
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

std::string FindOnPath(const std::string& name) {
    if (name.empty() || name.find(kPathSeparator) != std::string::npos) return {};
    const char* path = std::getenv("PATH");
    if (!path) return {};
    const std::string folders = path;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        // An empty entry means the current folder.
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = MakeAbsolute(JoinPath(folder, name));
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

std::string DescribeCommand(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& arg : argv) {
        if (!line.empty()) line += ' ';
        if (!arg.empty() && arg.find_first_of(" \t\"\\'") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        for (char c : arg) {
            if (c == '"' || c == '\\') line += '\\';
            line += c;
        }
        line += '"';
    }
    return line;
}

}  // namespace platform
