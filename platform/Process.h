#pragma once
// Running an external program (the encoders) and finding one on PATH. No shell is
// involved: the arguments reach the program exactly as given, whatever spaces or quotes
// they hold. No toolkit headers; any thread may call, one run per call.

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

/// How much of a run's output (standard output and error, interleaved) is kept for
/// messages: the last bytes it wrote.
constexpr std::size_t kProcessOutputTailBytes = 4096;

struct ProcessResult {
    bool started = false;  ///< false: the program could not be run (see error)
    bool exited = false;   ///< it ended by itself (not by a signal); exitStatus is valid
    int exitStatus = -1;   ///< its exit code when exited; -1 otherwise
    int signal = 0;        ///< the signal that ended it, 0 if none
    std::string output;    ///< the last kProcessOutputTailBytes of what it wrote
    std::string error;     ///< why it could not be started ("" when started)

    /// Exited with status 0.
    bool Succeeded() const { return started && exited && exitStatus == 0; }
};

/// Runs argv[0] (a path, not searched on PATH; relative paths are taken against
/// `workingDirectory`) with arguments argv[1..], in `workingDirectory` ("" = the caller's),
/// standard input from /dev/null, no other open file of the caller, in a process group of
/// its own (a terminal's Ctrl+C, meant for the caller, does not cut it off half-way; the
/// group is registered for EndingCleanup while it runs), and waits for it to end. Its output is
/// read while it runs, so it never blocks on a full pipe, and is not shown. The caller's
/// own working directory never changes. An empty argv gives started = false.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workingDirectory);

/// The processors this process may run on (its CPU affinity: a `taskset` or a container's
/// CPU set counts), at least 1. Any thread.
int UsableProcessors();

/// A regular file the caller may execute.
bool IsExecutableFile(const std::string& path);

/// The absolute path of the executable file `name` in the first PATH folder holding one;
/// "" when none does or `name` is empty. A name holding a separator is not searched.
std::string FindOnPath(const std::string& name);

/// argv as one line for messages: each argument in double quotes when it is empty or holds
/// a blank, a quote or a backslash (" and \ inside escaped with a backslash).
std::string DescribeCommand(const std::vector<std::string>& argv);

}  // namespace platform
