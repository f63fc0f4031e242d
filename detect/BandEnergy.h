#pragma once
// What Smart Sense measures of a side, in one streaming pass over its samples: for every
// 0.1 s block (4410 frames), the loudness a listener hears with the clicks taken out.
//
// Per frame, left + right. Three frames summed into one value (14700 per second), which
// leaves out most of the top octave where hiss lives (10 dB down at 11 kHz, more above);
// from that, the value minus the mean of the 75 around it (5 ms), which leaves out rumble,
// warp and most hum (about 35 dB down at 20 Hz; the band is roughly 90 Hz to 8 kHz). The
// square of the result summed over 35 values gives one energy per 2.4 ms; the block's
// energy is the lower median of its 42. A click or a pop fills a few of those 2.4 ms
// pieces (a loud one about three, with what the 5 ms mean spreads around it), so even at
// sixty clicks a second they fill fewer than half and do not move the median, while music
// and noise fill them all.
//
// Integer arithmetic up to each block's median: no rounding that depends on the order.

#include <cstdint>
#include <vector>

class BandEnergy {
  public:
    /// Takes the next `frames` interleaved stereo frames (left, right, ...), from the side's
    /// first frame on, in order (what lies before the first counts as silence). Any one
    /// thread at a time.
    void Feed(const std::int16_t* samples, std::size_t frames);

    /// Energies of the complete blocks so far: mean squares of the band-limited mid signal
    /// (left + right) / 2 at full scale 1, about 0.46 for a full-scale 1 kHz sine.
    const std::vector<float>& Blocks() const { return blocks_; }

  private:
    static constexpr int kDecimation = 3;
    static constexpr int kMeanLength = 75;
    static constexpr int kPieceValues = 35;  // 2.4 ms
    static constexpr int kPiecesPerBlock = 42;
    static constexpr int kMedianPiece = 20;  // of 42 in order, from 0: the lower median

    void Value(std::int32_t value);

    std::int32_t partSum_ = 0;                  // of the frames of the group of three under way
    int groupFrames_ = 0;                       // frames in it
    static constexpr unsigned kRingMask = 127;  // the ring holds the last 128 values
    std::int32_t ring_[kRingMask + 1] = {};
    unsigned ringAt_ = 0;
    std::int64_t ringSum_ = 0;  // of the last kMeanLength values
    std::int64_t piece_ = 0;    // energy of the 2.4 ms piece under way
    int pieceValues_ = 0;
    std::int64_t pieces_[kPiecesPerBlock] = {};
    int pieceCount_ = 0;
    std::vector<float> blocks_;
};
