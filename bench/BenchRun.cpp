#include "bench/BenchRun.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <type_traits>

namespace fs = std::filesystem;

namespace bench {

RunResult Run(const std::vector<std::string>& args, const std::string& folder,
              std::string* output) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    RunResult result;
    int pipeFds[2] = {-1, -1};
    if (output && pipe(pipeFds) != 0) return result;
    std::fflush(stdout);  // the child must not inherit (and write again) buffered output
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        if (output) {
            dup2(pipeFds[1], 1);
            close(pipeFds[0]);
            close(pipeFds[1]);
        } else {
            std::freopen("/dev/null", "w", stdout);
        }
        std::freopen("/dev/null", "w", stderr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (output) {
        close(pipeFds[1]);
        output->clear();
        char buffer[65536];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) output->append(buffer, n);
        close(pipeFds[0]);
    }
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        result.peakRssKb = usage.ru_maxrss;
        const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return result;
}

bool ReadOptions(int argc, char** argv, std::initializer_list<Option> options) {
    for (int i = 1; i < argc; ++i) {
        const Option* option = nullptr;
        for (const Option& o : options)
            if (std::strcmp(argv[i], o.name) == 0) option = &o;
        if (!option) return false;
        if (bool* const* flag = std::get_if<bool*>(&option->target)) {
            **flag = true;
            continue;
        }
        if (++i >= argc) return false;
        const char* value = argv[i];
        std::visit(
            [value](auto* target) {
                using T = std::remove_pointer_t<decltype(target)>;
                if constexpr (std::is_same_v<T, std::string>) *target = value;
                if constexpr (std::is_same_v<T, int>) *target = std::atoi(value);
                if constexpr (std::is_same_v<T, double>) *target = std::atof(value);
            },
            option->target);
    }
    return true;
}

void EmptyFolder(const std::string& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
}

void WarmPageCache(const std::string& path) {
    std::vector<char> buffer(1 << 20);
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        while (std::fread(buffer.data(), 1, buffer.size(), f) == buffer.size()) {
        }
        std::fclose(f);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Best(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

bool HasProgram(const std::string& name) {
    return Run({"sh", "-c", "command -v " + name}, "/").status == 0;
}

double LoadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : 0;
}

std::string MakeTempFolder(const std::string& parent, const std::string& prefix) {
    std::string dir = parent + "/" + prefix + "-XXXXXX";
    return mkdtemp(dir.data()) ? dir : std::string();
}

}  // namespace bench
