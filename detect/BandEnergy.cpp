#include "detect/BandEnergy.h"

#include <algorithm>
#include <cmath>

#include "model/SideState.h"

namespace {

// y = 75 x - (sum of 75 values) is 75 times the high-passed value; x sums six samples: mid
// and side read as (left + right) / 2 and (left - right) / 2, whose squares add up to
// (left² + right²) / 2.
constexpr double kFullScale = 75.0 * 6 * 32768;
constexpr double kEnergyScale = 1.0 / (kFullScale * kFullScale * 35);

}  // namespace

static_assert(kBlockFrames % 3 == 0 && (kBlockFrames / 3) % 35 == 0 && kBlockFrames / 3 / 35 == 42);

BandEnergy::BandEnergy(std::uint32_t blockFrames) : blockFrames_(blockFrames) {}

std::uint32_t BandEnergy::GroupEnd(int k) const {
    return static_cast<std::uint32_t>(std::uint64_t{blockFrames_} * (k + 1) / kValuesPerBlock);
}

std::size_t BandEnergy::PrimeFrames() const {
    if (blockFrames_ == kBlockFrames) return kPrimeFrames;
    return blockFrames_ - GroupEnd(kValuesPerBlock - kMeanLength);
}

void BandEnergy::Push(std::int64_t mid, std::int64_t side, std::uint32_t frames) {
    // The sum of `frames` frames as if of three, rounded.
    const auto scaled = [frames](std::int64_t sum) {
        return static_cast<std::int32_t>(
            std::llround(static_cast<double>(sum) * kDecimation / static_cast<double>(frames)));
    };
    mid_.values.push_back(scaled(mid));
    side_.values.push_back(scaled(side));
}

void BandEnergy::FeedGroups(const std::int16_t* s, std::size_t frames) {
    for (; frames > 0; --frames, s += 2) {
        midPart_ += s[0] + s[1];
        sidePart_ += s[0] - s[1];
        ++groupFrames_;
        if (++blockFrame_ < GroupEnd(group_)) continue;
        Push(midPart_, sidePart_, static_cast<std::uint32_t>(groupFrames_));
        midPart_ = sidePart_ = 0;
        groupFrames_ = 0;
        if (++group_ == kValuesPerBlock) group_ = 0, blockFrame_ = 0;
    }
    Measure();
}

void BandEnergy::Feed(const std::int16_t* s, std::size_t frames) {
    if (blockFrames_ != kBlockFrames) {
        FeedGroups(s, frames);
        return;
    }
    while (frames > 0) {
        if (groupFrames_ == 0 && frames >= kDecimation) {
            // Whole groups of three, the common case.
            const std::size_t groups = frames / kDecimation;
            const std::size_t had = mid_.values.size();
            mid_.values.resize(had + groups);
            side_.values.resize(had + groups);
            std::int32_t* mid = mid_.values.data() + had;
            std::int32_t* side = side_.values.data() + had;
            for (std::size_t g = 0; g < groups; ++g, s += 2 * kDecimation) {
                mid[g] = s[0] + s[1] + s[2] + s[3] + s[4] + s[5];
                side[g] = s[0] - s[1] + s[2] - s[3] + s[4] - s[5];
            }
            frames -= groups * kDecimation;
            continue;
        }
        midPart_ += s[0] + s[1];
        sidePart_ += s[0] - s[1];
        s += 2;
        --frames;
        if (++groupFrames_ == kDecimation) {
            mid_.values.push_back(midPart_);
            side_.values.push_back(sidePart_);
            midPart_ = sidePart_ = 0;
            groupFrames_ = 0;
        }
    }
    Measure();
}

void BandEnergy::Pieces(std::size_t first) {
    // y = 75 x - (sum of the 75 values around x) is 75 times the high-passed value. Both
    // signals in one loop: their sums are two chains the processor runs side by side.
    const std::int32_t* m = mid_.values.data() + first;
    const std::int32_t* d = side_.values.data() + first;
    std::int64_t midSum = mid_.sum, sideSum = side_.sum, midEnergy = 0, sideEnergy = 0;
    for (int k = 0; k < kPieceValues; ++k) {
        const std::int64_t midWindow = midSum + m[k], sideWindow = sideSum + d[k];
        const std::int64_t y = std::int64_t{kMeanLength} * m[k - kMeanLength / 2] - midWindow;
        const std::int64_t z = std::int64_t{kMeanLength} * d[k - kMeanLength / 2] - sideWindow;
        midEnergy += y * y;
        sideEnergy += z * z;
        midSum = midWindow - m[k - (kMeanLength - 1)];
        sideSum = sideWindow - d[k - (kMeanLength - 1)];
    }
    mid_.sum = midSum;
    side_.sum = sideSum;
    mid_.pieces[pieceCount_] = midEnergy;
    side_.pieces[pieceCount_] = sideEnergy;
}

void BandEnergy::Measure() {
    constexpr std::size_t kHistory = kMeanLength - 1;
    std::size_t at = kHistory;  // the next value to measure
    for (; at + kPieceValues <= mid_.values.size(); at += kPieceValues) {
        Pieces(at);
        if (++pieceCount_ < kPiecesPerBlock) continue;
        pieceCount_ = 0;
        const double energy = static_cast<double>(mid_.Held()) + static_cast<double>(side_.Held());
        blocks_.push_back(static_cast<float>(energy * kEnergyScale / kPiecesPerBlock));
    }
    for (Signal* signal : {&mid_, &side_})
        signal->values.erase(signal->values.begin(),
                             signal->values.begin() + static_cast<std::ptrdiff_t>(at - kHistory));
}

void BandEnergy::Prime(const std::int16_t* s) {
    mid_.sum = side_.sum = 0;
    if (blockFrames_ != kBlockFrames) {
        // The last kMeanLength - 1 values of the block before; s[0] is frame `base` of it.
        const std::uint32_t base = GroupEnd(kValuesPerBlock - kMeanLength);
        for (int g = 0; g + 1 < kMeanLength; ++g) {
            const int k = kValuesPerBlock - kMeanLength + 1 + g;
            std::int64_t mid = 0, side = 0;
            for (std::uint32_t at = GroupEnd(k - 1); at < GroupEnd(k); ++at) {
                const std::int16_t* f = s + 2 * (at - base);
                mid += f[0] + f[1];
                side += f[0] - f[1];
            }
            const std::uint32_t n = GroupEnd(k) - GroupEnd(k - 1);
            Push(mid, side, n);
            mid_.values[g] = mid_.values.back();
            side_.values[g] = side_.values.back();
            mid_.values.pop_back();
            side_.values.pop_back();
            mid_.sum += mid_.values[g];
            side_.sum += side_.values[g];
        }
        return;
    }
    for (std::size_t g = 0; g + 1 < std::size_t{kMeanLength}; ++g, s += 2 * kDecimation) {
        mid_.values[g] = s[0] + s[1] + s[2] + s[3] + s[4] + s[5];
        side_.values[g] = s[0] - s[1] + s[2] - s[3] + s[4] - s[5];
        mid_.sum += mid_.values[g];
        side_.sum += side_.values[g];
    }
}

std::int64_t BandEnergy::Signal::Held() const {
    // The window of pieces around piece i, kept in order as it slides along the block.
    std::int64_t window[2 * kReach + 1];
    int size = 0;
    const auto insert = [&](std::int64_t value) {
        int k = size++;
        for (; k > 0 && window[k - 1] > value; --k) window[k] = window[k - 1];
        window[k] = value;
    };
    for (int i = 0; i < kReach; ++i) insert(pieces[i]);
    std::int64_t sum = 0;
    for (int i = 0; i < kPiecesPerBlock; ++i) {
        if (i - kReach - 1 >= 0) {
            std::int64_t* out = std::find(window, window + size, pieces[i - kReach - 1]);
            std::copy(out + 1, window + size, out);
            --size;
        }
        if (i + kReach < kPiecesPerBlock) insert(pieces[i + kReach]);
        const std::int64_t quartile = window[size / 4];
        sum += pieces[i] > kClickRatio * quartile ? quartile : pieces[i];
    }
    return sum;
}
