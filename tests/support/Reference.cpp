#include "tests/support/Reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace ref {

namespace {

std::int16_t Clamp16(double v) {
    v = std::trunc(v);
    if (v > 32767) return 32767;
    if (v < -32768) return -32768;
    return static_cast<std::int16_t>(v);
}

std::int16_t Channel(const Filter& f, float* h, std::int16_t s, float level) {
    float x = static_cast<float>(s) / 32768.0f;
    if (level > 0) x = x / 2.5f;
    h[5] = h[4];
    h[4] = h[3];
    h[2] = h[1];
    h[1] = h[0];
    h[0] = x;
    float y = (f.b0 / f.a0) * h[0];
    y = y + (f.b1 / f.a0) * h[1];
    y = y + (f.b2 / f.a0) * h[2];
    y = y - (f.a1 / f.a0) * h[4];
    y = y - (f.a2 / f.a0) * h[5];
    h[3] = y;
    const float out = y * 32767.0f;
    return Clamp16(out);
}

}  // namespace

void Tune(Filter& f, float level) {
    float e = level * 4.0f;
    e = e / 40.0f;
    const float a = static_cast<float>(std::pow(10.0, static_cast<double>(e)));
    const double w0 = static_cast<double>(2.1371378898620605f);
    const float cs = static_cast<float>(std::cos(w0));
    const float sn = static_cast<float>(std::sin(w0));
    const float alpha = sn / 6.0f;
    f.b0 = 1.0f + alpha * a;
    f.b1 = -2.0f * cs;
    f.b2 = 1.0f - alpha * a;
    f.a0 = 1.0f + alpha / a;
    f.a1 = -2.0f * cs;
    f.a2 = 1.0f - alpha / a;
    for (int i = 0; i < 6; ++i) f.hl[i] = f.hr[i] = 0;
}

Frame Process(Filter& f, Frame in, float level) {
    Frame out;
    out.left = Channel(f, f.hl, in.left, level);
    out.right = Channel(f, f.hr, in.right, level);
    return out;
}

}  // namespace ref

namespace ref {

namespace {

bool Quiet(const std::vector<float>& levels, long p, long d, float t) {
    const long k = static_cast<long>(levels.size());
    if (p + d > k) return false;
    for (long q = p; q < p + d; ++q)
        if (std::fabs(levels[q]) > t) return false;
    return true;
}

int Score(int n) {
    const int scores[] = {0, 1, 2, 0, 5, 5, 5, 4};
    return n < 8 ? scores[n] : 3;
}

}  // namespace

Analysis Analyze(const std::vector<Frame>& frames, std::int32_t silenceSeconds, Filter& f,
                 float level) {
    Analysis a;
    float blockPeak = 0;
    for (std::size_t i = 0; i < frames.size() && a.levels.size() < 65535; ++i) {
        const Frame out = Process(f, frames[i], level);
        const int big =
            std::max(std::abs(static_cast<int>(out.left)), std::abs(static_cast<int>(out.right)));
        if (i % 441 == 0) a.finePeaks.push_back(0);
        a.finePeaks.back() = static_cast<std::uint16_t>(std::max<int>(a.finePeaks.back(), big));
        float m = static_cast<float>(big) / 32768.0f;
        if (m > 0.99) m = 0.99f;
        if (m > blockPeak) blockPeak = m;
        if (i % 4410 == 0) {
            a.levels.push_back(blockPeak);
            if (blockPeak > a.peak) a.peak = blockPeak;
            blockPeak = 0;
        }
    }
    const long k = static_cast<long>(a.levels.size());
    const long total = static_cast<long>(frames.size() / 4410);
    const long d = 10L * silenceSeconds;

    std::int32_t lists[4][10] = {};
    float t = 0.01f;
    for (int pass = 0; pass < 4; ++pass) {
        long p = 0;
        while (p < k && Quiet(a.levels, p, d, t)) ++p;
        p += d;
        int found = 0;
        while (p < k) {
            if (p + d > k) break;
            if (Quiet(a.levels, p, d, t)) {
                if (found < 10) lists[pass][found++] = p + 10 < total ? p + 10 : p;
                p += 100;
            }
            p += 1;
        }
        t = t + 0.05f;
    }

    int best = -1, bestScore = -1;
    for (auto& c : lists) {
        for (int j = 0; j < 9; ++j) {
            if (c[j + 1] - c[j] > 3600 && d > 0) {
                long key = c[j];
                while (key - c[j] <= 1200) key += d;
                if (key < c[j + 1]) {
                    for (int q = 9; q > j + 1; --q) c[q] = c[q - 1];
                    c[j + 1] = static_cast<std::int32_t>(key);
                }
            }
        }
        for (auto& e : c)
            if (e + 40 > total) e = 0;
        if (c[0] < 30) {
            for (int q = 0; q < 9; ++q) c[q] = c[q + 1];
            c[9] = 0;
        }
        int n = 0;
        for (auto e : c) n += e != 0;
        const int score = Score(n);
        if (score > bestScore) {
            bestScore = score;
            best = static_cast<int>(&c - lists);
        }
    }
    std::uint32_t prev = 0;
    int kept = 0;
    for (std::int32_t e : lists[best]) {
        if (e != 0 && static_cast<std::uint32_t>(e) - prev >= 200) a.cuts[kept++] = e;
        prev = static_cast<std::uint32_t>(e);
    }
    return a;
}

std::vector<std::vector<Frame>> Slices(const std::vector<Frame>& frames,
                                       const std::vector<std::uint64_t>& positions,
                                       const SliceSettings& settings, Filter& f) {
    std::vector<std::uint64_t> ends = positions;
    ends.push_back(frames.size());
    std::vector<std::vector<Frame>> slices;
    std::uint64_t pos = 0;
    const float length = static_cast<float>(settings.fadeFrames);
    for (std::uint64_t end : ends) {
        std::vector<Frame> slice;
        std::uint32_t fade = 0;
        while (pos < end) {
            Frame s = frames[pos];
            if (settings.level > 0) s = Process(f, s, settings.level);
            if (settings.normalize && settings.peak != 0) {
                const float g = 1.0f / settings.peak;
                for (std::int16_t* v : {&s.left, &s.right}) {
                    const float x = static_cast<float>(*v) / 32768.0f;
                    *v = Clamp16(32767.0f * (x * g));
                }
            }
            float factor = -1;
            if (fade < settings.fadeFrames) {
                factor = static_cast<float>(fade) / length;
                ++fade;
            } else if (pos + settings.fadeFrames >= end && settings.fadeFrames > 0) {
                factor = static_cast<float>(end - pos) / length;
                ++fade;
            }
            if (factor >= 0) {
                s.left = Clamp16(static_cast<float>(s.left) * factor);
                s.right = Clamp16(static_cast<float>(s.right) * factor);
            }
            slice.push_back(s);
            ++pos;
        }
        slices.push_back(std::move(slice));
    }
    return slices;
}

}  // namespace ref

namespace ref {

std::vector<Frame> MakeSide(const std::vector<Stretch>& stretches, std::uint32_t seed) {
    std::vector<Frame> side;
    for (const Stretch& s : stretches) {
        const auto count = static_cast<std::size_t>(s.seconds * 44100);
        const std::vector<Frame> part = NoiseFrames(count, s.amplitude, seed++);
        side.insert(side.end(), part.begin(), part.end());
    }
    return side;
}

std::optional<std::vector<Frame>> ReadSlice(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    auto le32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
        return v;
    };
    if (bytes.size() < 44 || bytes.compare(36, 4, "data") != 0 || le32(40) != bytes.size() - 44 ||
        le32(4) != bytes.size() - 8) {
        ADD_FAILURE() << path << ": header does not match the file (" << bytes.size() << " bytes)";
        return std::nullopt;
    }
    return ReadWavFrames(path);
}

}  // namespace ref
