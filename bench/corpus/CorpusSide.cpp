#include "bench/corpus/CorpusSide.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/File.h"
#include "sidefile/WaveFile.h"

namespace corpus {

namespace {

constexpr std::size_t kChunkFrames = 8192;
constexpr double kDecayEndDb = -45;        // a decaying ending is cut off this far down
constexpr double kPassageSeconds = 2.5;    // a quiet passage inside a song
constexpr double kMusicAboveFloorDb = 12;  // music stays this far above the floor...
constexpr double kHiddenGapSeconds = 0.4;  // ...in every stretch this long
constexpr double kPassageRampSeconds = 0.2;
constexpr double kAbruptSeconds = 0.03;

std::uint64_t Frames(double seconds) {
    return static_cast<std::uint64_t>(std::llround(seconds * kRate));
}

// The song's gain at frame x of the song: fade in, quiet passage, ending.
double Envelope(const SongPlan& song, std::uint64_t x) {
    double g = DecibelsToFactor(song.gainDb);
    if (x < song.fadeInFrames) g *= static_cast<double>(x) / song.fadeInFrames;
    if (song.quiet) {
        // Down by depthDb, with a short ramp at each end.
        const QuietPassage& q = *song.quiet;
        const double in = static_cast<double>(x) - static_cast<double>(q.offset);
        const double out = static_cast<double>(q.offset + q.frames) - static_cast<double>(x);
        const double d = std::clamp(std::min(in, out) / (kPassageRampSeconds * kRate), 0.0, 1.0);
        g *= std::pow(10.0, -q.depthDb * d / 20);
    }
    std::uint64_t tail = 0;  // frames of the ending
    switch (song.ending) {
        case Ending::Fade:
        case Ending::Abrupt:
            tail = song.endingFrames;
            break;
        case Ending::Decay:
            tail = static_cast<std::uint64_t>(song.endingFrames * (-kDecayEndDb / 20) *
                                              std::log(10.0));
            break;
    }
    if (x + tail >= song.frames) {
        const double into = static_cast<double>(x + tail - song.frames);
        if (song.ending == Ending::Decay)
            g *= std::exp(-into / static_cast<double>(song.endingFrames));
        else
            g *= 1.0 - into / static_cast<double>(tail);
    }
    return g;
}

// A song longer than its stretch plays the stretch again from its start, as a loop.
std::uint64_t SourceFrame(const SongPlan& song, std::uint64_t x) {
    const std::uint64_t length = song.source.end - song.source.begin;
    return song.source.begin + (song.sourceBegin - song.source.begin + x) % length;
}

// True when frames [from, to) of the song (at its gain, before fades) hold a stretch of
// kHiddenGapSeconds or more whose every 0.1 s stays less than kMusicAboveFloorDb above the
// side's floor: a listener would take it for a gap.
bool HasHiddenGap(const MusicSources& sources, const SongPlan& song, std::uint64_t from,
                  std::uint64_t to, double floorDb) {
    constexpr std::uint64_t kWindow = kRate / 10;
    int run = 0;
    for (std::uint64_t x = from; x + kWindow <= to; x += kWindow) {
        const std::uint64_t at = SourceFrame(song, x);
        const std::uint64_t end = std::min(at + kWindow, song.source.end);
        double ms = sources.MeanSquare(song.source.track, at, end) * static_cast<double>(end - at);
        if (end - at < kWindow) {
            const std::uint64_t rest = kWindow - (end - at);
            ms +=
                sources.MeanSquare(song.source.track, song.source.begin, song.source.begin + rest) *
                static_cast<double>(rest);
        }
        const double db = 10 * std::log10(ms / kWindow + 1e-20) + song.gainDb;
        run = db < floorDb + kMusicAboveFloorDb ? run + 1 : 0;
        if (run * 0.1 >= kHiddenGapSeconds) return true;
    }
    return false;
}

}  // namespace

SideLayout LayOut(const SidePlan& plan) {
    SideLayout l;
    std::uint64_t at = Frames(plan.preDropSeconds);
    l.timeline.dropFrame = at;
    at += Frames(plan.leadInSeconds);
    for (std::size_t i = 0; i < plan.songs.size(); ++i) {
        if (i > 0) at += Frames(plan.gapSeconds[i - 1]);
        l.songStart.push_back(at);
        at += plan.songs[i].frames;
        l.songEnd.push_back(at);
    }
    l.timeline.runOutFrame = at + Frames(0.8);
    at += Frames(plan.runOutSeconds);
    l.timeline.liftFrame = at;
    l.frames = at + Frames(plan.afterLiftSeconds);
    return l;
}

bool RenderSide(const SidePlan& plan, const MusicSources& sources, const std::string& path,
                std::uint64_t seed) {
    const SideLayout layout = LayOut(plan);
    RecordNoise noise(plan.noise, layout.timeline, seed);
    platform::FilePtr file = platform::OpenFile(path, "wb");
    if (!file) return false;
    const std::uint64_t dataBytes = layout.frames * kBytesPerFrame;
    bool ok = dataBytes <= 0xFFFFFFFFu - 36 &&
              WaveFile().WriteHeader(file.get(), static_cast<std::uint32_t>(dataBytes));
    std::vector<double> mix(2 * kChunkFrames);
    std::vector<std::int16_t> pcm(2 * kChunkFrames);
    const double sideGain = DecibelsToFactor(plan.sideGainDb);
    for (std::uint64_t frame = 0; ok && frame < layout.frames; frame += kChunkFrames) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkFrames, layout.frames - frame));
        std::fill(mix.begin(), mix.end(), 0.0);
        for (std::size_t s = 0; s < plan.songs.size(); ++s) {
            const std::uint64_t from = std::max(frame, layout.songStart[s]);
            const std::uint64_t to = std::min(frame + n, layout.songEnd[s]);
            const SongPlan& song = plan.songs[s];
            for (std::uint64_t i = from; i < to; ++i) {
                const std::uint64_t x = i - layout.songStart[s];
                const std::int16_t* m = sources.Frame(song.source.track, SourceFrame(song, x));
                const double g = Envelope(song, x) / 32768.0;
                mix[2 * (i - frame)] += m[0] * g;
                mix[2 * (i - frame) + 1] += m[1] * g;
            }
        }
        noise.Add(frame, n, mix.data());
        for (std::size_t k = 0; k < 2 * n; ++k) {
            const double v = std::round(mix[k] * sideGain * 32768.0);
            pcm[k] = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
        }
        ok = std::fwrite(pcm.data(), kBytesPerFrame, n, file.get()) == n;
    }
    ok = ok && std::fflush(file.get()) == 0;
    file.reset();
    if (!ok) std::remove(path.c_str());
    return ok;
}

bool WriteTruth(const SidePlan& plan, const MusicSources& sources, const std::string& path) {
    const SideLayout l = LayOut(plan);
    platform::FilePtr out = platform::OpenFile(path, "w");
    if (!out) return false;
    const NoisePlan& n = plan.noise;
    std::fprintf(out.get(),
                 "# %s: %s, floor %.1f dBFS (+%.1f dB inward), %.2f clicks/s (loudest %.1f dB), "
                 "%.1f pops/min, rumble %.1f dB, side gain %.1f dB\n",
                 plan.name.c_str(), n.medium == Medium::Vinyl ? "vinyl" : "cassette", n.floorDb,
                 n.floorDriftDb, n.medium == Medium::Vinyl ? n.clicksPerSecond : 0.0,
                 n.clickLoudestDb, n.popsPerMinute, n.rumbleDb, plan.sideGainDb);
    std::fprintf(out.get(), "frames %llu\n", static_cast<unsigned long long>(l.frames));
    for (std::size_t i = 0; i < plan.songs.size(); ++i) {
        const SongPlan& s = plan.songs[i];
        static const char* const kEndings[] = {"fade", "decay", "abrupt"};
        std::fprintf(
            out.get(), "# song %zu: %s from %.1f s, %.1f dB, %s ending %.2f s%s\n", i + 1,
            sources.TrackName(s.source.track).c_str(), static_cast<double>(s.sourceBegin) / kRate,
            s.gainDb, kEndings[static_cast<int>(s.ending)],
            static_cast<double>(s.endingFrames) / kRate,
            s.quiet
                ? (", quiet passage " + std::to_string(s.quiet->depthDb) + " dB at " +
                   std::to_string(static_cast<double>(l.songStart[i] + s.quiet->offset) / kRate) +
                   " s")
                      .c_str()
                : "");
        std::fprintf(out.get(), "song %llu %llu\n", static_cast<unsigned long long>(l.songStart[i]),
                     static_cast<unsigned long long>(l.songEnd[i]));
    }
    return std::fflush(out.get()) == 0;
}

SidePlan PlanSide(const std::string& name, const SideProfile& profile, const MusicSources& sources,
                  Random& random) {
    SidePlan plan;
    plan.name = name;
    NoisePlan& n = plan.noise;
    n.medium = profile.medium;
    if (profile.medium == Medium::Vinyl) {
        n.floorDb = random.Uniform(-64, -46);
        n.floorDriftDb = random.Uniform(0, 5);
        n.surfaceCutoffHz = random.Uniform(1500, 6000);
        n.rumbleDb = random.Uniform(-56, -36);
        n.warpDb = random.Uniform(-50, -32);
        n.clicksPerSecond = profile.clicksPerSecond;
        n.clickLoudestDb = random.Uniform(-24, -6);
        n.popsPerMinute = random.Uniform(0, 6);
        n.runOutClickDb = random.Uniform(-24, -8);
        plan.preDropSeconds = random.Uniform(0, 1.5);
        plan.leadInSeconds = random.Uniform(1.5, 8);
        plan.runOutSeconds = random.Uniform(6, 25);
        plan.afterLiftSeconds = random.Uniform(0, 2);
    } else {
        n.floorDb = random.Uniform(-50, -42);
        n.humDb = random.Chance(0.5) ? random.Uniform(-72, -56) : -200;
        n.clicksPerSecond = 0;
        n.popsPerMinute = 0;
        plan.preDropSeconds = random.Uniform(0, 0.5);
        plan.leadInSeconds = random.Uniform(1, 6);
        plan.runOutSeconds = random.Uniform(3, 15);
        plan.afterLiftSeconds = random.Uniform(0, 0.5);
    }
    plan.sideGainDb = profile.low ? -12 : random.Uniform(-4, 1);

    // Songs: excerpts of different tracks, 50 s to 5 min long, looped where the stretch is
    // shorter; none with a moment that would sound like a gap on this side.
    std::vector<std::size_t> usedTracks;
    const std::vector<Stretch>& stretches = sources.Stretches();
    for (int s = 0; s < profile.songs && !stretches.empty(); ++s) {
        SongPlan song;
        for (int tries = 0; tries < 200; ++tries) {
            const Stretch pick = stretches[random.Below(static_cast<int>(stretches.size()))];
            if (tries < 100 &&
                std::find(usedTracks.begin(), usedTracks.end(), pick.track) != usedTracks.end())
                continue;
            song.source = pick;
            song.frames = Frames(random.Uniform(50, 300));
            song.sourceBegin =
                pick.begin + static_cast<std::uint64_t>(random.Unit() *
                                                        static_cast<double>(pick.end - pick.begin));
            song.gainDb = random.Uniform(-4, 2);
            if (!HasHiddenGap(sources, song, 0, song.frames, n.floorDb + n.floorDriftDb)) break;
        }
        usedTracks.push_back(song.source.track);
        song.fadeInFrames = random.Chance(0.7) ? Frames(random.Uniform(0.005, 0.03))
                                               : Frames(random.Uniform(0.5, 2.5));
        const double e = random.Unit();
        if (e < 0.4) {
            song.ending = Ending::Fade;
            song.endingFrames = Frames(random.Uniform(1.5, 7));
        } else if (e < 0.7) {
            song.ending = Ending::Decay;
            song.endingFrames = Frames(random.Uniform(0.1, 0.3));
        } else {
            song.ending = Ending::Abrupt;
            song.endingFrames = Frames(kAbruptSeconds);
        }
        // A soft passage, as deep as it can be while a listener still hears music all
        // through it.
        if (random.Chance(0.35) && song.frames > Frames(30)) {
            QuietPassage q;
            q.frames = Frames(kPassageSeconds);
            q.offset = static_cast<std::uint64_t>(random.Uniform(0.2, 0.7) *
                                                  static_cast<double>(song.frames));
            for (q.depthDb = random.Uniform(18, 30); q.depthDb >= 10; q.depthDb -= 2) {
                SongPlan softer = song;
                softer.gainDb -= q.depthDb;
                if (!HasHiddenGap(sources, softer, q.offset, q.offset + q.frames,
                                  n.floorDb + n.floorDriftDb)) {
                    song.quiet = q;
                    break;
                }
            }
        }
        plan.songs.push_back(song);
    }
    const int segueAt = profile.segue && plan.songs.size() > 1
                            ? random.Below(static_cast<int>(plan.songs.size()) - 1)
                            : -1;
    for (std::size_t g = 0; g + 1 < plan.songs.size(); ++g) {
        double gap = random.Chance(0.1) ? random.Uniform(4.5, 8) : random.Uniform(1.0, 4.5);
        if (static_cast<int>(g) == segueAt) gap = 0.7;
        plan.gapSeconds.push_back(gap);
    }
    return plan;
}

}  // namespace corpus
