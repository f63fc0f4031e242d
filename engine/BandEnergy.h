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
// Integer arithmetic throughout: a block's energy depends only on its own frames and the
// 225 before it, so a pass that starts a block or more earlier gives the same values to
// the bit, however the side is shared between threads.

#include <cstdint>
#include <vector>

class BandEnergy {
  public:
    /// Frames of history a block's energy depends on, before its first frame.
    static constexpr std::uint32_t kHistoryFrames = 225;  // 75 values of three frames

    /// Measures from side frame `firstFrame` on (the frames before count as silence).
    explicit BandEnergy(std::uint64_t firstFrame = 0);

    /// Takes the next `frames` interleaved stereo frames (left, right, ...). Call with the
    /// side's frames in order. Any one thread at a time.
    void Feed(const std::int16_t* samples, std::size_t frames);

    /// The first block measured: the block of firstFrame, rounded up.
    std::uint64_t FirstBlock() const { return firstBlock_; }
    /// Energies of the complete blocks from FirstBlock() on, as a fraction of a full-scale
    /// square wave's (0 dB). Blocks that start fewer than kHistoryFrames frames after
    /// firstFrame (other than block 0) are not exact.
    const std::vector<float>& Blocks() const { return blocks_; }

  private:
    static constexpr int kDecimation = 3;
    static constexpr int kMeanLength = 75;
    static constexpr int kPieceValues = 35;  // 2.4 ms
    static constexpr int kPiecesPerBlock = 42;
    static constexpr int kMedianPiece = 20;  // of 42 in order, from 0: the lower median

    void Value(std::int32_t value);

    std::uint64_t frame_;  // side frame of the next frame fed
    std::uint64_t firstBlock_;
    std::uint32_t skip_ = 0;    // frames to pass before the first whole group of five
    std::int32_t partSum_ = 0;  // of the frames of the group under way
    int groupFrames_ = 0;       // frames in it
    static constexpr unsigned kRingMask = 127;  // the ring holds the last 128 values
    std::int32_t ring_[kRingMask + 1] = {};
    unsigned ringAt_ = 0;
    std::int64_t ringSum_ = 0;  // of the last kMeanLength values
    std::int64_t piece_ = 0;    // energy of the 2.4 ms piece under way
    int pieceValues_ = 0;
    std::int64_t pieces_[kPiecesPerBlock] = {};
    int pieceCount_ = 0;
    std::uint64_t value_;  // side index of the next five-frame value
    std::vector<float> blocks_;
};
