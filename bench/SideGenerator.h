#pragma once
// Deterministic test sides: songs (a few notes with harmonics, a drone, envelopes and a
// little noise) separated by gaps of low-level hiss with crackle, after a lead-in and
// before a run-out, as a digitised record side sounds. The same recipe gives the same bytes
// on every run. Used by velvane-gen-side, the benchmarks and the end-to-end tests.
// No shared state: any thread may generate its own side.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sidegen {

constexpr std::uint32_t kRate = 44100;

struct SideRecipe {
    double minutes = 25;          ///< whole side, lead-in and run-out included
    int songs = 8;                ///< at least 1
    std::uint32_t seed = 1;       ///< the same seed gives the same side
    double leadInSeconds = 3;     ///< hiss and crackle before the first song
    double runOutSeconds = 6;     ///< after the last song
    double gapSeconds = 4;        ///< between songs
    double hissLevel = 0.0025;    ///< peak of the hiss, fraction of full scale
    double crackleLevel = 0.045;  ///< largest click, fraction of full scale (below 0.06)
    double clicksPerSecond = 4;
    bool listChunk = false;  ///< put a LIST/INFO chunk between "fmt " and "data"
};

struct Song {
    std::uint64_t startFrame = 0;  ///< first frame of music
    std::uint64_t endFrame = 0;    ///< one past the last frame of music
};

struct SideLayout {
    std::uint64_t frames = 0;
    std::vector<Song> songs;
};

/// Where the songs lie. Song lengths vary by up to +-20 % around the mean (seeded), the
/// gaps, lead-in and run-out are as given. Empty (frames 0) when the recipe leaves no room
/// for the songs.
SideLayout PlanSide(const SideRecipe& recipe);

/// Produces the side's frames in order, a block at a time, without holding the side.
class SideSynth {
  public:
    SideSynth(const SideRecipe& recipe, const SideLayout& layout);
    ~SideSynth();
    SideSynth(const SideSynth&) = delete;
    SideSynth& operator=(const SideSynth&) = delete;

    /// Writes the next `frames` frames as interleaved left/right samples into `out`
    /// (2 * frames values). Past the end of the side it writes silence.
    void Next(std::int16_t* out, std::size_t frames);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

/// The side as a WAV file: the canonical 44-byte header, or with `recipe.listChunk` a LIST
/// chunk before the data. Writes through a 1 MB buffer. False when the file cannot be
/// written (a partly written file is removed). `layout` receives the plan when not null.
bool WriteSideFile(const std::string& path, const SideRecipe& recipe, SideLayout* layout = nullptr);

}  // namespace sidegen
