// How much the encoder loop adds on top of the encoder itself: four one-minute slices at
// 128 kbit/s, encoded once by starting the encoder directly (output to /dev/null) and once
// through the encoder queue (EncodingQueue), alternately, several rounds. Prints the times and the
// overhead.
//
// encode_bench [ogg|lame|flac] [rounds]     (default: ogg 5)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "encode/EncodeControl.h"
#include "encode/Encoder.h"
#include "encode/EncodingQueue.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "settings/MenuSettings.h"
#include "sidefile/WaveFile.h"

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSlices = 4;
constexpr std::uint32_t kSliceFrames = 60 * kSampleRate;
constexpr int kRateId128 = 202;

// The queue's settings and stops: one encoder kind, 128 kbit/s, never stopped.
class BenchControl final : public EncodeControl {
  public:
    explicit BenchControl(EncoderKind kind) : kind_(kind) {}
    ProcessingSettings Processing() override {
        ProcessingSettings settings;
        settings.bitRate = menu::BitRateForId(kRateId128);
        return settings;
    }
    void SetGauge(Gauge, int) override {}
    bool TestDestroy() override { return false; }
    bool StopRequested() override { return false; }
    std::optional<EncoderKind> EncoderChoice() override { return kind_; }
    std::string EncoderPath() override { return ""; }

  private:
    EncoderKind kind_;
};

// A minute of two drifting tones with a little noise: music-like work for the encoder.
bool WriteSlice(const std::string& path, std::uint32_t seed) {
    platform::FilePtr out = platform::OpenFile(path, "wb");
    if (!out || !WaveFile().WriteHeader(out.get(), kSliceFrames * kBytesPerFrame)) return false;
    std::vector<std::int16_t> samples(2 * kSliceFrames);
    std::uint32_t noise = seed;
    for (std::uint32_t i = 0; i < kSliceFrames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        noise = noise * 1664525u + 1013904223u;
        const double hiss = (static_cast<double>(noise >> 16) / 65536.0 - 0.5) * 0.05;
        const double tone = 0.3 * std::sin(2 * M_PI * (220 + 30 * seed) * t * (1 + 0.01 * t)) +
                            0.2 * std::sin(2 * M_PI * 1375 * t);
        samples[2 * i] = static_cast<std::int16_t>((tone + hiss) * 32767);
        samples[2 * i + 1] = static_cast<std::int16_t>((tone - hiss) * 32767);
    }
    return std::fwrite(samples.data(), sizeof samples[0], samples.size(), out.get()) ==
               samples.size() &&
           platform::CloseFile(out);
}

// The encoder started as plainly as possible: no capture, output to /dev/null.
bool RunDirect(const std::vector<std::string>& argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Processor time (user + system) of this process or of its ended children, in seconds.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall time of one way of encoding, and the processor time it spent outside the encoder.
struct Measure {
    std::vector<double> wall;
    double ownCpu = 0;
    double encoderCpu = 0;

    template <typename Work>
    bool Run(Work work) {
        const double self = CpuSeconds(RUSAGE_SELF), children = CpuSeconds(RUSAGE_CHILDREN);
        const auto start = Clock::now();
        const bool ok = work();
        wall.push_back(Seconds(Clock::now() - start));
        ownCpu += CpuSeconds(RUSAGE_SELF) - self;
        encoderCpu += CpuSeconds(RUSAGE_CHILDREN) - children;
        return ok;
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string name = argc > 1 ? argv[1] : "ogg";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const EncoderKind kind = name == "lame"   ? EncoderKind::Lame
                             : name == "flac" ? EncoderKind::Flac
                                              : EncoderKind::OggVorbis;
    const std::string encoder = encode::ResolveEncoderPath(kind, "");
    if (encoder.empty()) {
        std::fprintf(stderr, "encoder %s not found\n", name.c_str());
        return 1;
    }

    const fs::path folder = fs::temp_directory_path() / ("velvane-encode-bench-" + name);
    fs::create_directories(folder);
    for (int n = 1; n <= kSlices; ++n)
        if (!WriteSlice(platform::JoinPath(folder.string(), std::to_string(n) + ".wav"), n)) {
            std::fprintf(stderr, "cannot write the slices in %s\n", folder.c_str());
            return 1;
        }

    BenchControl control(kind);
    const SideSlices slices{Side::One, folder.string(), 1, kSlices, false};
    const auto runDirect = [&] {
        for (int n = 1; n <= kSlices; ++n) {
            const EncoderCommand command =
                encode::BuildEncoderCommand(kind, EncodeNaming::AutoOrTyped, Side::One, encoder,
                                            folder.string(), n, n, menu::BitRateForId(kRateId128));
            if (!RunDirect(command.argv)) {
                std::fprintf(stderr, "%s failed\n",
                             platform::DescribeCommand(command.argv).c_str());
                return false;
            }
        }
        return true;
    };
    const auto runJob = [&] {
        EncodeTally tally;
        EncodingQueue queue(control, EncodeNaming::AutoOrTyped, 1, tally);  // as the direct runs
        const int side = queue.OpenSide(slices);
        for (int n = 1; n <= kSlices; ++n) queue.Add(side, n);
        queue.WaitForAll();
        if (tally.failedSlices > 0)
            std::fprintf(stderr, "%s\n", encode::EncodeFailureText(tally).c_str());
        return static_cast<int>(queue.Encoded(side).size()) == kSlices;
    };
    Measure direct, job;
    for (int round = 0; round < rounds; ++round) {
        // Alternate which goes first, so neither always meets a warm cache.
        const bool ok = round % 2 == 0 ? direct.Run(runDirect) && job.Run(runJob)
                                       : job.Run(runJob) && direct.Run(runDirect);
        if (!ok) return 1;
        std::printf("round %d: direct %.3f s, EncodingQueue %.3f s\n", round + 1,
                    direct.wall.back(), job.wall.back());
    }
    fs::remove_all(folder);

    const double directMedian = Median(direct.wall), jobMedian = Median(job.wall);
    const double directBest = *std::min_element(direct.wall.begin(), direct.wall.end());
    const double jobBest = *std::min_element(job.wall.begin(), job.wall.end());
    std::printf("\n%s, %d one-minute slices at 128 kbit/s, %d rounds\n", encoder.c_str(), kSlices,
                rounds);
    std::printf("  wall, median: direct %.3f s, EncodingQueue %.3f s, overhead %+.2f %%\n",
                directMedian, jobMedian, 100 * (jobMedian / directMedian - 1));
    std::printf("  wall, best:   direct %.3f s, EncodingQueue %.3f s, overhead %+.2f %%\n",
                directBest, jobBest, 100 * (jobBest / directBest - 1));
    std::printf(
        "  processor:    encoder %.3f s per round; spent outside it: direct %.4f s, "
        "EncodingQueue %.4f s (%.3f %% of the encoder's)\n",
        job.encoderCpu / rounds, direct.ownCpu / rounds, job.ownCpu / rounds,
        100 * job.ownCpu / job.encoderCpu);
    return 0;
}
