#include "detect/BandEnergy.h"

#include <algorithm>

#include "model/SideState.h"

namespace {

// y = 75 x - (sum of 75 values) is 75 times the high-passed value; x sums six samples: mid
// and side read as (left + right) / 2 and (left - right) / 2, whose squares add up to
// (left² + right²) / 2.
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
                Value(s[0] + s[1] + s[2] + s[3] + s[4] + s[5],
                      s[0] - s[1] + s[2] - s[3] + s[4] - s[5]);
            frames -= groups * kDecimation;
            continue;
        }
        midPart_ += s[0] + s[1];
        sidePart_ += s[0] - s[1];
        s += 2;
        --frames;
        if (++groupFrames_ == kDecimation) {
            Value(midPart_, sidePart_);
            midPart_ = sidePart_ = 0;
            groupFrames_ = 0;
        }
    }
}

void BandEnergy::Signal::Take(std::int32_t x, unsigned at, int pieceIndex, bool pieceEnds) {
    ring[at] = x;
    ringSum += x - ring[(at - kMeanLength) & kRingMask];
    const std::int64_t y =
        std::int64_t{kMeanLength} * ring[(at - kMeanLength / 2) & kRingMask] - ringSum;
    piece += y * y;
    if (!pieceEnds) return;
    pieces[pieceIndex] = piece;
    piece = 0;
}

std::int64_t BandEnergy::Signal::Held() const {
    std::int64_t sum = 0;
    std::int64_t around[2 * kReach + 1];
    for (int i = 0; i < kPiecesPerBlock; ++i) {
        const int from = std::max(0, i - kReach), to = std::min(kPiecesPerBlock, i + kReach + 1);
        std::copy(pieces + from, pieces + to, around);
        const int middle = (to - from) / 2;
        std::nth_element(around, around + middle, around + (to - from));
        sum += std::min(pieces[i], kClickRatio * around[middle]);
    }
    return sum;
}

void BandEnergy::Value(std::int32_t mid, std::int32_t side) {
    const unsigned at = ringAt_++ & Signal::kRingMask;
    const bool pieceEnds = ++pieceValues_ == kPieceValues;
    mid_.Take(mid, at, pieceCount_, pieceEnds);
    side_.Take(side, at, pieceCount_, pieceEnds);
    if (!pieceEnds) return;
    pieceValues_ = 0;
    if (++pieceCount_ < kPiecesPerBlock) return;
    pieceCount_ = 0;
    const double energy = static_cast<double>(mid_.Held()) + static_cast<double>(side_.Held());
    blocks_.push_back(static_cast<float>(energy * kEnergyScale / kPiecesPerBlock));
}
