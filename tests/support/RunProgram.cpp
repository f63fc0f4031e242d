#include "tests/support/RunProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "tests/support/TempDir.h"

pid_t StartProgram(const std::vector<std::string>& argv, const std::string& folder) {
    std::vector<std::string> args = argv;
    std::vector<char*> pointers;
    for (std::string& a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    const std::string out = folder + "/.stdout", err = folder + "/.stderr";
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);  // a job of its own, as a shell starts it: the group gets Ctrl+C
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0 || chdir(folder.c_str()) != 0) _exit(126);
        dup2(o, 1);
        dup2(e, 2);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    return pid;
}

ProgramRun WaitProgram(pid_t pid, const std::string& folder) {
    ProgramRun run;
    int status = 0;
    if (waitpid(pid, &status, 0) == pid)
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFileBytes(folder + "/.stdout");
    run.err = ReadFileBytes(folder + "/.stderr");
    std::remove((folder + "/.stdout").c_str());
    std::remove((folder + "/.stderr").c_str());
    return run;
}

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& folder) {
    return WaitProgram(StartProgram(argv, folder), folder);
}
