#pragma once
// Helpers of the encoder tests: the runs the test encoder recorded.

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

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
