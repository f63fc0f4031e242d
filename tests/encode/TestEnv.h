#pragma once
// Helpers of the encoder tests: an environment variable set for one test, and the runs
// the test encoder recorded.

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

/// Sets (or, with nullptr, unsets) a variable until the end of the scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

/// One run of the test encoder: its working directory and its argv.
struct RecordedRun {
    std::string cwd;
    std::vector<std::string> argv;
};

inline std::vector<RecordedRun> ReadRuns(const std::string& logPath) {
    std::vector<RecordedRun> runs;
    std::istringstream lines(ReadFileBytes(logPath));
    for (std::string line; std::getline(lines, line);) {
        RecordedRun run;
        std::istringstream fields(line);
        std::getline(fields, run.cwd, '\t');
        for (std::string arg; std::getline(fields, arg, '\t');) run.argv.push_back(arg);
        runs.push_back(run);
    }
    return runs;
}
