#include "repair/SegmentRepairer.h"

#include <algorithm>
#include <cmath>

namespace repair {

namespace {

// Mean absolute value to standard deviation, for Gaussian values.
constexpr float kMeanAbsToSigma = 1.2533f;
// The least scale of the statistic: about a step of 16-bit audio. Below it (digital silence,
// a fade's last samples) nothing is judged to stand out.
constexpr float kLeastScale = 3e-5f;
// A pop rises this far (power, 12 dB) above the music's envelope before it; after a pop or
// a click the envelope stays within this much (3 dB) of the one before.
constexpr double kPopRise = 16.0;
constexpr double kEnvelopeSettle = 2.0;
// An attack lifts the envelope by this much (9 dB) for longer than a click lasts.
constexpr double kAttackRise = 8.0;
// The envelope before a pop and after it is the loudest over this many pops' lengths.
constexpr std::size_t kEnvelopeSpan = 4;
// A run this close to one on another channel is the same click there.
constexpr std::size_t kPairReach = 2;
// A click rises at once and dies away: the sample before a run must stand out this much
// more than the one after it to join.
constexpr float kLeadFactor = 1.15f;
// A run's length, for the evidence it needs, counts the samples the fill moved by at least
// this share of its largest move (12 dB below): a click's faint tail adds samples the fill
// barely moves, music the model could not foresee is moved all along.
constexpr double kCoreShare = 0.25;

}  // namespace

SegmentRepairer::SegmentRepairer(const RepairTuning& tuning, int channels)
    : tuning_(tuning), ch_(static_cast<std::size_t>(channels)) {}

void SegmentRepairer::FitModels(Channel& ch) {
    const std::size_t block = tuning_.block;
    const std::size_t blocks = (n_ + block - 1) / block;
    ch.models.resize(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t begin = b * block >= block / 2 ? b * block - block / 2 : 0;
        const std::size_t end = std::min(n_, (b + 1) * block + block / 2);
        ch.models[b] = FitArModel(ch.repaired.data() + begin, end - begin, tuning_.order, fit_);
    }
}

void SegmentRepairer::Statistics(Channel& ch) {
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    ch.errors.assign(n_, 0.0f);
    ch.matched.assign(n_, 0.0f);
    if (n_ <= 2 * p) return;
    const std::size_t block = tuning_.block;
    for (std::size_t b = 0; b * block < n_; ++b) {
        const ArModel& model = ch.models[b];
        if (model.order == 0) continue;
        const std::size_t begin = std::max(b * block, p), end = std::min(n_, b * block + block);
        if (begin < end) ForwardErrors(model, ch.repaired.data(), begin, end, ch.errors.data());
    }
    // The matched filter of a one-sample click: every error it leaves, weighted as the model
    // spreads it. Music's own surprises (a note's start) leave one large error, which this
    // weighs far less than a click of the same error.
    for (std::size_t b = 0; b * block < n_; ++b) {
        const ArModel& model = ch.models[b];
        if (model.order == 0) continue;
        const std::size_t begin = std::max(b * block, p);
        const std::size_t end = std::min(n_ - p, b * block + block);
        if (begin < end) BackwardErrors(model, ch.errors.data(), begin, end, ch.matched.data());
    }
}

float SegmentRepairer::MeanAbs(const std::vector<float>& v, std::size_t begin, std::size_t end,
                               const Channel& ch) const {
    float sum = 0;
    std::size_t count = 0;
    for (std::size_t t = begin; t < end; ++t) {
        const bool valid = !ch.missing[t] && v[t] != 0.0f;
        sum += valid ? std::fabs(v[t]) : 0.0f;
        count += valid;
    }
    if (count < (end - begin + 1) / 2 || count == 0) return -1;
    return sum / static_cast<float>(count);
}

namespace {

// The median of the valid (non-negative) values among `count` at `v`; -1 when none.
float MedianOfValid(const float* v, std::size_t count) {
    float kept[16];
    std::size_t k = 0;
    for (std::size_t i = 0; i < count && k < 16; ++i) {
        if (v[i] >= 0) kept[k++] = v[i];
    }
    if (k == 0) return -1;
    std::sort(kept, kept + k);
    return k % 2 ? kept[k / 2] : 0.5f * (kept[k / 2 - 1] + kept[k / 2]);
}

float MeanSquareOf(const std::vector<float>& v, std::size_t begin, std::size_t end) {
    end = std::min(end, v.size());
    if (end <= begin) return 0;
    double sum = 0;
    for (std::size_t t = begin; t < end; ++t) sum += static_cast<double>(v[t]) * v[t];
    return static_cast<float>(sum / static_cast<double>(end - begin));
}

}  // namespace

void SegmentRepairer::Scales(Channel& ch) {
    // The statistic's scale at a sample is the larger of two robust scales, of the few
    // pieces just before its own and of those just after: a click stands far above both,
    // music's own attack only above the quiet before it.
    const std::size_t piece = tuning_.piece;
    const std::size_t pieces = n_ / piece + 1;
    pieceLevel_.resize(pieces);
    for (std::size_t k = 0; k < pieces; ++k) {
        pieceLevel_[k] = MeanAbs(ch.matched, k * piece, std::min(n_, (k + 1) * piece), ch);
    }
    const std::size_t w = tuning_.scalePieces;
    ch.scale.assign(pieces, kLeastScale);
    for (std::size_t k = 0; k < pieces; ++k) {
        const std::size_t lo = k >= w ? k - w : 0;
        const float before = MedianOfValid(pieceLevel_.data() + lo, k - lo);
        const std::size_t hi = std::min(pieces, k + 1 + w);
        const float after = MedianOfValid(pieceLevel_.data() + k + 1, hi - k - 1);
        const float both = std::max(before, after);
        if (both > 0) ch.scale[k] = std::max(kLeastScale, kMeanAbsToSigma * both);
    }
}

float SegmentRepairer::Score(const Channel& ch, std::size_t t) const {
    return std::fabs(ch.matched[t]) / ch.scale[t / tuning_.piece];
}

bool SegmentRepairer::LargestNear(const Channel& ch, std::size_t t, float score) const {
    // A click's statistic spreads to its neighbours as the model spreads it: the click is
    // where it peaks.
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    const std::size_t lo = std::max(p, t >= tuning_.peakReach ? t - tuning_.peakReach : 0);
    const std::size_t hi = std::min(n_ - p, t + tuning_.peakReach + 1);
    for (std::size_t u = lo; u < hi; ++u) {
        if (u == t || ch.missing[u]) continue;
        const float s = Score(ch, u);
        if (s > score || (s == score && u < t)) return false;
    }
    return true;
}

SegmentRepairer::Runs SegmentRepairer::RunsOf(const Channel& ch) const {
    Runs runs;
    for (std::size_t t = 0; t < n_; ++t) {
        if (!ch.missing[t]) continue;
        if (!runs.empty() && runs.back().end == t) {
            ++runs.back().end;
        } else {
            runs.push_back({t, t + 1});
        }
    }
    return runs;
}

bool SegmentRepairer::Join(Channel& ch, GrowingFill& fill, std::size_t u) {
    // A sample beyond twice the model's reach of the samples filled so far starts a fill of
    // its own: nothing ties the two. So does one past a fill of a few clicks' samples: the
    // scan's fill only has to be close, the final fill is done jointly.
    constexpr std::size_t kLargestFill = 64;
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    const std::size_t block = u / tuning_.block;
    if (fill.Empty() || u > fill.Highest() + 2 * p || fill.Size() >= kLargestFill ||
        block != ch.fillBlock) {
        fill.Start(ch.correlations[block]);
        ch.fillBlock = block;
    }
    if (fill.Consider(u) <= 0) return false;
    fill.AddConsidered(ch.repaired.data(), ch.matched.data(), n_);
    ch.missing[u] = 1;
    ch.joined[u] = 1;
    return true;
}

void SegmentRepairer::Absorb(Channel& ch, GrowingFill& fill, std::size_t upTo) {
    // Samples found missing in an earlier pass join the fill as the scan reaches them.
    upTo = std::min(upTo, n_);
    for (; ch.absorbed < upTo; ++ch.absorbed) {
        if (ch.missing[ch.absorbed] && !ch.joined[ch.absorbed]) {
            ch.missing[ch.absorbed] = 0;
            if (!Join(ch, fill, ch.absorbed)) ch.missing[ch.absorbed] = 1;
        }
    }
}

void SegmentRepairer::Grow(std::size_t c, std::size_t begin, std::size_t end) {
    // Once a run is filled, a neighbour that still stands out, given how little the run
    // leaves it free to move, is damage too: the one that stands out most joins, and again.
    Channel& ch = ch_[c];
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    for (;;) {
        while (begin > p && ch.missing[begin - 1]) --begin;
        while (end < n_ - p && ch.missing[end]) ++end;
        if (end - begin >= tuning_.shortRun) return;
        Absorb(ch, ch.fill, end + p);
        float best = 0;
        std::size_t at = 0;
        for (const std::size_t v : {begin - 1, end}) {
            if (v < p || v >= n_ - p || ch.kept[v] || ch.missing[v]) continue;
            const double free = ch.fill.Consider(v);
            if (free <= 0) continue;
            const float needed = tuning_.extendThreshold * (v < begin ? kLeadFactor : 1.0f);
            const float z = Score(ch, v) *
                            static_cast<float>(std::sqrt(ch.fill.Correlation().r[0] / free)) /
                            needed;
            if (z > std::max(1.0f, best)) best = z, at = v;
        }
        if (at == 0 || !Join(ch, ch.fill, at)) return;
        begin = std::min(begin, at);
        end = std::max(end, at + 1);
    }
}

bool SegmentRepairer::Quiet(std::size_t begin, std::size_t end) const {
    // Most of the music: no sample missing, none standing out (the piece has one scale).
    for (const Channel& ch : ch_) {
        const float most = tuning_.threshold * ch.scale[begin / tuning_.piece];
        float largest = 0;
        std::uint8_t anyMissing = 0;
        for (std::size_t t = begin; t < end; ++t) {
            largest = std::max(largest, std::fabs(ch.matched[t]));
            anyMissing |= ch.missing[t];
        }
        if (anyMissing || largest > most) return false;
    }
    return true;
}

bool SegmentRepairer::Scan() {
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    for (Channel& ch : ch_) {
        ch.fill.Start(FilterCorrelation{});
        ch.absorbed = 0;
        ch.joined.assign(n_, 0);
        ch.correlations.resize(ch.models.size());
        for (std::size_t b = 0; b < ch.models.size(); ++b) {
            ch.correlations[b] = CorrelationOf(ch.models[b]);
        }
    }
    if (n_ <= 2 * p) return false;
    bool found = false;
    for (std::size_t t = p; t < n_ - p; ++t) {
        if (t % tuning_.piece == 0 && Quiet(t, std::min(n_ - p, t + tuning_.piece))) {
            t += tuning_.piece - 1;
            continue;
        }
        for (std::size_t c = 0; c < ch_.size(); ++c) {
            Channel& ch = ch_[c];
            if (ch.kept[t]) continue;
            if (ch.missing[t]) {
                // A run of an earlier pass: it may grow now that the models are cleaner.
                if (t >= ch.absorbed) {
                    Absorb(ch, ch.fill, t + 1);
                    Grow(c, t, t + 1);
                }
                continue;
            }
            const float s = Score(ch, t);
            if (s <= tuning_.threshold || !LargestNear(ch, t, s)) continue;
            Absorb(ch, ch.fill, t + p);
            if (!Join(ch, ch.fill, t)) continue;
            found = true;
            Grow(c, t, t + 1);
            std::size_t begin = t, end = t + 1;
            while (ch.missing[begin - 1]) --begin;
            while (ch.missing[end]) ++end;
            // The same click on the other channels, if fainter there.
            for (std::size_t o = 0; o < ch_.size(); ++o) {
                Channel& other = ch_[o];
                if (o == c) continue;
                float most = tuning_.pairedThreshold;
                std::size_t at = 0;
                for (std::size_t u = std::max(p, begin - 2); u < std::min(n_ - p, end + 2); ++u) {
                    if (other.missing[u] || other.kept[u]) continue;
                    const float z = Score(other, u);
                    if (z > most) most = z, at = u;
                }
                if (at == 0) continue;
                Absorb(other, other.fill, at + p);
                if (Join(other, other.fill, at)) Grow(o, at, at + 1);
            }
        }
    }
    return found;
}

void SegmentRepairer::FillAll(Channel& ch) {
    ch.repaired = ch.original;
    const Runs runs = RunsOf(ch);
    const std::size_t p = static_cast<std::size_t>(tuning_.order);
    std::size_t i = 0;
    while (i < runs.size()) {
        // Runs within the model's reach of each other are filled together, up to a block.
        std::size_t j = i + 1;
        while (j < runs.size() && runs[j].begin <= runs[j - 1].end + p &&
               runs[j].end - runs[i].begin <= tuning_.block) {
            ++j;
        }
        missingList_.clear();
        for (std::size_t r = i; r < j; ++r) {
            for (std::size_t t = runs[r].begin; t < runs[r].end; ++t) missingList_.push_back(t);
        }
        const ArModel& model = ModelAt(ch, runs[i].begin);
        if (model.order > 0) {
            InterpolateMissing(model, missingList_, ch.repaired.data(), interpolation_);
        }
        i = j;
    }
}

SegmentRepairer::Evidence SegmentRepairer::EvidenceOf(const Channel& ch, FrameRange run) {
    // How much the fill lowered the model's cost (the summed squared forward errors), and
    // the power of the errors around the run: its mean, not its median, so that music
    // bursty all around gives a burst no credit.
    const ArModel& model = ModelAt(ch, run.begin);
    const std::size_t p = static_cast<std::size_t>(model.order);
    Evidence evidence;
    if (p == 0) return evidence;
    const std::size_t reach = std::min(n_ - p, run.end + p);
    const std::size_t from = run.begin - p;
    scratch_.assign(ch.repaired.begin() + static_cast<std::ptrdiff_t>(from),
                    ch.repaired.begin() + static_cast<std::ptrdiff_t>(reach));
    for (std::size_t t = run.begin; t < run.end; ++t) scratch_[t - from] = ch.original[t];
    double before = 0, after = 0;
    for (std::size_t t = run.begin; t < reach; ++t) {
        double eo = scratch_[t - from], ef = ch.repaired[t];
        for (std::size_t k = 1; k <= p; ++k) {
            eo -= model.a[k - 1] * scratch_[t - k - from];
            ef -= model.a[k - 1] * ch.repaired[t - k];
        }
        before += eo * eo;
        after += ef * ef;
    }
    evidence.gain = before - after;
    // The larger of the errors' powers before and after the run: a click stands out of the
    // music on both sides, an attack only out of the quiet before it.
    const std::size_t w = tuning_.evidenceWindow;
    auto power = [&](std::size_t begin, std::size_t end) {
        double sum = 0;
        std::size_t count = 0;
        for (std::size_t t = begin; t < end; ++t) {
            if (ch.missing[t]) continue;
            sum += static_cast<double>(ch.errors[t]) * ch.errors[t];
            ++count;
        }
        return count ? sum / static_cast<double>(count) : 0.0;
    };
    evidence.power = std::max(power(std::max(p, run.begin - std::min(run.begin, w)), run.begin),
                              power(reach, std::min(n_, reach + w)));
    return evidence;
}

bool SegmentRepairer::FindPops(Channel& ch) {
    // A pop is a sound that rises far above the music's envelope (the loudest it has been
    // for a while, a bass note's every swing included), is gone within a pop's length and
    // leaves the envelope as it was: much of it too smooth for the model to tell from music,
    // so it is found by its level. A drum or a plucked string stays loud for far longer, or
    // lifts the envelope after it.
    const std::size_t piece = tuning_.popPiece;
    const std::size_t pieces = Envelope(ch);
    const std::size_t longest = tuning_.longestRun / piece;  // pieces of a pop's length
    const std::size_t window = kEnvelopeSpan * longest;      // and of the envelope's
    const std::size_t p = static_cast<std::size_t>(tuning_.order) / piece + 1;
    bool found = false;
    for (std::size_t k = window + longest + p; k + longest + window + p < pieces; ++k) {
        // The envelope before anything of a pop that could have risen to this piece.
        const double envelope = Loudest(k - longest - window, k - longest);
        if (envelope <= 0 || envelope_[k] <= kPopRise * envelope) continue;
        std::size_t begin = k;
        while (begin > k - longest && envelope_[begin - 1] > envelope) --begin;
        // It ends after its last piece above the envelope (its low swings cross zero), within
        // a pop's length.
        std::size_t end = k + 1;
        for (std::size_t j = end; j < begin + longest; ++j) {
            if (envelope_[j] > envelope) end = j + 1;
        }
        if (Loudest(end, end + window) > kEnvelopeSettle * envelope) {
            k = end;  // louder after: music
            continue;
        }
        for (std::size_t t = begin * piece; t < end * piece; ++t) ch.missing[t] = 1;
        found = true;
        k = end;
    }
    return found;
}

std::size_t SegmentRepairer::Envelope(const Channel& ch) {
    const std::size_t piece = tuning_.popPiece;
    const std::size_t pieces = n_ / piece;
    envelope_.resize(pieces);
    for (std::size_t k = 0; k < pieces; ++k) {
        envelope_[k] = MeanSquareOf(ch.repaired, k * piece, (k + 1) * piece);
    }
    return pieces;
}

double SegmentRepairer::Loudest(std::size_t begin, std::size_t end) const {
    end = std::min(end, envelope_.size());
    if (begin >= end) return 0;
    return *std::max_element(envelope_.begin() + static_cast<std::ptrdiff_t>(begin),
                             envelope_.begin() + static_cast<std::ptrdiff_t>(end));
}

bool SegmentRepairer::Paired(const Channel& ch, FrameRange run) const {
    const std::size_t begin = run.begin - std::min(run.begin, kPairReach);
    const std::size_t end = std::min(n_, run.end + kPairReach);
    for (const Channel& other : ch_) {
        if (&other == &ch) continue;
        for (std::size_t t = begin; t < end; ++t) {
            if (other.missing[t]) return true;
        }
    }
    return false;
}

std::size_t SegmentRepairer::CoreLength(const Channel& ch, FrameRange run) const {
    double largest = 0;
    for (std::size_t t = run.begin; t < run.end; ++t) {
        const double move = ch.original[t] - ch.repaired[t];
        largest = std::max(largest, move * move);
    }
    std::size_t count = 0;
    for (std::size_t t = run.begin; t < run.end; ++t) {
        const double move = ch.original[t] - ch.repaired[t];
        count += move * move >= kCoreShare * kCoreShare * largest;
    }
    return count;
}

bool SegmentRepairer::Validate(Channel& ch) {
    // A click stands out of the music around it by far more than the music's own bursts do,
    // and leaves the music's envelope as it was: a run after which the envelope stays higher
    // is an attack (a plucked string, a drum) that the model could not foresee.
    const std::size_t piece = tuning_.popPiece;
    const std::size_t longest = tuning_.longestRun / piece;
    const std::size_t window = kEnvelopeSpan * longest;
    Envelope(ch);
    bool changed = false;
    for (const FrameRange& run : RunsOf(ch)) {
        const std::size_t length = run.end - run.begin;
        // The envelope once the longest click starting here would be over, against the one
        // before the run.
        const std::size_t first = run.begin / piece, after = first + longest + 1;
        bool music = length > tuning_.longestRun ||
                     Loudest(after, after + longest) >
                         kAttackRise * Loudest(first - std::min(first, window), first);
        if (!music) {
            const Evidence evidence = EvidenceOf(ch, run);
            double needed = CoreLength(ch, run) >= tuning_.longEvidenceFrom ? tuning_.longEvidence
                                                                            : tuning_.evidence;
            // A click beside one on another channel (most clicks on a record reach both) needs
            // less evidence, in the ratio of the thresholds that find the two.
            if (Paired(ch, run)) needed *= tuning_.pairedThreshold / tuning_.threshold;
            music = evidence.gain < needed * evidence.power * static_cast<double>(length);
        }
        changed |= music;
        if (!music) continue;
        for (std::size_t t = run.begin; t < run.end; ++t) ch.missing[t] = 0, ch.kept[t] = 1;
    }
    return changed;
}

void SegmentRepairer::Repair(const float* interleaved, std::size_t frames, std::uint64_t firstFrame,
                             FrameRange own, float* out, std::vector<ClickSpan>& spans) {
    n_ = frames;
    const std::size_t channels = ch_.size();
    for (std::size_t c = 0; c < channels; ++c) {
        Channel& ch = ch_[c];
        ch.original.resize(n_);
        for (std::size_t t = 0; t < n_; ++t) ch.original[t] = interleaved[t * channels + c];
        ch.repaired = ch.original;
        ch.missing.assign(n_, 0);
        ch.kept.assign(n_, 0);
    }
    for (int pass = 0; pass < tuning_.passes; ++pass) {
        for (Channel& ch : ch_) {
            FitModels(ch);
            if (pass > 0) FillAll(ch);
            Statistics(ch);
        }
        for (int it = 0; it < tuning_.iterations; ++it) {
            for (Channel& ch : ch_) Scales(ch);
            if (!Scan()) break;
        }
        for (Channel& ch : ch_) {
            FillAll(ch);
            if (pass + 1 < tuning_.passes) continue;
            Statistics(ch);
            if (Validate(ch)) FillAll(ch);
            if (FindPops(ch)) {
                // Models free of the pops fill them better.
                FillAll(ch);
                FitModels(ch);
                FillAll(ch);
            }
        }
    }
    for (std::size_t t = own.begin; t < own.end; ++t) {
        for (std::size_t c = 0; c < channels; ++c) {
            out[(t - own.begin) * channels + c] = ch_[c].repaired[t];
        }
    }
    // One span per run of frames with any channel repaired, given by the segment it starts in.
    auto any = [&](std::size_t t) {
        for (const Channel& ch : ch_) {
            if (ch.missing[t]) return true;
        }
        return false;
    };
    std::size_t t = own.begin;
    while (t > 0 && t < n_ && any(t) && any(t - 1)) ++t;
    while (t < own.end) {
        if (!any(t)) {
            ++t;
            continue;
        }
        std::size_t end = t + 1;
        while (end < n_ && any(end)) ++end;
        spans.push_back({firstFrame + t, static_cast<std::uint32_t>(end - t)});
        t = end;
    }
}

}  // namespace repair
