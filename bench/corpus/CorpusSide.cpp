#include "bench/corpus/CorpusSide.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "bench/corpus/Applause.h"
#include "platform/File.h"
#include "sidefile/WaveFile.h"

namespace corpus {

namespace {

constexpr std::size_t kChunkFrames = 8192;
constexpr double kPi = 3.14159265358979323846;
constexpr double kDecayEndDb = -45;        // a decaying ending is cut off this far down
constexpr double kPassageSeconds = 2.5;    // a quiet passage inside a song
constexpr double kMusicAboveFloorDb = 12;  // music stays this far above the floor...
constexpr double kHiddenGapSeconds = 0.4;  // ...in every stretch this long
constexpr double kPassageRampSeconds = 0.2;
constexpr double kAbruptSeconds = 0.03;
constexpr double kWowHz = 0.55;  // once a turn
constexpr double kDropoutFadeSeconds = 0.005;
constexpr double kApplauseLeadSeconds = 1;   // the audience claps into the last chord
constexpr double kApplauseUnderSeconds = 3;  // and, running on, under the next song's start

std::uint64_t Frames(double seconds) {
    return static_cast<std::uint64_t>(std::llround(seconds * kRate));
}

// The song's gain at frame x of its music: fade in, quiet passages, ending.
double Envelope(const SongPlan& song, std::uint64_t x) {
    double g = DecibelsToFactor(song.gainDb);
    if (x < song.fadeInFrames) g *= static_cast<double>(x) / song.fadeInFrames;
    for (const QuietPassage& q : song.quiet) {
        // Down by depthDb, with a short ramp at each end.
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
                  std::uint64_t to, double floorDb, double gainDb) {
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
        const double db = 10 * std::log10(ms / kWindow + 1e-20) + gainDb;
        run = db < floorDb + kMusicAboveFloorDb ? run + 1 : 0;
        if (run * 0.1 >= kHiddenGapSeconds) return true;
    }
    return false;
}

// A quiet passage at `offset` as deep as it can be, from `deepest` up, while a listener still
// hears music all through it; false when even 10 dB down leaves none.
bool AddPassage(const MusicSources& sources, SongPlan& song, std::uint64_t offset,
                std::uint64_t frames, double deepest, double floorDb) {
    for (const QuietPassage& q : song.quiet)
        if (offset < q.offset + q.frames && q.offset < offset + frames) return false;
    for (double depth = deepest; depth >= 10; depth -= 2)
        if (!HasHiddenGap(sources, song, offset, offset + frames, floorDb, song.gainDb - depth)) {
            song.quiet.push_back({offset, frames, depth});
            return true;
        }
    return false;
}

// The side's dropouts: moments inside songs where the tape loses the head (frames, gain).
struct Dropout {
    std::uint64_t start, frames;
    double gain;
};

std::vector<Dropout> PlanDropouts(const SidePlan& plan, const SideLayout& layout,
                                  std::uint64_t seed) {
    std::vector<Dropout> dropouts;
    if (plan.dropoutsPerMinute <= 0) return dropouts;
    Random random(seed ^ 0xD0D0);
    for (std::size_t s = 0; s < layout.songStart.size(); ++s) {
        double at = static_cast<double>(layout.songStart[s]);
        for (;;) {
            at += random.Exponential(plan.dropoutsPerMinute / 60 / kRate);
            if (at >= static_cast<double>(layout.songEnd[s])) break;
            dropouts.push_back({static_cast<std::uint64_t>(at), Frames(random.Uniform(0.02, 0.3)),
                                DecibelsToFactor(-random.Uniform(6, 20))});
        }
    }
    return dropouts;
}

double DropoutGain(const std::vector<Dropout>& dropouts, std::uint64_t i) {
    const double ramp = kDropoutFadeSeconds * kRate;
    for (const Dropout& d : dropouts) {
        if (i < d.start || i >= d.start + d.frames) continue;
        const double edge =
            std::min(static_cast<double>(i - d.start), static_cast<double>(d.start + d.frames - i));
        return 1 - (1 - d.gain) * std::min(1.0, edge / ramp);
    }
    return 1;
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
        at += plan.songs[i].frames + plan.songs[i].applauseFrames;
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
    // Applause from a second before the music's end; running on, it dies away under the
    // next song's start.
    const std::uint64_t lead = Frames(kApplauseLeadSeconds), under = Frames(kApplauseUnderSeconds);
    std::vector<std::unique_ptr<Applause>> applause;
    std::vector<std::uint64_t> clapStart, clapEnd;
    for (std::size_t s = 0; s < plan.songs.size(); ++s) {
        const SongPlan& song = plan.songs[s];
        const std::uint64_t musicEnd = layout.songStart[s] + song.frames;
        const std::uint64_t from = song.applauseFrames ? musicEnd - std::min(lead, song.frames) : 0;
        const std::uint64_t to =
            song.applauseFrames ? layout.songEnd[s] + (song.applauseRunsOn ? under : 0) : 0;
        clapStart.push_back(from);
        clapEnd.push_back(to);
        applause.push_back(std::make_unique<Applause>(
            to - from, song.applauseDb + song.gainDb,
            song.applauseRunsOn ? under : song.applauseDiesFrames, seed * 31 + s));
    }
    const std::vector<Dropout> dropouts = PlanDropouts(plan, layout, seed);
    platform::FilePtr file = platform::OpenFile(path, "wb");
    if (!file) return false;
    const std::uint64_t dataBytes = layout.frames * kBytesPerFrame;
    bool ok = dataBytes <= 0xFFFFFFFFu - 36 &&
              WaveFile().WriteHeader(file.get(), static_cast<std::uint32_t>(dataBytes));
    std::vector<double> mix(2 * kChunkFrames);
    std::vector<std::int16_t> pcm(2 * kChunkFrames);
    const double sideGain = DecibelsToFactor(plan.sideGainDb);
    const double wow = plan.wowPercent / 100 * kRate / (2 * kPi * kWowHz);  // frames, peak
    const std::uint64_t hold = Frames(plan.gateHoldSeconds);
    for (std::uint64_t frame = 0; ok && frame < layout.frames; frame += kChunkFrames) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkFrames, layout.frames - frame));
        std::fill(mix.begin(), mix.end(), 0.0);
        for (std::size_t s = 0; s < plan.songs.size(); ++s) {
            const SongPlan& song = plan.songs[s];
            const std::uint64_t musicEnd = layout.songStart[s] + song.frames;
            const std::uint64_t from = std::max(frame, layout.songStart[s]);
            const std::uint64_t to = std::min(frame + n, musicEnd);
            for (std::uint64_t i = from; i < to; ++i) {
                const std::uint64_t x = i - layout.songStart[s];
                const double g = Envelope(song, x) / 32768.0;
                double* o = &mix[2 * (i - frame)];
                if (wow > 0) {
                    // The speed wavers: read between frames, a little ahead or behind.
                    const double p = std::max(
                        0.0, static_cast<double>(x) +
                                 wow * std::sin(2 * kPi * kWowHz * static_cast<double>(i) / kRate));
                    const auto whole = static_cast<std::uint64_t>(p);
                    const double part = p - static_cast<double>(whole);
                    const std::int16_t* a =
                        sources.Frame(song.source.track, SourceFrame(song, whole));
                    const std::int16_t* b =
                        sources.Frame(song.source.track, SourceFrame(song, whole + 1));
                    o[0] += ((1 - part) * a[0] + part * b[0]) * g;
                    o[1] += ((1 - part) * a[1] + part * b[1]) * g;
                } else {
                    const std::int16_t* m = sources.Frame(song.source.track, SourceFrame(song, x));
                    o[0] += m[0] * g;
                    o[1] += m[1] * g;
                }
            }
            const std::uint64_t clapFrom = std::max(frame, clapStart[s]);
            const std::uint64_t clapTo = std::min(frame + n, clapEnd[s]);
            if (clapFrom < clapTo)
                applause[s]->Add(clapFrom - clapStart[s],
                                 static_cast<std::size_t>(clapTo - clapFrom),
                                 &mix[2 * (clapFrom - frame)]);
        }
        noise.Add(frame, n, mix.data());
        for (std::size_t k = 0; k < n; ++k) {
            const std::uint64_t i = frame + k;
            double left = mix[2 * k], right = mix[2 * k + 1];
            if (!dropouts.empty()) {
                const double g = DropoutGain(dropouts, i);
                left *= g;
                right *= g;
            }
            if (plan.zeroOutsideSongs) {
                bool open = false;
                for (std::size_t s = 0; s < layout.songStart.size() && !open; ++s)
                    open = i >= layout.songStart[s] && i < layout.songEnd[s] + hold;
                if (!open) left = right = 0;
            }
            if (plan.outOfPhase) right = -left;
            if (plan.deadChannel) right = 0;
            const double l = std::round(left * sideGain * 32768.0);
            const double r = std::round(right * sideGain * 32768.0);
            pcm[2 * k] = static_cast<std::int16_t>(std::clamp(l, -32768.0, 32767.0));
            pcm[2 * k + 1] = static_cast<std::int16_t>(std::clamp(r, -32768.0, 32767.0));
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
                 "%.1f pops/min, rumble %.1f dB, hum %.1f dB, converter %.1f dB, side gain "
                 "%.1f dB, wow %.2f %%, %.1f dropouts/min%s%s%s\n",
                 plan.name.c_str(), n.medium == Medium::Vinyl ? "vinyl" : "cassette", n.floorDb,
                 n.floorDriftDb, n.medium == Medium::Vinyl ? n.clicksPerSecond : 0.0,
                 n.clickLoudestDb, n.popsPerMinute, n.rumbleDb, n.humDb, n.converterDb,
                 plan.sideGainDb, plan.wowPercent, plan.dropoutsPerMinute,
                 plan.zeroOutsideSongs ? ", digital zero outside songs" : "",
                 plan.outOfPhase ? ", out of phase" : "", plan.deadChannel ? ", right dead" : "");
    std::fprintf(out.get(), "condition %s %s\n", ConditionName(plan.condition),
                 HeldOut(plan.condition) ? "held-out" : "tuning");
    std::fprintf(out.get(), "frames %llu\n", static_cast<unsigned long long>(l.frames));
    std::uint64_t start = 0;
    bool open = false;  // a song under way that runs into the next
    for (std::size_t i = 0; i < plan.songs.size(); ++i) {
        const SongPlan& s = plan.songs[i];
        static const char* const kEndings[] = {"fade", "decay", "abrupt"};
        std::string quiet;
        for (const QuietPassage& q : s.quiet)
            quiet += ", quiet " + std::to_string(static_cast<int>(q.depthDb)) + " dB at " +
                     std::to_string(static_cast<double>(l.songStart[i] + q.offset) / kRate) + " s";
        std::fprintf(out.get(), "# song %zu: %s from %.1f s, %.1f dB, %s ending %.2f s%s%s\n",
                     i + 1, sources.TrackName(s.source.track).c_str(),
                     static_cast<double>(s.sourceBegin) / kRate, s.gainDb,
                     kEndings[static_cast<int>(s.ending)],
                     static_cast<double>(s.endingFrames) / kRate, quiet.c_str(),
                     s.applauseFrames == 0 ? ""
                     : s.applauseRunsOn    ? ", applause into the next song"
                                           : ", applause");
        if (!open) start = l.songStart[i];
        open = s.applauseRunsOn && i + 1 < plan.songs.size();
        if (!open)
            std::fprintf(out.get(), "song %llu %llu\n", static_cast<unsigned long long>(start),
                         static_cast<unsigned long long>(l.songEnd[i]));
    }
    return std::fflush(out.get()) == 0;
}

SidePlan PlanSide(const std::string& name, Condition condition, const MusicSources& sources,
                  Random& random) {
    using C = Condition;
    SidePlan plan;
    plan.name = name;
    plan.condition = condition;
    const auto is = [condition](std::initializer_list<C> any) {
        return std::find(any.begin(), any.end(), condition) != any.end();
    };
    NoisePlan& n = plan.noise;
    const bool cassette =
        is({C::CleanCassette, C::TapeLeader, C::TapeEnd, C::Gated, C::Dropouts}) ||
        (!is({C::CleanVinyl, C::PreNeedle, C::HeavyCrackle, C::DigitalSilence, C::QuietClassical,
              C::Wow, C::PostLift, C::InwardNoise}) &&
         random.Chance(0.3));
    n.medium = cassette ? Medium::Cassette : Medium::Vinyl;
    if (!cassette) {
        n.floorDb = random.Uniform(-64, -46);
        n.floorDriftDb = random.Uniform(0, 5);
        n.surfaceCutoffHz = random.Uniform(1500, 6000);
        n.rumbleDb = random.Uniform(-56, -36);
        n.warpDb = random.Uniform(-50, -32);
        n.clicksPerSecond = std::exp(random.Uniform(std::log(0.05), std::log(10.0)));
        n.clickLoudestDb = random.Uniform(-24, -6);
        n.popsPerMinute = random.Uniform(0, 6);
        n.runOutClickDb = random.Uniform(-24, -8);
        plan.preDropSeconds = random.Uniform(0, 1.5);
        plan.leadInSeconds = random.Uniform(1.5, 8);
        plan.runOutSeconds = random.Uniform(6, 25);
        plan.afterLiftSeconds = random.Uniform(0, 2);
    } else {
        n.floorDb = random.Uniform(-50, -42);
        n.humDb = random.Chance(0.3) ? random.Uniform(-72, -56) : -200;
        n.clicksPerSecond = 0;
        n.popsPerMinute = 0;
        plan.preDropSeconds = random.Uniform(0, 0.5);
        plan.leadInSeconds = random.Uniform(1, 6);
        plan.runOutSeconds = random.Uniform(3, 15);
        plan.afterLiftSeconds = random.Uniform(0, 0.5);
    }
    n.converterDb = random.Uniform(-96, -88);
    plan.sideGainDb = random.Uniform(-4, 1);

    switch (condition) {
        case C::PreNeedle:
            plan.preDropSeconds = random.Uniform(3, 8);
            n.converterDb = n.floorDb - random.Uniform(20, 30);
            break;
        case C::PostLift:
            plan.afterLiftSeconds = random.Uniform(5, 30);
            n.converterDb = n.floorDb - random.Uniform(20, 30);
            break;
        case C::HeavyCrackle:
            n.clicksPerSecond = random.Uniform(25, 60);
            n.clickLoudestDb = -20;
            n.popsPerMinute = random.Uniform(10, 40);
            n.popLongestMs = 5;
            break;
        case C::TapeLeader:
            plan.preDropSeconds = random.Uniform(3, 8);
            break;
        case C::TapeEnd:
            plan.runOutSeconds = random.Uniform(20, 60);
            plan.afterLiftSeconds = random.Uniform(3, 10);
            break;
        case C::DigitalSilence:
            n.floorDb = random.Uniform(-80, -70);  // what the cleaned master keeps under the music
            n.clicksPerSecond = 0.05;
            n.popsPerMinute = 0;
            plan.zeroOutsideSongs = true;
            break;
        case C::Gated:
            plan.zeroOutsideSongs = true;
            plan.gateHoldSeconds = random.Uniform(0.05, 0.2);
            break;
        case C::Hum:
            n.humDb = random.Uniform(-54, -42);
            n.humHz = random.Chance(0.5) ? 50 : 60;
            break;
        case C::Low:
            plan.sideGainDb = -30;
            break;
        case C::OutOfPhase:
            plan.outOfPhase = true;
            break;
        case C::DeadChannel:
            plan.deadChannel = true;
            break;
        case C::InwardNoise:
            n.floorDriftDb = random.Uniform(6, 10);
            break;
        case C::Wow:
            plan.wowPercent = random.Uniform(0.1, 0.5);
            break;
        case C::Dropouts:
            plan.dropoutsPerMinute = random.Uniform(2, 8);
            break;
        default:
            break;
    }

    // Songs: excerpts of different tracks, looped where the stretch is shorter; none with a
    // moment that would sound like a gap on this side. Orchestral pieces for the quiet
    // classical sides.
    // The floor the music must stand out of: the noise at its highest, and the hum (its
    // harmonics' power: (1 + 0.3² + 0.5² + 0.25²) / 2 of the peak's square).
    const double floorDb = 10 * std::log10(std::pow(10.0, (n.floorDb + n.floorDriftDb) / 10) +
                                           0.70 * std::pow(10.0, n.humDb / 10));
    const bool classical = condition == C::QuietClassical;
    std::vector<Stretch> stretches;
    for (const Stretch& s : sources.Stretches())
        if (!classical || sources.TrackName(s.track).starts_with("orchestral-"))
            stretches.push_back(s);
    if (stretches.empty()) stretches = sources.Stretches();
    const int songs = 3 + random.Below(6);
    std::vector<std::size_t> usedTracks;
    for (int s = 0; s < songs && !stretches.empty(); ++s) {
        SongPlan song;
        for (int tries = 0; tries < 200; ++tries) {
            const Stretch pick = stretches[random.Below(static_cast<int>(stretches.size()))];
            if (tries < 100 &&
                std::find(usedTracks.begin(), usedTracks.end(), pick.track) != usedTracks.end())
                continue;
            song.source = pick;
            song.frames = Frames(classical ? random.Uniform(120, 300) : random.Uniform(40, 200));
            song.sourceBegin =
                pick.begin + static_cast<std::uint64_t>(random.Unit() *
                                                        static_cast<double>(pick.end - pick.begin));
            song.gainDb = random.Uniform(-4, 2);
            if (!HasHiddenGap(sources, song, 0, song.frames, floorDb, song.gainDb)) break;
        }
        usedTracks.push_back(song.source.track);
        song.fadeInFrames = condition == C::SoftStart ? Frames(random.Uniform(3, 6))
                            : random.Chance(0.7)      ? Frames(random.Uniform(0.005, 0.03))
                                                      : Frames(random.Uniform(0.5, 2.5));
        const double e = random.Unit();
        if (condition == C::FadeToFloor) {
            song.ending = Ending::Fade;
            song.endingFrames = Frames(random.Uniform(6, 12));
        } else if (e < 0.4) {
            song.ending = Ending::Fade;
            song.endingFrames = Frames(random.Uniform(1.5, 7));
        } else if (e < 0.7) {
            song.ending = Ending::Decay;
            song.endingFrames = Frames(random.Uniform(0.1, 0.3));
        } else {
            song.ending = Ending::Abrupt;
            song.endingFrames = Frames(kAbruptSeconds);
        }
        if (classical) {
            // Long quiet passages, a third of the piece or so.
            const int passages = 1 + random.Below(3);
            for (int p = 0; p < passages; ++p) {
                const std::uint64_t length = Frames(random.Uniform(8, 25));
                const auto offset = static_cast<std::uint64_t>(
                    random.Uniform(0.1, 0.8) * static_cast<double>(song.frames - length));
                AddPassage(sources, song, offset, length, random.Uniform(18, 30), floorDb);
            }
        } else if (condition == C::SoftEnding && song.frames > Frames(60)) {
            // A long quiet outro to the end.
            const std::uint64_t length = Frames(random.Uniform(10, 20));
            song.ending = random.Chance(0.5) ? Ending::Abrupt : Ending::Decay;
            song.endingFrames = song.ending == Ending::Abrupt ? Frames(kAbruptSeconds)
                                                              : Frames(random.Uniform(0.1, 0.3));
            AddPassage(sources, song, song.frames - length, length + Frames(1),
                       random.Uniform(16, 24), floorDb);
        } else if (random.Chance(0.35) && song.frames > Frames(30)) {
            // A soft passage, as deep as it can be while a listener still hears music.
            const auto offset = static_cast<std::uint64_t>(random.Uniform(0.2, 0.7) *
                                                           static_cast<double>(song.frames));
            AddPassage(sources, song, offset, Frames(kPassageSeconds), random.Uniform(18, 30),
                       floorDb);
        }
        if (condition == C::LiveApplause) {
            song.applauseFrames = Frames(random.Uniform(3, 10));
            song.applauseDb = -random.Uniform(6, 14);
            song.applauseRunsOn = s + 1 < songs && random.Chance(0.4);
            song.applauseDiesFrames = Frames(random.Uniform(1, 1.5));
        }
        plan.songs.push_back(song);
    }
    for (std::size_t g = 0; g + 1 < plan.songs.size(); ++g) {
        double gap = random.Chance(0.1) ? random.Uniform(4.5, 8) : random.Uniform(1.0, 4.5);
        if (condition == C::Segues) gap = random.Uniform(0.6, 0.9);
        if (condition == C::SoftEnding) gap = random.Uniform(3.5, 5);
        if (plan.songs[g].applauseRunsOn) gap = 0;
        plan.gapSeconds.push_back(gap);
    }
    return plan;
}

}  // namespace corpus
