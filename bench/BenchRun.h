#pragma once
// What the command-line benchmarks share: running a program with its output discarded,
// timed, and the small helpers around it. Not a test: nothing here asserts.

#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

namespace bench {

struct RunResult {
    double seconds = 0;     ///< wall time
    double cpuSeconds = 0;  ///< the child's user + system time (its children included)
    long peakRssKb = 0;
    int status = -1;  ///< exit status, 128 + signal, or -1 when it could not be run
};

/// Runs `args` (argv[0] searched on PATH) in `folder` with standard error discarded, and
/// standard output too unless `output` is given to receive it; its wall time, CPU time and
/// peak resident size.
RunResult Run(const std::vector<std::string>& args, const std::string& folder,
              std::string* output = nullptr);

/// A benchmark's command-line option and where its value goes; a `bool` target makes it a
/// flag without a value.
struct Option {
    const char* name;
    std::variant<std::string*, int*, double*, bool*> target;
};

/// Reads argv's "--name value" pairs and flags into their targets. False on an unknown name
/// or a missing value.
bool ReadOptions(int argc, char** argv, std::initializer_list<Option> options);

/// Removes the folder with everything in it and makes it again, empty.
void EmptyFolder(const std::string& folder);

/// Reads the whole file so that the timed runs find it in the page cache.
void WarmPageCache(const std::string& path);

double Median(std::vector<double> values);
double Best(const std::vector<double>& values);

/// Whether `name` is a program on PATH.
bool HasProgram(const std::string& name);

/// The one-minute load average.
double LoadAverage();

/// A fresh folder under `parent` named prefix-XXXXXX; "" when it cannot be made.
std::string MakeTempFolder(const std::string& parent, const std::string& prefix);

}  // namespace bench
