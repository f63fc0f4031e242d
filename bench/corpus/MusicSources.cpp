#include "bench/corpus/MusicSources.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace corpus {

namespace {

constexpr std::uint64_t kWindowFrames = kRate / 20;  // 50 ms
constexpr double kQuietDb = -45;                     // a window below this is near-silence
constexpr int kQuietRunWindows = 5;                  // 0.25 s of near-silence splits a track

}  // namespace

struct MusicSources::Track {
    std::string name;
    void* map = MAP_FAILED;
    std::size_t bytes = 0;
    const std::int16_t* samples = nullptr;
    std::uint64_t frames = 0;
    ~Track() {
        if (map != MAP_FAILED) munmap(map, bytes);
    }
};

MusicSources::MusicSources(const std::string& folder, double minSeconds) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.path().extension() == ".raw") files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    for (const fs::path& path : files) {
        auto track = std::make_unique<Track>();
        track->name = path.stem().string();
        const int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0) continue;
        struct stat st {};
        if (fstat(fd, &st) == 0 && st.st_size >= 4) {
            track->bytes = static_cast<std::size_t>(st.st_size);
            track->map = mmap(nullptr, track->bytes, PROT_READ, MAP_PRIVATE, fd, 0);
        }
        close(fd);
        if (track->map == MAP_FAILED) continue;
        track->samples = static_cast<const std::int16_t*>(track->map);
        track->frames = track->bytes / 4;
        const std::size_t index = tracks_.size();
        tracks_.push_back(std::move(track));

        // Windows of 50 ms: loud or quiet; stretches lie between runs of quiet windows.
        const std::uint64_t windows = tracks_.back()->frames / kWindowFrames;
        std::vector<bool> quiet(windows);
        for (std::uint64_t w = 0; w < windows; ++w) {
            const double ms = MeanSquare(index, w * kWindowFrames, (w + 1) * kWindowFrames);
            quiet[w] = 10 * std::log10(ms + 1e-20) < kQuietDb;
        }
        std::uint64_t w = 0;
        while (w < windows) {
            while (w < windows && quiet[w]) ++w;
            const std::uint64_t begin = w;
            std::uint64_t end = w;  // one past the last loud window of the stretch
            while (w < windows) {
                if (!quiet[w]) {
                    end = ++w;
                    continue;
                }
                std::uint64_t run = w;
                while (run < windows && quiet[run]) ++run;
                if (run - w >= kQuietRunWindows || run == windows) {
                    w = run;
                    break;
                }
                w = run;
            }
            Stretch s{index, begin * kWindowFrames, end * kWindowFrames};
            if (end > begin && s.Seconds() >= minSeconds) stretches_.push_back(s);
        }
    }
}

MusicSources::~MusicSources() = default;

const std::string& MusicSources::TrackName(std::size_t track) const {
    return tracks_.at(track)->name;
}

const std::int16_t* MusicSources::Frame(std::size_t track, std::uint64_t frame) const {
    return tracks_[track]->samples + 2 * frame;
}

double MusicSources::MeanSquare(std::size_t track, std::uint64_t begin, std::uint64_t end) const {
    const std::int16_t* s = tracks_[track]->samples;
    end = std::min(end, tracks_[track]->frames);
    if (end <= begin) return 0;
    double sum = 0;
    for (std::uint64_t i = 2 * begin; i < 2 * end; ++i) {
        const double v = s[i] / 32768.0;
        sum += v * v;
    }
    return sum / static_cast<double>(2 * (end - begin));
}

}  // namespace corpus
