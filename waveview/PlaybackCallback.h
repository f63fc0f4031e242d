#pragma once
// Preview playback: a stretch of a side, played 64 frames per audio callback and processed
// on the way as the slice writer processes slices: treble boost, Normalize gain, fade in
// (beginning of a song) or fade out (end of a song). No toolkit headers.

#include <cstdint>

#include "model/Side.h"
#include "settings/ProcessingSettings.h"
#include "slice/TrebleFilter.h"

/// The window's settings the preview reads. The menu settings are read at every callback
/// on the audio callback's thread, so implementations read atomics only (no locks, no
/// allocation); a side's peak is read on the GUI thread when playback starts.
class PlaybackSettings {
  public:
    virtual ~PlaybackSettings() = default;
    /// Fade, Normalize and treble boost as the user has them now.
    virtual ProcessingSettings Processing() const = 0;
    /// The side's peak. GUI thread only: the side's record is the GUI's.
    virtual float PeakLevel(Side side) const = 0;
};

/// The fade-out of end mode ends here: the frame of the listen window where the cut was
/// when the dialog opened (5 s in: 220500 at 44.1 kHz).
constexpr std::uint32_t kFadeOutEndFrame = 220500;

/// What a playback stream plays. The GUI thread fills it while no stream runs; the audio
/// callback then owns it until the stream is stopped.
struct PlaybackState {
    const std::int16_t* left = nullptr;   ///< first left sample; owned by the caller
    const std::int16_t* right = nullptr;  ///< first right sample; owned by the caller
    std::uint32_t size = 0;               ///< frames in the stretch
    std::uint32_t position = 0;           ///< frames played so far
    bool endMode = false;  ///< true: end of a song (fade out); false: beginning (fade in)
    std::uint32_t sampleRate = 44100;  ///< of the stretch, as played
    Side playSide = Side::One;         ///< whose peak gives the Normalize gain
    float peakLevel = 0;               ///< playSide's peak when playback started; 0: gain 1
    const PlaybackSettings* settings = nullptr;

    /// The preview's own treble filter, so that listening never disturbs the history of
    /// the filter a running job uses. It follows the EQ level at every callback.
    TrebleFilter treble;
};

/// How playback treats each frame of one callback, as the slice writer treats a slice's.
struct FrameTreatment {
    float level = 0;      ///< treble boost level; the filter runs above 0.01
    float gain = 1;       ///< Normalize: 1 / the side's peak; 1 without it (or a peak of 0)
    bool fading = false;  ///< a fade factor applies
    float factor = 1;     ///< the fade factor, for the whole callback
};

namespace waveview {

/// The treatment of `settings` for a side whose peak is `peakLevel`, without a fade.
FrameTreatment TreatmentOf(const ProcessingSettings& settings, float peakLevel);

/// One stereo frame treated into out[0], out[1]: through `treble` when it boosts, then the
/// gain and the fade factor, saturated to 16 bits. Audio callback thread: no allocation.
void TreatFrame(std::int16_t left, std::int16_t right, TrebleFilter& treble,
                const FrameTreatment& treatment, std::int16_t* out);

/// Writes 64 interleaved stereo frames of the PlaybackState `user` into `out` and returns
/// 0 (go on). Once position + 64 reaches size it writes silence and leaves position where
/// it is, so the stream runs on silently until stopped. Output is saturated to 16 bits;
/// the fade-out never goes below silence; a peak of 0 plays at gain 1.
/// Audio callback thread: no allocation, no locks, no file access.
int PlaybackCallback(std::int16_t* out, void* user);

}  // namespace waveview
