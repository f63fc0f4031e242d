#pragma once
// Small synthetic sides for the Smart Sense tests, seconds long: songs of a few notes, and
// between and under them what transfers leave (surface noise with crackle and pops, tape
// hiss, the sound card's near-silence before the needle drops and after it lifts, digital
// silence), wired as
// transfers are (in phase, one channel reversed, one dead). Where each gap lies is known
// from how the side is built. Detector calls go through Sense() alone.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "tests/support/TestWav.h"

enum class Noise { Groove, Hiss };
enum class Wiring { InPhase, RightReversed, RightDead };

// How a side sounds between and under its songs.
struct Transfer {
    Noise noise = Noise::Groove;
    double floorDb = -55;         // RMS of the noise, dBFS
    double clicksPerSecond = 0;   // crackle
    double gainDb = 0;            // the whole side (a transfer recorded too low)
    double loudestClickDb = -6;   // the crackle's loudest click's peak
    double popsPerSecond = 0;     // 5 ms pops, up to -10 dBFS
    double preNeedleSeconds = 0;  // the sound card's near-silence (25 dB below) before the noise
    double afterLiftSeconds = 0;  // and after it
    bool silentGaps = false;      // digital zero between and around songs
    Wiring wiring = Wiring::InPhase;
};

// What plays: a song (music for `seconds`, its last `fade` seconds fading out, an optional
// soft stretch inside at `softDb` down) or a gap.
struct Part {
    bool song;
    double seconds;
    double fade = 0;
    double softFrom = -1, softSeconds = 0, softDb = 0;  // inside the song
};

struct MadeSide {
    std::vector<Frame> frames;
    std::vector<std::pair<double, double>> gaps;  // seconds, lead-in and run-out included
    double musicStart = 0, musicEnd = 0;          // seconds
};

MadeSide MakeSide(const std::vector<Part>& parts, const Transfer& t);

/// Seconds: the middle of a gap.
double Middle(const std::pair<double, double>& gap);

struct Sensed {
    std::vector<std::int32_t> cuts;
    std::int32_t musicStart = 0, musicEnd = 0;
    std::string message;
};

/// Smart Sense on the side's frames, measured as a whole; the shortest song 3 s unless set.
Sensed Sense(const MadeSide& side, std::optional<int> songs = std::nullopt,
             double minSongSeconds = 3);
