#include "repair/SegmentRepairer.h"

#include <algorithm>
#include <cmath>

namespace repair {

namespace {

// Median absolute value to standard deviation, for Gaussian errors.
constexpr float kMadToSigma = 1.4826f;
// Scales below this (about -200 dB) are digital silence: nothing there is judged.
constexpr float kLeastScale = 1e-10f;

}  // namespace

SegmentRepairer::SegmentRepairer(const RepairTuning& tuning, int channels)
    : tuning_(tuning),
      channels_(channels),
      original_(channels),
      repaired_(channels),
      score_(channels),
      models_(channels),
      runs_(channels) {}

float SegmentRepairer::Median(const float* e, std::size_t begin, std::size_t end) {
    if (end <= begin) return 0;
    scratch_.resize(end - begin);
    for (std::size_t t = begin; t < end; ++t) scratch_[t - begin] = std::fabs(e[t]);
    auto middle = scratch_.begin() + static_cast<std::ptrdiff_t>(scratch_.size() / 2);
    std::nth_element(scratch_.begin(), middle, scratch_.end());
    return *middle;
}

void SegmentRepairer::FitModels(const std::vector<float>& source, std::vector<ArModel>& models) {
    const std::size_t block = tuning_.block;
    const std::size_t blocks = (n_ + block - 1) / block;
    models.resize(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t begin = b * block >= block / 2 ? b * block - block / 2 : 0;
        const std::size_t end = std::min(n_, (b + 1) * block + block / 2);
        models[b] = FitArModel(source.data() + begin, end - begin, tuning_.order, scratch_);
    }
}

void SegmentRepairer::Judge(int channel) {
    const float* x = original_[channel].data();
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    forward_.assign(n_, 0.0f);
    backward_.assign(n_, 0.0f);
    std::vector<float>& score = score_[channel];
    score.assign(n_, 0.0f);
    if (n_ <= 2 * p) return;
    const std::size_t block = tuning_.block;
    for (std::size_t b = 0; b * block < n_; ++b) {
        const ArModel& model = models_[channel][b];
        if (model.order == 0) continue;
        const std::size_t begin = b * block, end = std::min(n_, begin + block);
        ForwardErrors(model, x, std::max(begin, p), end, forward_.data());
        if (begin < n_ - p) BackwardErrors(model, x, begin, std::min(end, n_ - p), backward_.data());
    }
    const std::size_t hop = tuning_.scaleHop, half = tuning_.scaleWindow / 2;
    for (std::size_t h = 0; h < n_; h += hop) {
        const std::size_t end = std::min(n_, h + hop);
        const std::size_t centre = (h + end) / 2;
        const std::size_t lo = centre >= half ? centre - half : 0;
        const std::size_t hi = std::min(n_, centre + half);
        const float forwardScale = kMadToSigma * Median(forward_.data(), lo, hi);
        const float backwardScale = kMadToSigma * Median(backward_.data(), lo, hi);
        if (forwardScale < kLeastScale || backwardScale < kLeastScale) continue;
        const float f = 1.0f / forwardScale, g = 1.0f / backwardScale;
        for (std::size_t t = h; t < end; ++t) {
            score[t] = std::min(std::fabs(forward_[t]) * f, std::fabs(backward_[t]) * g);
        }
    }
    for (std::size_t t = 0; t < p; ++t) score[t] = score[n_ - 1 - t] = 0;
}

SegmentRepairer::Runs SegmentRepairer::FindRuns(int channel) const {
    const std::vector<float>& score = score_[channel];
    const std::size_t reach = tuning_.pairReach;
    auto seed = [&](std::size_t t) {
        if (score[t] > tuning_.threshold) return true;
        if (score[t] <= tuning_.pairedThreshold) return false;
        const std::size_t lo = t >= reach ? t - reach : 0, hi = std::min(n_, t + reach + 1);
        for (int other = 0; other < channels_; ++other) {
            if (other == channel) continue;
            for (std::size_t u = lo; u < hi; ++u) {
                if (score_[other][u] > tuning_.threshold) return true;
            }
        }
        return false;
    };
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    Runs runs;
    for (std::size_t t = 0; t < n_; ++t) {
        if (!seed(t)) continue;
        std::size_t begin = t, end = t + 1;
        while (begin > 0 && score[begin - 1] > tuning_.extendThreshold) --begin;
        while (end < n_ && (score[end] > tuning_.extendThreshold || seed(end))) ++end;
        begin = begin >= tuning_.widen ? begin - tuning_.widen : 0;
        end += tuning_.widen;
        // Room for the model's context on both sides; the margins make this no loss.
        begin = std::max(begin, p);
        end = std::min(end, n_ - p);
        if (begin < end) {
            if (!runs.empty() && begin <= runs.back().end + tuning_.mergeGap) {
                runs.back().end = std::max(runs.back().end, end);
            } else {
                runs.push_back({begin, end});
            }
        }
        t = end;
    }
    std::erase_if(runs, [&](const FrameRange& r) { return r.end - r.begin > tuning_.longestSpan; });
    return runs;
}

void SegmentRepairer::Fill(int channel, const Runs& runs) {
    std::vector<float>& x = repaired_[channel];
    x = original_[channel];
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    std::size_t i = 0;
    while (i < runs.size()) {
        // Runs within the model's reach of each other are filled together, up to a block.
        std::size_t j = i + 1;
        while (j < runs.size() && runs[j].begin <= runs[j - 1].end + p &&
               runs[j].end - runs[i].begin <= tuning_.block) {
            ++j;
        }
        missing_.clear();
        for (std::size_t r = i; r < j; ++r) {
            for (std::size_t t = runs[r].begin; t < runs[r].end; ++t) missing_.push_back(t);
        }
        const ArModel& model = ModelAt(channel, runs[i].begin);
        if (model.order > 0) InterpolateMissing(model, missing_, x.data(), interpolation_);
        i = j;
    }
}

SegmentRepairer::Runs SegmentRepairer::KeepSettled(int channel, const Runs& runs) {
    const float* x = repaired_[channel].data();
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    forward_.assign(n_, 0.0f);
    const std::size_t block = tuning_.block;
    for (std::size_t b = 0; b * block < n_; ++b) {
        const ArModel& model = models_[channel][b];
        if (model.order == 0) continue;
        const std::size_t begin = b * block, end = std::min(n_, begin + block);
        ForwardErrors(model, x, std::max(begin, p), end, forward_.data());
    }
    Runs kept;
    for (const FrameRange& run : runs) {
        const std::size_t leadBegin = run.begin >= tuning_.leadWindow + p
                                          ? run.begin - tuning_.leadWindow
                                          : p;
        const float lead = Median(forward_.data(), leadBegin, run.begin);
        const float settle =
            Median(forward_.data(), run.end, std::min(n_, run.end + tuning_.settleWindow));
        if (settle <= tuning_.settleRatio * lead) kept.push_back(run);
    }
    return kept;
}

void SegmentRepairer::Repair(const float* interleaved, std::size_t frames,
                             std::uint64_t firstFrame, FrameRange own, float* out,
                             std::vector<ClickSpan>& spans) {
    n_ = frames;
    const std::size_t channels = static_cast<std::size_t>(channels_);
    for (std::size_t c = 0; c < channels; ++c) {
        original_[c].resize(n_);
        for (std::size_t t = 0; t < n_; ++t) original_[c][t] = interleaved[t * channels + c];
        repaired_[c] = original_[c];
        runs_[c].clear();
    }
    for (int pass = 0; pass < tuning_.passes; ++pass) {
        for (int c = 0; c < channels_; ++c) FitModels(repaired_[c], models_[c]);
        for (int c = 0; c < channels_; ++c) Judge(c);
        for (int c = 0; c < channels_; ++c) {
            const Runs runs = FindRuns(c);
            Fill(c, runs);
            runs_[c] = KeepSettled(c, runs);
            if (runs_[c].size() != runs.size()) Fill(c, runs_[c]);
        }
    }
    for (std::size_t t = own.begin; t < own.end; ++t) {
        for (std::size_t c = 0; c < channels; ++c) {
            out[(t - own.begin) * channels + c] = repaired_[c][t];
        }
    }
    // One span per run of frames with any channel repaired.
    Runs all;
    for (const Runs& runs : runs_) all.insert(all.end(), runs.begin(), runs.end());
    std::sort(all.begin(), all.end(),
              [](const FrameRange& a, const FrameRange& b) { return a.begin < b.begin; });
    Runs merged;
    for (const FrameRange& run : all) {
        if (!merged.empty() && run.begin <= merged.back().end) {
            merged.back().end = std::max(merged.back().end, run.end);
        } else {
            merged.push_back(run);
        }
    }
    for (const FrameRange& run : merged) {
        if (run.begin < own.begin || run.begin >= own.end) continue;
        spans.push_back({firstFrame + run.begin, static_cast<std::uint32_t>(run.end - run.begin)});
    }
}

}  // namespace repair
