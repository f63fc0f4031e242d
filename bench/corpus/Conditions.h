#pragma once
// The conditions a corpus side is made under: what real transfers bring, each on sides of
// its own so that the score can be read per condition. They come in two halves of matching
// kinds: the detector is tuned on the first, and the second is scored untouched, to see how
// it does on what it was not tuned for.

#include <array>
#include <optional>
#include <string>

namespace corpus {

enum class Condition {
    // Tuning half.
    CleanVinyl,      ///< a record in fair shape: some crackle, a short lead-in
    PreNeedle,       ///< the recording starts seconds before the needle drops
    HeavyCrackle,    ///< 25 to 60 clicks a second, pops up to 5 ms
    TapeLeader,      ///< a cassette whose leader passes first: near-silence, a splice click
    DigitalSilence,  ///< a CD-R transfer: gaps, lead-in and run-out of digital zero
    Hum,             ///< mains hum at 50 or 60 Hz with harmonics
    OutOfPhase,      ///< one channel wired the wrong way round: right = -left
    FadeToFloor,     ///< songs that fade out slowly to the noise floor
    QuietClassical,  ///< orchestral pieces with long quiet passages
    Wow,             ///< a warped or slipping drive: the pitch wavers
    /// A live album: applause after each song, counted with the song. Where it dies away
    /// before the next song, the quiet between is a gap to cut; where the next song starts
    /// into it, no cut is expected: the truth joins the two songs, since a cut inside
    /// continuous applause has no place a listener would agree on.
    LiveApplause,
    // Held-out half.
    CleanCassette,  ///< a cassette in fair shape: hiss, a short lead-in
    PostLift,       ///< the recording runs on long after the needle lifts
    InwardNoise,    ///< surface noise rising 6 to 10 dB toward the centre of the record
    TapeEnd,        ///< the tape runs out: hiss long after the last song, then its leader
    Gated,          ///< a gated recording: digital zero wherever no song plays
    Low,            ///< the whole transfer recorded 30 dB too low
    DeadChannel,    ///< one channel silent all through
    SoftStart,      ///< songs that start softly, fading in over seconds
    SoftEnding,     ///< songs that end in a long quiet outro, then a plain gap
    Dropouts,       ///< a worn tape: the level drops for moments inside songs
    Segues,         ///< songs joined by gaps under a second
};

constexpr int kConditions = 22;
constexpr int kTuningConditions = 11;  ///< the first 11 form the tuning half

/// The condition's name in ground truths and tables (lower case, hyphens).
const char* ConditionName(Condition condition);
/// The condition named so; nullopt for an unknown name.
std::optional<Condition> ConditionNamed(const std::string& name);
inline bool HeldOut(Condition condition) {
    return static_cast<int>(condition) >= kTuningConditions;
}

}  // namespace corpus
