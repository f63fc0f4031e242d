#include "bench/SideGenerator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "bench/SplitMix.h"
#include "platform/File.h"
#include "sidefile/WaveFile.h"

namespace sidegen {

// Outside the anonymous namespace because SideSynth::State, declared in the header, holds one.
class Random : public SplitMix64 {
  public:
    using SplitMix64::SplitMix64;
    double Signed() { return 2.0 * Unit() - 1.0; }  ///< [-1, 1)
};

namespace {

constexpr double kPi = 3.14159265358979323846;

// One sine period, read with a 32-bit phase accumulator and linear interpolation.
class SineTable {
  public:
    static constexpr int kBits = 12;
    SineTable() {
        for (int i = 0; i <= kSize; ++i) table_[i] = std::sin(2 * kPi * i / kSize);
    }
    double At(std::uint32_t phase) const {
        const std::uint32_t index = phase >> (32 - kBits);
        const double frac =
            static_cast<double>(phase & ((1u << (32 - kBits)) - 1)) * (1.0 / (1u << (32 - kBits)));
        return table_[index] + (table_[index + 1] - table_[index]) * frac;
    }
    static std::uint32_t Increment(double hertz) {
        return static_cast<std::uint32_t>(hertz / kRate * 4294967296.0);
    }

  private:
    static constexpr int kSize = 1 << kBits;
    std::array<double, kSize + 1> table_;
};

const SineTable& Sine() {
    static const SineTable table;
    return table;
}

constexpr int kHarmonics = 4;
constexpr int kScale[] = {0, 2, 4, 5, 7, 9, 11, 12};  // a major scale, in semitones

}  // namespace

SideLayout PlanSide(const SideRecipe& recipe) {
    SideLayout layout;
    const int songs = std::max(recipe.songs, 1);
    const auto frames = [](double seconds) {
        return static_cast<std::uint64_t>(std::llround(std::max(seconds, 0.0) * kRate));
    };
    const std::uint64_t total = frames(recipe.minutes * 60);
    const std::uint64_t fixed = frames(recipe.leadInSeconds) + frames(recipe.runOutSeconds) +
                                static_cast<std::uint64_t>(songs - 1) * frames(recipe.gapSeconds);
    if (total <= fixed + static_cast<std::uint64_t>(songs) * kRate) return layout;
    const std::uint64_t music = total - fixed;

    Random random(recipe.seed * 0x100000001B3ull + 17);
    std::vector<double> weights(static_cast<std::size_t>(songs));
    double sum = 0;
    for (double& w : weights) sum += (w = 0.8 + 0.4 * random.Unit());

    layout.frames = total;
    std::uint64_t at = frames(recipe.leadInSeconds);
    double done = 0;
    for (int i = 0; i < songs; ++i) {
        const std::uint64_t start = at;
        done += weights[static_cast<std::size_t>(i)];
        const std::uint64_t end = frames(recipe.leadInSeconds) +
                                  static_cast<std::uint64_t>(i) * frames(recipe.gapSeconds) +
                                  static_cast<std::uint64_t>(std::llround(music * done / sum));
        layout.songs.push_back({start, end});
        at = end + frames(recipe.gapSeconds);
    }
    return layout;
}

struct SideSynth::State {
    SideRecipe recipe;
    SideLayout layout;
    std::uint64_t pos = 0;
    Random noise;
    double hissLeft = 0, hissRight = 0;
    double click = 0;  // current click value, decaying with alternating sign

    // The song being played (index into layout.songs; size() when none is left).
    std::size_t song = 0;
    Random songRandom{0};
    double songAmp = 0;
    double baseHertz = 0;
    std::uint32_t dronePhase = 0, droneInc = 0;
    std::array<std::uint32_t, kHarmonics> phase{}, inc{};
    std::array<double, kHarmonics> harmonicAmp{};
    double harmonicSum = 1;
    std::uint64_t noteEnd = 0;
    double noteEnv = 0, noteDecay = 1, sustain = 0.5, pan = 0.5;

    State(const SideRecipe& s, const SideLayout& l) : recipe(s), layout(l), noise(s.seed) {}

    void StartSong() {
        songRandom = Random(recipe.seed * 1000003ull + song * 7919ull + 1);
        songAmp = 0.35 + 0.25 * songRandom.Unit();
        baseHertz = 110.0 * std::pow(2.0, static_cast<int>(songRandom.Unit() * 24) / 12.0);
        droneInc = SineTable::Increment(baseHertz / 2);
        for (int h = 0; h < kHarmonics; ++h)
            harmonicAmp[h] = (0.6 + 0.4 * songRandom.Unit()) / (h + 1);
        harmonicSum = 0;
        for (double a : harmonicAmp) harmonicSum += a;
        noteEnd = layout.songs[song].startFrame;
    }

    void StartNote() {
        const int degree = kScale[songRandom.Bits() % std::size(kScale)];
        const double octave = songRandom.Unit() < 0.3 ? 2.0 : 1.0;
        const double hertz = baseHertz * octave * std::pow(2.0, degree / 12.0);
        for (int h = 0; h < kHarmonics; ++h) inc[h] = SineTable::Increment(hertz * (h + 1));
        const double seconds = 0.2 + 0.3 * songRandom.Unit();
        noteEnd = pos + static_cast<std::uint64_t>(seconds * kRate);
        noteEnv = 1.0;
        noteDecay = std::exp(-1.0 / (0.25 * kRate));
        sustain = 0.5 + 0.2 * songRandom.Unit();
        pan = 0.3 + 0.4 * songRandom.Unit();
    }

    // The song's sample at pos (mono) and its pan; 0 outside songs.
    double Music(double& panOut) {
        while (song < layout.songs.size() && pos >= layout.songs[song].endFrame) {
            ++song;
            if (song < layout.songs.size()) StartSong();
        }
        if (song >= layout.songs.size() || pos < layout.songs[song].startFrame) return 0;
        const Song& s = layout.songs[song];
        if (pos >= noteEnd) StartNote();
        const SineTable& sine = Sine();
        double tone = 0;
        for (int h = 0; h < kHarmonics; ++h) {
            tone += harmonicAmp[h] * sine.At(phase[h]);
            phase[h] += inc[h];
        }
        const double drone = sine.At(dronePhase);
        dronePhase += droneInc;
        const double env = sustain + (1 - sustain) * noteEnv;
        noteEnv *= noteDecay;
        // Short fades at the song's edges, as a mastered track has.
        const double fadeIn = std::min(1.0, static_cast<double>(pos - s.startFrame) / 882.0);
        const double fadeOut = std::min(1.0, static_cast<double>(s.endFrame - pos) / 2205.0);
        panOut = pan;
        return songAmp * fadeIn * fadeOut *
               (0.65 * env * tone / harmonicSum + 0.35 * drone + 0.02 * noise.Signed());
    }
};

SideSynth::SideSynth(const SideRecipe& recipe, const SideLayout& layout)
    : state_(std::make_unique<State>(recipe, layout)) {
    if (!state_->layout.songs.empty()) state_->StartSong();
}

SideSynth::~SideSynth() = default;

void SideSynth::Next(std::int16_t* out, std::size_t frames) {
    State& s = *state_;
    const double clickChance = s.recipe.clicksPerSecond / kRate;
    for (std::size_t i = 0; i < frames; ++i, ++s.pos) {
        if (s.pos >= s.layout.frames) {
            out[2 * i] = out[2 * i + 1] = 0;
            continue;
        }
        // Hiss: gently low-passed white noise, its peak bounded by hissLevel.
        s.hissLeft = 0.6 * s.hissLeft + 0.4 * s.noise.Signed();
        s.hissRight = 0.6 * s.hissRight + 0.4 * s.noise.Signed();
        // Crackle: sparse clicks that ring for a few samples.
        if (s.noise.Unit() < clickChance)
            s.click = s.recipe.crackleLevel * (0.3 + 0.7 * s.noise.Unit()) *
                      (s.noise.Unit() < 0.5 ? -1 : 1);
        else
            s.click *= -0.7;
        double pan = 0.5;
        const double music = s.Music(pan);
        const double left = s.recipe.hissLevel * s.hissLeft + s.click + music * (1.5 - pan);
        const double right = s.recipe.hissLevel * s.hissRight + 0.8 * s.click + music * (0.5 + pan);
        const auto toSample = [](double x) {
            return static_cast<std::int16_t>(std::clamp(x * 32767.0, -32768.0, 32767.0));
        };
        out[2 * i] = toSample(left);
        out[2 * i + 1] = toSample(right);
    }
}

bool WriteSideFile(const std::string& path, const SideRecipe& recipe, SideLayout* layoutOut) {
    const SideLayout layout = PlanSide(recipe);
    if (layoutOut) *layoutOut = layout;
    if (layout.frames == 0 || layout.frames * kBytesPerFrame > 0xFFFFFFFFull - 1024) return false;
    const auto dataBytes = static_cast<std::uint32_t>(layout.frames * kBytesPerFrame);

    platform::FilePtr file = platform::OpenFile(path, "wb");
    if (!file) return false;
    bool ok = true;
    if (!recipe.listChunk) {
        ok = WaveFile().WriteHeader(file.get(), dataBytes);
    } else {
        const auto le32 = [](std::string& s, std::uint32_t v) {
            for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        std::string info = "INFOISFT";
        const std::string software("velvane-gen-side\0", 17);
        le32(info, static_cast<std::uint32_t>(software.size()));
        info += software + '\0';  // odd sub-chunk: pad byte
        std::string head = "RIFF";
        le32(head, 4 + 24 + 8 + static_cast<std::uint32_t>(info.size()) + 8 + dataBytes);
        head += "WAVEfmt ";
        le32(head, 16);
        head += std::string("\x01\x00\x02\x00", 4);
        le32(head, kRate);
        le32(head, kRate * kBytesPerFrame);
        head += std::string("\x04\x00\x10\x00", 4);
        head += "LIST";
        le32(head, static_cast<std::uint32_t>(info.size()));
        head += info + "data";
        le32(head, dataBytes);
        ok = std::fwrite(head.data(), 1, head.size(), file.get()) == head.size();
    }

    SideSynth synth(recipe, layout);
    constexpr std::size_t kChunkFrames = 1 << 18;  // 1 MB of samples
    std::vector<std::int16_t> samples(2 * kChunkFrames);
    std::vector<std::uint8_t> bytes(4 * kChunkFrames);
    for (std::uint64_t done = 0; ok && done < layout.frames;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkFrames, layout.frames - done));
        synth.Next(samples.data(), n);
        for (std::size_t i = 0; i < 2 * n; ++i) {
            const auto v = static_cast<std::uint16_t>(samples[i]);
            bytes[2 * i] = static_cast<std::uint8_t>(v);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        ok = std::fwrite(bytes.data(), 1, 4 * n, file.get()) == 4 * n;
        done += n;
    }
    if (!platform::CloseFile(file) || !ok) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace sidegen
