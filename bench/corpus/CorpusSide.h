#pragma once
// One side of the corpus: its plan (which music, where, how it fades, what the transfer
// adds), the side file rendered from the plan, and the ground truth written beside it.

#include <cstdint>
#include <string>
#include <vector>

#include "bench/corpus/Conditions.h"
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
    std::uint64_t frames = 0;       ///< of music
    double gainDb = 0;
    std::uint64_t fadeInFrames = 0;
    Ending ending = Ending::Fade;
    std::uint64_t endingFrames = 0;  ///< fade length; for Decay, the time constant
    std::vector<QuietPassage> quiet;
    /// Live sides: applause after the music, part of the song (it starts a second before the
    /// music ends), at applauseDb below the song, dying away over its last applauseDiesFrames.
    std::uint64_t applauseFrames = 0;
    double applauseDb = -20;
    std::uint64_t applauseDiesFrames = 0;
    bool applauseRunsOn = false;  ///< the next song starts into it: no gap between them
};

struct SidePlan {
    std::string name;
    Condition condition = Condition::CleanVinyl;
    NoisePlan noise;
    double sideGainDb = 0;      ///< the whole transfer's level (-30: recorded far too low)
    double preDropSeconds = 0;  ///< before the needle lands or the tape runs
    double leadInSeconds = 4;   ///< from then to the first song
    std::vector<SongPlan> songs;
    std::vector<double> gapSeconds;  ///< one fewer than songs
    double runOutSeconds = 10;       ///< after the last song, until the needle lifts
    double afterLiftSeconds = 1;
    bool zeroOutsideSongs = false;  ///< digital silence wherever no song plays
    double gateHoldSeconds = 0;     ///< how long after a song the zero starts
    bool outOfPhase = false;        ///< right = -left
    bool deadChannel = false;       ///< right silent
    double wowPercent = 0;          ///< peak speed deviation
    double dropoutsPerMinute = 0;   ///< inside songs
};

/// Where everything lies on the side, in frames.
struct SideLayout {
    std::uint64_t frames = 0;
    std::vector<std::uint64_t> songStart, songEnd;  ///< [start, end) of each song, applause in
    NoiseTimeline timeline;
};

SideLayout LayOut(const SidePlan& plan);

/// Renders the side as a canonical 44.1 kHz 16-bit stereo WAV file. False on a write error.
bool RenderSide(const SidePlan& plan, const MusicSources& sources, const std::string& path,
                std::uint64_t seed);

/// The ground truth beside the side: "condition NAME tuning|held-out", "frames N", then
/// "song START END" per song (frames, END one past the last frame of music; songs that run
/// into each other through applause are one); the gaps are what lies between songs, the
/// music from the first song's start to the last one's end. Comment lines (#) say how the
/// side was made. False on a write error.
bool WriteTruth(const SidePlan& plan, const MusicSources& sources, const std::string& path);

/// A side made under `condition`: the medium, the noise, the songs (3 to 8) and their
/// shapes drawn at random within what the condition asks.
SidePlan PlanSide(const std::string& name, Condition condition, const MusicSources& sources,
                  Random& random);

}  // namespace corpus
