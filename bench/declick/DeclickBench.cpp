// Velvane's click repairer against ffmpeg's adeclick on excerpts of real music with damage
// of known positions (bench/declick-bench.sh builds and runs it). Prints the scores per
// half (tuning, held out), damage and excerpt group, then the times.
//   declick_bench --music DIR --work DIR [--seconds S] [--seed N] [--runs R] [--threads N]
//                 [--quick]   (the repairer's scores alone, for tuning)
//   declick_bench --long-minutes M [--threads N]   (time and memory on one long stream)

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchRun.h"
#include "bench/corpus/Random.h"
#include "bench/declick/Damage.h"
#include "bench/declick/Excerpts.h"
#include "bench/declick/Score.h"
#include "repair/ClickRepairer.h"

using namespace declick;

namespace {

constexpr std::size_t kGapFrames = kRate / 2;  // silence between items in the stream
constexpr std::size_t kChunkFrames = 4096;     // what the slice writer hands over at a time

struct Item {
    std::size_t excerpt = 0;
    Condition condition = Condition::Clean;
    Damaged damaged;
    std::size_t offset = 0;  // first frame in the stream
};

struct Method {
    std::string name;
    std::function<void(std::vector<float>&)> run;  // fills the output for the stream
};

struct Outcome {
    std::string name;
    std::vector<DamageScore> scores;  // per item (clean items: unused)
    std::vector<double> harm;         // per item (damaged items: unused)
};

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void RunVelvane(repair::RepairStrength strength, int threads, const std::vector<float>& in,
                std::vector<float>& out) {
    out.clear();
    out.reserve(in.size());
    repair::ClickRepairer repairer(strength, kChannels, kRate, threads);
    for (std::size_t i = 0; i < in.size(); i += kChunkFrames * kChannels) {
        const std::size_t frames = std::min(kChunkFrames, (in.size() - i) / kChannels);
        repairer.Process(in.data() + i, frames, out);
    }
    repairer.Finish(out);
}

bool RunFfmpeg(const std::string& work, const std::string& filter, std::size_t samples,
               std::vector<float>& out) {
    const std::string output = work + "/out.f32";
    const bench::RunResult r =
        bench::Run({"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "f32le", "-ar", "44100", "-ac",
                    "2", "-i", work + "/in.f32", "-af", filter, "-f", "f32le", output},
                   work);
    out.assign(samples, 0.0f);
    std::ifstream file(output, std::ios::binary);
    file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(samples * 4));
    return r.status == 0 && file.gcount() == static_cast<std::streamsize>(samples * 4);
}

// Rows of the table: which items a row pools.
struct Row {
    const char* label;
    std::function<bool(const Item&, const Excerpt&)> takes;
    bool harm;  // whether the row's group has clean items to judge harm on
};

void PrintRows(const Outcome& o, const std::vector<Item>& items,
               const std::vector<Excerpt>& excerpts, const char* half,
               std::function<bool(const Excerpt&)> inHalf) {
    const std::vector<Row> rows = {
        {"clicks", [](const Item& i, const Excerpt&) { return i.condition == Condition::Clicks; },
         false},
        {"crackle", [](const Item& i, const Excerpt&) { return i.condition == Condition::Crackle; },
         false},
        {"pops", [](const Item& i, const Excerpt&) { return i.condition == Condition::Pops; },
         false},
        {"lively", [](const Item&, const Excerpt& e) { return !e.quiet; }, true},
        {"quiet", [](const Item&, const Excerpt& e) { return e.quiet; }, true},
        {"all", [](const Item&, const Excerpt&) { return true; }, true},
    };
    for (const Row& row : rows) {
        double whole = 0, spans = 0, worst = kNoHarmDb, harmSum = 0;
        int damagedCount = 0, cleanCount = 0, clicks = 0, repaired = 0;
        for (std::size_t k = 0; k < items.size(); ++k) {
            const Excerpt& e = excerpts[items[k].excerpt];
            if (!inHalf(e) || !row.takes(items[k], e)) continue;
            if (items[k].condition == Condition::Clean) {
                worst = std::min(worst, o.harm[k]);
                harmSum += o.harm[k];
                ++cleanCount;
            } else {
                whole += o.scores[k].wholeGainDb;
                spans += o.scores[k].spanGainDb;
                clicks += o.scores[k].clicks;
                repaired += o.scores[k].repaired;
                ++damagedCount;
            }
        }
        if (damagedCount == 0) continue;
        std::printf("%-26s %-9s %-8s %8.2f %8.2f %7.2f%% %6d", o.name.c_str(), half, row.label,
                    whole / damagedCount, spans / damagedCount, 100.0 * repaired / clicks, clicks);
        if (row.harm && cleanCount > 0) {
            std::printf(" %9.1f %9.1f\n", worst, harmSum / cleanCount);
        } else {
            std::printf(" %9s %9s\n", "-", "-");
        }
    }
}

double WholeGainOnTuning(const Outcome& o, const std::vector<Item>& items,
                         const std::vector<Excerpt>& excerpts) {
    double sum = 0;
    int count = 0;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (excerpts[items[k].excerpt].heldOut || items[k].condition == Condition::Clean) continue;
        sum += o.scores[k].wholeGainDb;
        ++count;
    }
    return count ? sum / count : 0;
}

// The harm medium did to a clean excerpt, and its largest changes: runs of changed frames
// (any channel), by the energy of the change, with the level of the music around them.
void PrintHarmCauses(const Excerpt& e, const float* output) {
    const std::vector<float>& in = e.clean;
    const std::size_t frames = in.size() / kChannels;
    struct Change {
        std::size_t start, length;
        double energy;
    };
    std::vector<Change> changes;
    auto changed = [&](std::size_t f) {
        for (int c = 0; c < kChannels; ++c) {
            if (output[f * kChannels + c] != in[f * kChannels + c]) return true;
        }
        return false;
    };
    double total = 0;
    for (std::size_t f = 0; f < frames;) {
        if (!changed(f)) {
            ++f;
            continue;
        }
        Change c{f, 0, 0};
        for (; f < frames && changed(f); ++f) {
            for (int k = 0; k < kChannels; ++k) {
                const double d = output[f * kChannels + k] - in[f * kChannels + k];
                c.energy += d * d;
            }
        }
        c.length = f - c.start;
        total += c.energy;
        changes.push_back(c);
    }
    std::printf("  %-50s harm %6.1f dB, %zu changed runs\n", e.name.c_str(), HarmDb(in, output),
                changes.size());
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.energy > b.energy; });
    constexpr std::size_t kAround = kRate / 100;
    for (std::size_t i = 0; i < std::min<std::size_t>(5, changes.size()); ++i) {
        const Change& c = changes[i];
        auto level = [&](std::size_t from, std::size_t to) {
            double sum = 0;
            for (std::size_t j = from * kChannels; j < to * kChannels; ++j) sum += in[j] * in[j];
            return 10 * std::log10(sum / std::max<std::size_t>(1, (to - from) * kChannels) + 1e-20);
        };
        std::printf(
            "    at %7zu (%6.3f s) %4zu frames: %5.1f%% of the harm; music %6.1f dB before, "
            "%6.1f dB after\n",
            c.start, static_cast<double>(c.start) / kRate, c.length, 100 * c.energy / total,
            level(c.start - std::min(c.start, kAround), c.start),
            level(c.start, std::min(frames, c.start + kAround)));
    }
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One long stream of made-up music (plucked tones over a noisy bed) with crackle, in chunks:
// the repairer's time and the process's peak memory.
int LongRun(double minutes, int threads) {
    const long rssBefore = PeakRssKb();
    const std::uint64_t frames = static_cast<std::uint64_t>(minutes * 60 * kRate);
    repair::ClickRepairer repairer(repair::RepairStrength::Medium, kChannels, kRate, threads);
    corpus::Random random(7);
    std::vector<float> in(kChunkFrames * kChannels), out;
    double phase = 0, freq = 220, env = 0, sum = 0;
    const auto start = std::chrono::steady_clock::now();
    double repairSeconds = 0;
    std::uint64_t given = 0, spans = 0;
    for (std::uint64_t done = 0; done < frames; done += kChunkFrames) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkFrames, frames - done));
        for (std::size_t i = 0; i < n; ++i) {
            if (random.Chance(4.0 / kRate)) env = 0.3, freq = random.Uniform(110, 880);
            env *= 0.99995;
            phase += 2 * 3.141592653589793 * freq / kRate;
            const double music = env * std::sin(phase) + 0.01 * random.Gauss();
            const double click = random.Chance(300.0 / kRate) ? random.Uniform(-0.2, 0.2) : 0.0;
            in[i * 2] = static_cast<float>(music + click);
            in[i * 2 + 1] = static_cast<float>(0.8 * music + click);
        }
        const auto t = std::chrono::steady_clock::now();
        out.clear();
        repairer.Process(in.data(), n, out);
        repairSeconds += Seconds(t);
        given += out.size() / kChannels;
        for (float s : out) sum += s;
        spans += repairer.TakeSpans().size();
    }
    const auto t = std::chrono::steady_clock::now();
    out.clear();
    repairer.Finish(out);
    repairSeconds += Seconds(t);
    given += out.size() / kChannels;
    for (float s : out) sum += s;
    spans += repairer.TakeSpans().size();
    const double audio = static_cast<double>(frames) / kRate;
    std::printf(
        "long stream: %.0f min stereo 44.1 kHz, medium, %d threads: repair %.2f s "
        "(%.0fx real time), %llu frames out, %llu clicks, total %.1f s\n",
        minutes, repairer.Threads(), repairSeconds, audio / repairSeconds,
        static_cast<unsigned long long>(given), static_cast<unsigned long long>(spans),
        Seconds(start));
    std::printf("peak resident memory: %.1f MB before the stream, %.1f MB after (checksum %g)\n",
                rssBefore / 1024.0, PeakRssKb() / 1024.0, sum);
    return given == frames ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string music, work;
    double seconds = 8, longMinutes = 0;
    int seed = 1, runs = 3, threads = 0;
    bool quick = false;
    if (!bench::ReadOptions(argc, argv,
                            {{"--music", &music},
                             {"--work", &work},
                             {"--seconds", &seconds},
                             {"--seed", &seed},
                             {"--runs", &runs},
                             {"--threads", &threads},
                             {"--long-minutes", &longMinutes},
                             {"--quick", &quick}})) {
        std::fprintf(stderr,
                     "usage: declick_bench --music DIR --work DIR [--seconds S] [--seed N] "
                     "[--runs R] [--threads N] [--quick] | --long-minutes M [--threads N]\n");
        return 2;
    }
    if (longMinutes > 0) return LongRun(longMinutes, threads);

    const std::vector<Excerpt> excerpts = CutExcerpts(music, seconds);
    if (excerpts.empty()) {
        std::fprintf(stderr, "no tracks in %s\n", music.c_str());
        return 1;
    }
    // Every excerpt under every condition, one after the other with silence between.
    std::vector<Item> items;
    std::vector<float> stream(kGapFrames * kChannels, 0.0f);
    for (std::size_t e = 0; e < excerpts.size(); ++e) {
        for (Condition condition : kConditions) {
            Item item;
            item.excerpt = e;
            item.condition = condition;
            item.damaged = AddDamage(excerpts[e], condition,
                                     static_cast<std::uint64_t>(seed) * 1000003 + e * 17 +
                                         static_cast<std::uint64_t>(condition));
            item.offset = stream.size() / kChannels;
            stream.insert(stream.end(), item.damaged.samples.begin(), item.damaged.samples.end());
            stream.insert(stream.end(), kGapFrames * kChannels, 0.0f);
            items.push_back(std::move(item));
        }
    }
    const double streamSeconds = static_cast<double>(stream.size() / kChannels) / kRate;
    int tuning = 0;
    for (const Excerpt& e : excerpts) tuning += !e.heldOut;
    std::printf("%zu excerpts of %.0f s (%d tuning, %zu held out), %zu items, stream %.0f s\n",
                excerpts.size(), seconds, tuning, excerpts.size() - tuning, items.size(),
                streamSeconds);
    for (const Excerpt& e : excerpts) {
        std::printf("  %-8s %-50s rms %6.1f dBFS\n", e.heldOut ? "held out" : "tuning",
                    e.name.c_str(), 20 * std::log10(e.rms));
    }
    {
        std::ofstream file(work + "/in.f32", std::ios::binary);
        file.write(reinterpret_cast<const char*>(stream.data()),
                   static_cast<std::streamsize>(stream.size() * 4));
    }

    const char* adeclickDefault = "adeclick";
    std::vector<std::string> grid = {adeclickDefault};
    for (int order : {2, 8, 16}) {
        for (int threshold : {2, 4, 8}) {
            if (order == 2 && threshold == 2) continue;  // the defaults
            grid.push_back("adeclick=a=" + std::to_string(order) +
                           ":t=" + std::to_string(threshold));
        }
    }
    std::vector<Method> methods;
    using repair::RepairStrength;
    const std::vector<RepairStrength> strengths =
        quick ? std::vector{RepairStrength::Medium}
              : std::vector{RepairStrength::Light, RepairStrength::Medium, RepairStrength::Strong};
    for (const RepairStrength strength : strengths) {
        methods.push_back({"velvane " + std::string(repair::FormatRepairStrength(strength)),
                           [&, strength](std::vector<float>& out) {
                               RunVelvane(strength, threads, stream, out);
                           }});
    }
    for (const std::string& filter : quick ? std::vector<std::string>{} : grid) {
        methods.push_back({filter, [&, filter](std::vector<float>& out) {
                               if (!RunFfmpeg(work, filter, stream.size(), out)) {
                                   std::fprintf(stderr, "ffmpeg %s failed\n", filter.c_str());
                               }
                           }});
    }

    std::vector<Outcome> outcomes;
    std::vector<float> out;
    for (const Method& m : methods) {
        m.run(out);
        Outcome o;
        o.name = m.name;
        for (const Item& item : items) {
            const float* output = out.data() + item.offset * kChannels;
            const std::vector<float>& clean = excerpts[item.excerpt].clean;
            o.scores.push_back(item.condition == Condition::Clean
                                   ? DamageScore{}
                                   : ScoreDamage(clean, item.damaged, output));
            o.harm.push_back(item.condition == Condition::Clean ? HarmDb(clean, output) : 0);
        }
        outcomes.push_back(std::move(o));
    }
    if (quick) {
        // Which clicks medium misses on the tuning half: by shape and level, untouched or
        // touched but not repaired.
        // `out` holds the last method's output: medium's, the only one.
        std::map<std::string, std::array<int, 3>> misses;  // total, untouched, poorly filled
        std::printf("medium's harm on clean excerpts, and its largest changes:\n");
        for (const Item& item : items) {
            if (item.condition == Condition::Clean) {
                PrintHarmCauses(excerpts[item.excerpt], out.data() + item.offset * kChannels);
            }
        }
        for (const Item& item : items) {
            if (excerpts[item.excerpt].heldOut) continue;
            const float* output = out.data() + item.offset * kChannels;
            const float* in = item.damaged.samples.data();
            const float* clean = excerpts[item.excerpt].clean.data();
            // Where the error left is: in the damaged frames or outside them.
            std::vector<bool> hit(item.damaged.samples.size() / kChannels, false);
            for (const DamageEvent& e : item.damaged.events) {
                for (std::size_t f = e.start; f < e.start + e.length; ++f) hit[f] = true;
            }
            double music = 0, inside = 0, outside = 0;
            for (std::size_t i = 0; i < item.damaged.samples.size(); ++i) {
                const double d = output[i] - clean[i];
                music += clean[i] * clean[i];
                (hit[i / kChannels] ? inside : outside) += d * d;
            }
            if (item.condition != Condition::Clean) {
                const DamageScore score =
                    ScoreDamage(excerpts[item.excerpt].clean, item.damaged, output);
                std::printf(
                    "  %-50s %-8s error inside %6.1f dB, outside %6.1f dB (re music), "
                    "recall %5.1f%% of %d\n",
                    excerpts[item.excerpt].name.c_str(), ConditionName(item.condition).data(),
                    10 * std::log10(inside / music + 1e-30),
                    10 * std::log10(outside / music + 1e-30),
                    100.0 * score.repaired / std::max(1, score.clicks), score.clicks);
            }
            for (const DamageEvent& e : item.damaged.events) {
                double before = 0, after = 0;
                bool touched = false;  // any sample of it changed
                for (std::size_t i = e.start * kChannels; i < (e.start + e.length) * kChannels;
                     ++i) {
                    before += (in[i] - clean[i]) * (in[i] - clean[i]);
                    after += (output[i] - clean[i]) * (output[i] - clean[i]);
                    touched |= output[i] != in[i];
                }
                const int bin = static_cast<int>(std::floor(e.levelDb / 6)) * 6;
                auto& m = misses[std::string(e.shape) + " " + std::to_string(bin) + " dB"];
                ++m[0];
                if (after > kRepairedResidualShare * before) ++m[touched ? 2 : 1];
            }
        }
        std::printf(
            "medium's misses (tuning half): shape, level: clicks, untouched, poorly filled\n");
        for (const auto& [key, m] : misses) {
            std::printf("  %-22s %6d %6d %6d\n", key.c_str(), m[0], m[1], m[2]);
        }
        for (const char* half : {"tuning", "held out"}) {
            const std::string h = half;
            for (const Outcome& o : outcomes) {
                PrintRows(o, items, excerpts, half,
                          [h](const Excerpt& e) { return e.heldOut == (h == "held out"); });
            }
        }
        return 0;
    }
    // adeclick's best setting: the highest mean SNR gain on the tuning half.
    std::size_t best = 3;
    std::printf("\nadeclick settings, mean SNR gain (whole excerpt) on the tuning half:\n");
    for (std::size_t m = 3; m < outcomes.size(); ++m) {
        const double gain = WholeGainOnTuning(outcomes[m], items, excerpts);
        std::printf("  %-26s %6.2f dB\n", outcomes[m].name.c_str(), gain);
        if (gain > WholeGainOnTuning(outcomes[best], items, excerpts)) best = m;
    }
    outcomes[3].name = "adeclick default";
    outcomes[best].name =
        best == 3 ? "adeclick default (= best)" : "adeclick best " + outcomes[best].name.substr(9);

    std::printf("\n%-26s %-9s %-8s %8s %8s %8s %6s %9s %9s\n", "method", "half", "rows", "whole dB",
                "spans dB", "recall", "clicks", "harm min", "harm mean");
    std::vector<std::size_t> shown = {0, 1, 2, 3};
    if (best != 3) shown.push_back(best);
    for (const char* half : {"tuning", "held out", "all"}) {
        const std::string h = half;
        for (std::size_t m : shown) {
            PrintRows(outcomes[m], items, excerpts, half, [h](const Excerpt& e) {
                return h == "all" || e.heldOut == (h == "held out");
            });
        }
        std::printf("\n");
    }

    // Times, repeated: the machine is shared, so best and median of `runs`.
    std::printf(
        "times over the %.0f s stream (%d runs; adeclick net of an ffmpeg run with "
        "anull, which reads and writes the same files):\n",
        streamSeconds, runs);
    auto timeIt = [&](std::function<void()> run) {
        std::vector<double> t;
        for (int r = 0; r < runs; ++r) {
            const auto start = std::chrono::steady_clock::now();
            run();
            t.push_back(Seconds(start));
        }
        return t;
    };
    const std::vector<double> anull = timeIt([&] { RunFfmpeg(work, "anull", stream.size(), out); });
    const double overhead = bench::Best(anull);
    std::vector<std::pair<std::string, std::vector<double>>> times;
    times.push_back({"velvane medium", timeIt([&] { methods[1].run(out); })});
    times.push_back({"velvane medium, 1 thread",
                     timeIt([&] { RunVelvane(repair::RepairStrength::Medium, 1, stream, out); })});
    times.push_back({"adeclick default", timeIt([&] { methods[3].run(out); })});
    if (best != 3) times.push_back({outcomes[best].name, timeIt([&] { methods[best].run(out); })});
    for (auto& [name, t] : times) {
        if (name.rfind("adeclick", 0) == 0) {
            for (double& v : t) v = std::max(1e-3, v - overhead);
        }
    }
    std::printf("%-40s %8s %8s %10s %10s\n", "method", "best s", "median s", "x realtime",
                "vs medium");
    for (const auto& [name, t] : times) {
        std::printf("%-40s %8.3f %8.3f %10.1f %10.2f\n", name.c_str(), bench::Best(t),
                    bench::Median(t), streamSeconds / bench::Best(t),
                    bench::Best(t) / bench::Best(times[0].second));
    }
    std::printf(
        "(ffmpeg anull overhead subtracted: best %.3f s, median %.3f s; load average %.2f)\n",
        overhead, bench::Median(anull), bench::LoadAverage());
    return 0;
}
