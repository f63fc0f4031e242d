#include "detect/BandEnergy.h"

#include <algorithm>

#include "model/SideState.h"

namespace {

// y = 75 x - (sum of 75 values) is 75 times the high-passed value; x sums six samples.
constexpr double kFullScale = 75.0 * 6 * 32768;
constexpr double kEnergyScale = 1.0 / (kFullScale * kFullScale * 35);

}  // namespace

static_assert(kBlockFrames % 3 == 0 && (kBlockFrames / 3) % 35 == 0 && kBlockFrames / 3 / 35 == 42);

void BandEnergy::Feed(const std::int16_t* s, std::size_t frames) {
    while (frames > 0) {
        if (groupFrames_ == 0 && frames >= kDecimation) {
            // Whole groups of three, the common case.
            const std::size_t groups = frames / kDecimation;
            for (std::size_t g = 0; g < groups; ++g, s += 2 * kDecimation)
                Value(s[0] + s[1] + s[2] + s[3] + s[4] + s[5]);
            frames -= groups * kDecimation;
            continue;
        }
        partSum_ += s[0] + s[1];
        s += 2;
        --frames;
        if (++groupFrames_ == kDecimation) {
            Value(partSum_);
            partSum_ = 0;
            groupFrames_ = 0;
        }
    }
}

void BandEnergy::Value(std::int32_t x) {
    const unsigned at = ringAt_++ & kRingMask;
    ring_[at] = x;
    ringSum_ += x - ring_[(at - kMeanLength) & kRingMask];
    const std::int64_t y =
        std::int64_t{kMeanLength} * ring_[(at - kMeanLength / 2) & kRingMask] - ringSum_;
    piece_ += y * y;
    if (++pieceValues_ < kPieceValues) return;
    pieces_[pieceCount_++] = piece_;
    piece_ = 0;
    pieceValues_ = 0;
    if (pieceCount_ < kPiecesPerBlock) return;
    pieceCount_ = 0;
    std::nth_element(pieces_, pieces_ + kMedianPiece, pieces_ + kPiecesPerBlock);
    blocks_.push_back(
        static_cast<float>(static_cast<double>(pieces_[kMedianPiece]) * kEnergyScale));
}
