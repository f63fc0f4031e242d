#pragma once
// What Smart Sense measures of a side, in one streaming pass over its samples: for every
// 0.1 s block (4410 frames), the loudness a listener hears with the clicks taken out, of
// both channels, so that neither a dead channel nor a transfer wired out of phase (right =
// -left, where left + right is silence) hides the music.
//
// Per frame, mid (left + right) and side (left - right), each measured alike and the two
// energies added: mid² + side² is twice left² + right², whatever the phase. Three frames
// summed into one value (14700 per second), which leaves out most of the top octave where
// hiss lives (10 dB down at 11 kHz, more above); from that, the value minus the mean of the
// 75 around it (5 ms), which leaves out rumble, warp and most hum (about 35 dB down at
// 20 Hz; the band is roughly 90 Hz to 8 kHz). The square of the result summed over 35
// values gives one energy per 2.4 ms piece. A click lights up a few pieces and a 5 ms pop
// half a dozen, where a note or a drum lights up its neighbours too: a piece more than four
// times the lower quartile of the 17 pieces around it (within its block) counts as that
// quartile, and the block's energy is the mean of its 42 pieces so held. Even sixty loud
// clicks a second, with what the 5 ms mean spreads around each, leave a quarter of such a
// window to the noise, while sparse drums, longer than a click, keep their weight.
//
// Integer arithmetic up to each block's sum: no rounding that depends on the order.

#include <cstdint>
#include <vector>

class BandEnergy {
  public:
    /// Blocks of `blockFrames` frames (0.1 s at the side's rate). At 44.1 kHz a value sums
    /// three frames; at other rates each block's frames are shared out over its 1470 values
    /// as evenly as whole frames allow, and a value is its frames' sum times 3 / their
    /// number (rounded), so the values mean the same at every rate.
    explicit BandEnergy(std::uint32_t blockFrames = 4410);

    /// Takes the next `frames` interleaved stereo frames (left, right, ...), from the side's
    /// first frame on, in order (what lies before the first counts as silence). Any one
    /// thread at a time.
    void Feed(const std::int16_t* samples, std::size_t frames);

    /// Frames before a block that Prime() takes: all that a block's energies depend on
    /// besides the block itself.
    static constexpr std::size_t kPrimeFrames = 3 * (75 - 1);

    /// PrimeFrames at this rate (kPrimeFrames at 44.1 kHz).
    std::size_t PrimeFrames() const;

    /// Before the first Feed(): takes the PrimeFrames() frames that precede the first frame
    /// to be fed, which must begin a block, so that the blocks from there on come out as
    /// they would from a pass over the whole side.
    void Prime(const std::int16_t* samples);

    /// Energies of the complete blocks so far: mean squares of the band-limited channels
    /// (left² + right²) / 2 at full scale 1, about 0.46 for a full-scale 1 kHz sine in both.
    const std::vector<float>& Blocks() const { return blocks_; }

  private:
    static constexpr int kDecimation = 3;
    static constexpr int kMeanLength = 75;
    static_assert(kPrimeFrames == kDecimation * (kMeanLength - 1));
    static constexpr int kPieceValues = 35;  // 2.4 ms
    static constexpr int kPiecesPerBlock = 42;
    static constexpr int kReach = 8;       // pieces on each side of one: its neighbourhood
    static constexpr int kClickRatio = 4;  // a piece above this times their lower quartile
    static constexpr int kValuesPerBlock = kPiecesPerBlock * kPieceValues;  // 1470

    // One of the two signals (mid, side): its values not measured yet, after the
    // kMeanLength - 1 before them that the mean still takes in, and the block's pieces.
    struct Signal {
        std::vector<std::int32_t> values = std::vector<std::int32_t>(kMeanLength - 1);
        std::int64_t sum = 0;  // of the kMeanLength - 1 values before the next one measured
        std::int64_t pieces[kPiecesPerBlock] = {};
        std::int64_t Held() const;  // the block's pieces summed, clicks held down
    };

    void Pieces(std::size_t first);  // both signals' pieces of the 35 values from `first`
    void Measure();                  // every whole piece of the values taken
    /// Frame (within a block) after the last of value k's frames, at a rate other than 44.1.
    std::uint32_t GroupEnd(int k) const;
    void FeedGroups(const std::int16_t* samples, std::size_t frames);  // other rates
    void Push(std::int64_t mid, std::int64_t side, std::uint32_t frames);

    std::uint32_t blockFrames_;
    std::uint32_t blockFrame_ = 0;  // other rates: frames of the block under way taken
    int group_ = 0;                 // other rates: its value under way

    std::int32_t midPart_ = 0, sidePart_ = 0;  // of the frames of the group of three under way
    int groupFrames_ = 0;                      // frames in it
    int pieceCount_ = 0;                       // of the block under way
    Signal mid_, side_;
    std::vector<float> blocks_;
};
