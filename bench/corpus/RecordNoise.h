#pragma once
// What a transfer adds to the music: the noise of the groove or the tape and the sounds of
// the turntable, frame by frame. Vinyl: surface noise that swells with each turn, rumble
// and warp far below the music's band, crackle from a few clicks a minute to dozens a
// second, pops, the thump of the needle landing and lifting, and the click that the locked
// run-out groove repeats every turn. Cassette: hiss weighted toward the treble, the click of
// the record key or of the leader's splice. Both: mains hum, the converter's own faint noise.

#include <cstdint>
#include <vector>

#include "bench/corpus/Random.h"

namespace corpus {

enum class Medium { Vinyl, Cassette };

struct NoisePlan {
    Medium medium = Medium::Vinyl;
    double floorDb = -55;           ///< RMS of surface noise or hiss per channel, dBFS
    double floorDriftDb = 0;        ///< vinyl: the floor rises by this toward the inner grooves
    double surfaceCutoffHz = 3000;  ///< vinyl: the surface noise's one-pole low-pass
    double rumbleDb = -40;          ///< vinyl: RMS of the rumble (below 30 Hz)
    double warpDb = -34;            ///< vinyl: peak of the 0.55 Hz warp
    double humDb = -200;            ///< mains hum and its harmonics, peak
    double humHz = 50;              ///< the mains: 50 or 60 Hz
    double converterDb = -90;       ///< the sound card's own noise, RMS per channel
    double clicksPerSecond = 1;     ///< vinyl crackle
    double clickLoudestDb = -14;    ///< the loudest click's peak; the softest are 36 dB lower
    double popsPerMinute = 2;       ///< vinyl: big low clicks
    double popLongestMs = 4;        ///< their longest decay
    double runOutClickDb = -14;     ///< vinyl: peak of the locked groove's click
};

/// Frame positions on the side where the groove or tape sounds change.
struct NoiseTimeline {
    std::uint64_t dropFrame = 0;    ///< needle lands / record key pressed
    std::uint64_t runOutFrame = 0;  ///< the locked groove's click starts
    std::uint64_t liftFrame = 0;    ///< needle lifts / recording stopped
};

class RecordNoise {
  public:
    RecordNoise(const NoisePlan& plan, const NoiseTimeline& timeline, std::uint64_t seed);
    /// Adds the noise of side frames [frame, frame + n) to `out` (interleaved left/right,
    /// full scale 1). Call with consecutive ranges.
    void Add(std::uint64_t frame, std::size_t n, double* out);

  private:
    struct Click {
        std::uint64_t start;
        double amplitude;  // peak, signed
        double left, right;
        double decayFrames;
        double radiansPerFrame;
        std::uint32_t length;
    };
    void StartClick(std::uint64_t at, double amplitude, double decayMs, double hertz,
                    bool oneSided);
    double Noise();  // approximately normal, unit variance

    NoisePlan plan_;
    NoiseTimeline t_;
    Random random_;
    double floorGain_, surfaceGain_, rumbleGain_, warp_, hum_, converter_;
    double lowA_;                 // surface noise pole
    double surface_[2] = {};      // its state per channel
    double rumble_[2][2] = {};    // two poles per channel
    double hissState_[2] = {};    // cassette: last white sample, for the treble tilt
    double nextClick_, nextPop_;  // side frames of the next events
    std::uint64_t nextRunOut_;
    std::vector<Click> clicks_;
};

}  // namespace corpus
