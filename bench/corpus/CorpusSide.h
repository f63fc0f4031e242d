#pragma once
// One side of the corpus: its plan (which music, where, how it fades, what the transfer
// adds), the side file rendered from the plan, and the ground truth written beside it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/corpus/MusicSources.h"
#include "bench/corpus/RecordNoise.h"

namespace corpus {

/// A soft stretch inside a song: the music drops by depthDb for `frames` frames.
struct QuietPassage {
    std::uint64_t offset = 0;  ///< from the song's start
    std::uint64_t frames = 0;
    double depthDb = 25;
};

enum class Ending { Fade, Decay, Abrupt };

struct SongPlan {
    Stretch source;                 ///< the stretch the excerpt comes from (and loops in)
    std::uint64_t sourceBegin = 0;  ///< first frame of the excerpt in its track
    std::uint64_t frames = 0;
    double gainDb = 0;
    std::uint64_t fadeInFrames = 0;
    Ending ending = Ending::Fade;
    std::uint64_t endingFrames = 0;  ///< fade length; for Decay, the time constant
    std::optional<QuietPassage> quiet;
};

struct SidePlan {
    std::string name;
    NoisePlan noise;
    double sideGainDb = 0;      ///< the whole transfer's level (-12: recorded too low)
    double preDropSeconds = 0;  ///< before the needle lands or the tape runs
    double leadInSeconds = 4;   ///< from then to the first song
    std::vector<SongPlan> songs;
    std::vector<double> gapSeconds;  ///< one fewer than songs
    double runOutSeconds = 10;       ///< after the last song, until the needle lifts
    double afterLiftSeconds = 1;
};

/// Where everything lies on the side, in frames.
struct SideLayout {
    std::uint64_t frames = 0;
    std::vector<std::uint64_t> songStart, songEnd;  ///< [start, end) of each song's music
    NoiseTimeline timeline;
};

SideLayout LayOut(const SidePlan& plan);

/// Renders the side as a canonical 44.1 kHz 16-bit stereo WAV file. False on a write error.
bool RenderSide(const SidePlan& plan, const MusicSources& sources, const std::string& path,
                std::uint64_t seed);

/// The ground truth beside the side: "frames N", then "song START END" per song (frames,
/// END one past the last frame of music); the gaps are what lies between songs. Comment
/// lines (#) say how the side was made. False on a write error.
bool WriteTruth(const SidePlan& plan, const MusicSources& sources, const std::string& path);

/// What a corpus side looks like, varied by `index` and the random source: the medium,
/// how crackled, how long, how many songs (1 to 11), a segue of 0.7 s, a level 12 dB too
/// low, quiet passages, and the rest drawn at random.
struct SideProfile {
    Medium medium = Medium::Vinyl;
    double clicksPerSecond = 1;
    int songs = 6;
    bool segue = false;
    bool low = false;
};

SidePlan PlanSide(const std::string& name, const SideProfile& profile, const MusicSources& sources,
                  Random& random);

}  // namespace corpus
