#include "repair/SegmentRepairer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace repair {

namespace {

// A pop's peak power stands this far above the music just before it.
constexpr float kPopLoudness = 16.0f;
// Mean absolute value to standard deviation, for Gaussian errors.
constexpr float kMeanToSigma = 1.2533f;
// Scales below this (about -200 dB) are digital silence: nothing there is judged.
constexpr float kLeastScale = 1e-10f;

}  // namespace

SegmentRepairer::SegmentRepairer(const RepairTuning& tuning, int channels)
    : tuning_(tuning),
      channels_(channels),
      original_(channels),
      repaired_(channels),
      forwardScore_(channels),
      backwardScore_(channels),
      score_(channels),
      models_(channels),
      runs_(channels) {}

void SegmentRepairer::SumPieces(const std::vector<float>& e, bool squares,
                                std::vector<float>& pieces) const {
    const std::size_t piece = tuning_.piece;
    pieces.assign(n_ / piece, 0.0f);
    const float share = 1.0f / static_cast<float>(piece);
    for (std::size_t j = 0; j < pieces.size(); ++j) {
        float sum = 0;
        const float* x = e.data() + j * piece;
        for (std::size_t i = 0; i < piece; ++i) sum += squares ? x[i] * x[i] : std::fabs(x[i]);
        pieces[j] = sum * share;
    }
}

float SegmentRepairer::Median(const std::vector<float>& pieces, std::size_t begin,
                              std::size_t end) {
    const std::size_t first = (begin + tuning_.piece - 1) / tuning_.piece;
    const std::size_t last = std::min(pieces.size(), end / tuning_.piece);
    if (last <= first) return 0;
    scratch_.assign(pieces.begin() + static_cast<std::ptrdiff_t>(first),
                    pieces.begin() + static_cast<std::ptrdiff_t>(last));
    auto middle = scratch_.begin() + static_cast<std::ptrdiff_t>(scratch_.size() / 2);
    std::nth_element(scratch_.begin(), middle, scratch_.end());
    return *middle;
}

float SegmentRepairer::PieceMean(const std::vector<float>& pieces, std::size_t begin,
                                 std::size_t end) const {
    const std::size_t first = (begin + tuning_.piece - 1) / tuning_.piece;
    const std::size_t last = std::min(pieces.size(), end / tuning_.piece);
    if (last <= first) return 0;
    float sum = 0;
    for (std::size_t j = first; j < last; ++j) sum += pieces[j];
    return sum / static_cast<float>(last - first);
}

void SegmentRepairer::FitModels(int channel) {
    // Fitted to the samples as repaired so far: a loud click would otherwise teach the model
    // its own shape.
    const std::vector<float>& source = repaired_[channel];
    std::vector<ArModel>& models = models_[channel];
    const std::size_t block = tuning_.block;
    const std::size_t blocks = (n_ + block - 1) / block;
    models.resize(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t begin = b * block >= block / 2 ? b * block - block / 2 : 0;
        const std::size_t end = std::min(n_, (b + 1) * block + block / 2);
        models[b] = FitArModel(source.data() + begin, end - begin, tuning_.order, fit_);
    }
}

void SegmentRepairer::ForwardErrorsOf(int channel, const std::vector<float>& x,
                                      std::vector<float>& e) const {
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    e.assign(n_, 0.0f);
    const std::size_t block = tuning_.block;
    for (std::size_t b = 0; b * block < n_; ++b) {
        const ArModel& model = models_[channel][b];
        if (model.order == 0) continue;
        const std::size_t begin = b * block, end = std::min(n_, begin + block);
        if (end > p) ForwardErrors(model, x.data(), std::max(begin, p), end, e.data());
    }
}

void SegmentRepairer::Judge(int channel) {
    const float* x = original_[channel].data();
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    forward_.assign(n_, 0.0f);
    backward_.assign(n_, 0.0f);
    std::vector<float>& score = score_[channel];
    std::vector<float>& fs = forwardScore_[channel];
    std::vector<float>& bs = backwardScore_[channel];
    score.assign(n_, 0.0f);
    fs.assign(n_, 0.0f);
    bs.assign(n_, 0.0f);
    if (n_ <= 2 * p) return;
    const std::size_t block = tuning_.block;
    for (std::size_t b = 0; b * block < n_; ++b) {
        const ArModel& model = models_[channel][b];
        if (model.order == 0) continue;
        const std::size_t begin = b * block, end = std::min(n_, begin + block);
        ForwardErrors(model, x, std::max(begin, p), end, forward_.data());
        if (begin < n_ - p)
            BackwardErrors(model, x, begin, std::min(end, n_ - p), backward_.data());
    }
    SumPieces(forward_, false, forwardPieces_);
    SumPieces(backward_, false, backwardPieces_);
    const std::size_t hop = tuning_.scaleHop, half = tuning_.scaleWindow / 2;
    for (std::size_t h = 0; h < n_; h += hop) {
        const std::size_t end = std::min(n_, h + hop);
        const std::size_t centre = (h + end) / 2;
        const std::size_t lo = centre >= half ? centre - half : 0;
        const std::size_t hi = std::min(n_, centre + half);
        const float forwardScale = kMeanToSigma * Median(forwardPieces_, lo, hi);
        const float backwardScale = kMeanToSigma * Median(backwardPieces_, lo, hi);
        if (forwardScale < kLeastScale || backwardScale < kLeastScale) continue;
        const float f = 1.0f / forwardScale, g = 1.0f / backwardScale;
        for (std::size_t t = h; t < end; ++t) {
            fs[t] = std::fabs(forward_[t]) * f;
            bs[t] = std::fabs(backward_[t]) * g;
            score[t] = std::min(fs[t], bs[t]);
        }
    }
    for (std::size_t t = 0; t < p; ++t) {
        score[t] = score[n_ - 1 - t] = fs[t] = fs[n_ - 1 - t] = bs[t] = bs[n_ - 1 - t] = 0;
    }
}

namespace {

// Adds [begin, end) to runs sorted by start, joining it with runs it comes within `gap` of.
void AddRun(std::vector<FrameRange>& runs, std::size_t begin, std::size_t end, std::size_t gap) {
    auto at = std::lower_bound(runs.begin(), runs.end(), begin,
                               [](const FrameRange& r, std::size_t b) { return r.begin < b; });
    if (at != runs.begin() && std::prev(at)->end + gap >= begin) --at;
    auto last = at;
    while (last != runs.end() && last->begin <= end + gap) {
        begin = std::min(begin, last->begin);
        end = std::max(end, last->end);
        ++last;
    }
    at = runs.erase(at, last);
    runs.insert(at, {begin, end});
}

}  // namespace

SegmentRepairer::Runs SegmentRepairer::FindRuns(int channel) const {
    const std::vector<float>& fs = forwardScore_[channel];
    const std::vector<float>& bs = backwardScore_[channel];
    const std::vector<float>& score = score_[channel];
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    const float k = tuning_.threshold;
    Runs runs;
    if (n_ <= 2 * p) return runs;
    for (std::size_t t = p; t < n_ - p; ++t) {
        if (fs[t] <= k) continue;
        // Damage starts where the past stops predicting the music and ends where the future
        // starts predicting it again, a few samples later at most.
        std::size_t u = std::max(p, t - std::min(t, tuning_.reach));
        const std::size_t last = std::min(n_ - p - 1, t + tuning_.reach);
        while (u < last && bs[u] <= k) ++u;
        if (bs[u] <= k) continue;
        std::size_t begin = std::min(t, u), end = std::max(t, u) + 1;
        const std::size_t lowest =
            std::max(p, begin >= tuning_.extendReach ? begin - tuning_.extendReach : 0);
        const std::size_t highest = std::min(n_ - p, end + tuning_.extendReach);
        while (begin > lowest && score[begin - 1] > tuning_.extendThreshold) --begin;
        while (end < highest && score[end] > tuning_.extendThreshold) ++end;
        begin = std::max(p, begin >= tuning_.widen ? begin - tuning_.widen : 0);
        end = std::min(n_ - p, end + tuning_.widen);
        AddRun(runs, begin, end, tuning_.mergeGap);
    }
    return runs;
}

void SegmentRepairer::ShareRuns(std::vector<Runs>& runs) const {
    // A click on a record mostly reaches every channel, if weaker on some: a run found on
    // one is taken on another wherever that one's errors stand out there too.
    const std::vector<Runs> found = runs;
    for (int c = 0; c < channels_; ++c) {
        for (int other = 0; other < channels_; ++other) {
            if (other == c) continue;
            for (const FrameRange& run : found[other]) {
                float most = 0;
                for (std::size_t t = run.begin; t < run.end; ++t)
                    most = std::max(most, score_[c][t]);
                if (most > tuning_.pairedThreshold) {
                    AddRun(runs[c], run.begin, run.end, tuning_.mergeGap);
                }
            }
        }
    }
    for (Runs& r : runs) {
        std::erase_if(r,
                      [&](const FrameRange& x) { return x.end - x.begin > tuning_.longestSpan; });
    }
}

void SegmentRepairer::AlignRuns(std::vector<Runs>& runs) const {
    // The same click on several channels is filled over the same frames on each: the pop
    // that grew on one channel grows on the others too.
    bool changed = false;
    for (int c = 0; c < channels_; ++c) {
        for (int other = 0; other < channels_; ++other) {
            if (other == c) continue;
            for (FrameRange& run : runs[c]) {
                for (const FrameRange& o : runs[other]) {
                    if (o.end <= run.begin || o.begin >= run.end) continue;
                    if (o.begin < run.begin || o.end > run.end) changed = true;
                    run.begin = std::min(run.begin, o.begin);
                    run.end = std::max(run.end, o.end);
                }
            }
        }
    }
    if (!changed) return;
    for (Runs& r : runs) {
        Runs merged;
        for (const FrameRange& run : r) AddRun(merged, run.begin, run.end, 0);
        r = std::move(merged);
    }
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

void SegmentRepairer::GrowPopsDropAttacks(int channel, Runs& runs, bool grow) {
    // A pop stands far out (its errors and its peak power above the music just before it)
    // and stays louder than that music for up to a few milliseconds, much of it too smooth
    // for the model to tell from music: such a run grows, a piece at a time, while the next
    // two pieces are louder than that music. A run still followed by sound much louder than
    // the quiet before it (after longestSpan, for a pop) is an attack, and is left alone.
    SumPieces(repaired_[channel], true, levelPieces_);
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    const std::size_t ahead = 2 * tuning_.piece;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        FrameRange& run = runs[r];
        const float before = QuietestBefore(run.begin);
        const float justBefore = PieceMean(
            levelPieces_, run.begin >= tuning_.levelWindow ? run.begin - tuning_.levelWindow : 0,
            run.begin);
        const std::size_t limit = std::min({run.begin + tuning_.longestSpan, n_ - p,
                                            r + 1 < runs.size() ? runs[r + 1].begin : n_});
        float peak = 0, loudest = 0;
        for (std::size_t t = run.begin; t < run.end; ++t) {
            peak = std::max(peak, forwardScore_[channel][t]);
            loudest = std::max(loudest, original_[channel][t] * original_[channel][t]);
        }
        const bool pop =
            grow && peak >= tuning_.growThreshold && loudest >= kPopLoudness * justBefore;
        std::size_t end = run.end;
        while (pop && end + tuning_.piece <= limit &&
               PieceMean(levelPieces_, end, end + ahead) > tuning_.growRise * justBefore) {
            end += tuning_.piece;
        }
        const bool attack =
            PieceMean(levelPieces_, end, end + tuning_.levelWindow) > tuning_.attackRise * before;
        run.end = attack ? run.begin : end;
    }
    std::erase_if(runs, [](const FrameRange& run) { return run.end == run.begin; });
}

float SegmentRepairer::QuietestBefore(std::size_t begin) const {
    // The quietest of a few windows: a run within an attack's first milliseconds has the
    // attack's loud start just before it, and the quiet before that further back.
    float quietest = std::numeric_limits<float>::max();
    const std::size_t w = tuning_.levelWindow;
    for (std::size_t k = 0; k < tuning_.attackLookback && begin >= (k + 1) * w; ++k) {
        quietest = std::min(quietest, PieceMean(levelPieces_, begin - (k + 1) * w, begin - k * w));
    }
    return quietest == std::numeric_limits<float>::max() ? 0 : quietest;
}

SegmentRepairer::Runs SegmentRepairer::KeepSettled(int channel, const Runs& runs) {
    const std::vector<float>& x = repaired_[channel];
    ForwardErrorsOf(channel, x, forward_);
    SumPieces(forward_, false, forwardPieces_);
    auto before = [](std::size_t at, std::size_t span) { return at >= span ? at - span : 0; };
    Runs kept;
    for (const FrameRange& run : runs) {
        // The errors after a repaired click settle back to what they were before it; after a
        // hi-hat or a strummed chord they stay high.
        const float lead = Median(forwardPieces_, before(run.begin, tuning_.leadWindow), run.begin);
        const std::size_t after = run.end + static_cast<std::size_t>(tuning_.order);
        const float settle = Median(forwardPieces_, after, after + tuning_.settleWindow);
        if (settle <= tuning_.settleRatio * lead) kept.push_back(run);
    }
    return kept;
}

void SegmentRepairer::Repair(const float* interleaved, std::size_t frames, std::uint64_t firstFrame,
                             FrameRange own, float* out, std::vector<ClickSpan>& spans) {
    n_ = frames;
    const std::size_t channels = static_cast<std::size_t>(channels_);
    for (std::size_t c = 0; c < channels; ++c) {
        original_[c].resize(n_);
        for (std::size_t t = 0; t < n_; ++t) original_[c][t] = interleaved[t * channels + c];
        repaired_[c] = original_[c];
        runs_[c].clear();
    }
    for (int pass = 0; pass < tuning_.passes; ++pass) {
        for (int c = 0; c < channels_; ++c) FitModels(c);
        for (int c = 0; c < channels_; ++c) Judge(c);
        std::vector<Runs> found(channels);
        for (int c = 0; c < channels_; ++c) found[c] = FindRuns(c);
        ShareRuns(found);
        if (pass + 1 < tuning_.passes) {
            // Only the models of the next pass see this pass's fills: attacks are kept out of
            // them, the finer judgements wait for the last pass.
            for (int c = 0; c < channels_; ++c) {
                Fill(c, found[c]);
                const std::size_t count = found[c].size();
                GrowPopsDropAttacks(c, found[c], false);
                if (found[c].size() != count) Fill(c, found[c]);
            }
            continue;
        }
        for (int c = 0; c < channels_; ++c) {
            Runs& runs = found[c];
            Fill(c, runs);
            GrowPopsDropAttacks(c, runs, true);
            Fill(c, runs);
            runs_[c] = KeepSettled(c, runs);
        }
        AlignRuns(runs_);
        for (int c = 0; c < channels_; ++c) {
            if (runs_[c] != found[c]) Fill(c, runs_[c]);
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
