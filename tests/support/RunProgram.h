#pragma once
// Runs a program of the build as a child process, as a user would from a shell.

#include <sys/types.h>

#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;  ///< exit status; 128 + signal when killed
    std::string out;  ///< standard output
    std::string err;  ///< standard error
};

/// Starts `argv` (argv[0] the program's path) in `folder`, its output going to files
/// there, in a process group of its own (pid = group id), as a shell starts a job; the
/// environment is the test's own. Returns the child's pid.
pid_t StartProgram(const std::vector<std::string>& argv, const std::string& folder);
/// Waits for the child started in `folder` and collects its output.
ProgramRun WaitProgram(pid_t pid, const std::string& folder);
/// StartProgram and WaitProgram.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& folder);
