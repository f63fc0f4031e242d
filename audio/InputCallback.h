#pragma once
// The recording stream's callback and the state it shares with the thread that runs the
// recording (the window's GUI thread, or velvane-cli's main thread).
//
// No toolkit, no PortAudio: tests call InputCallback directly with generated blocks.

#include <atomic>
#include <cstdint>

#include "audio/SampleWriter.h"
#include "sidefile/SideFormat.h"

enum class RecordingMode : std::int32_t { Stopped = 0, Recording = 1, Monitoring = 2 };

/// Why the callback ended a recording by itself.
enum class StopRequest : std::int32_t {
    None = 0,
    Quiet = 1,      ///< the automatic stop: 20 quiet probes in a row
    SizeLimit = 2,  ///< the largest size a WAV header can state was reached
    Length = 3,     ///< the length the owner asked for was recorded (velvane-cli --seconds)
};

constexpr std::uint32_t kCallbackFrames = 64;               ///< frames per callback
constexpr std::uint32_t kBlockBytes = kCallbackFrames * 4;  ///< 256 at 16-bit stereo
constexpr std::uint32_t kBlinkDivisor = 689;  ///< bytes captured a multiple of it: every 689th call
constexpr std::int32_t kQuietProbesToStop = 20;
constexpr std::int32_t kLoudProbe = 128;  ///< mean absolute sample of a probe that resets the count
/// The largest sample data that keeps both header sizes within 2147483647, in whole blocks.
constexpr std::uint64_t kMaxRecordingDataBytes = (2147483647ull - 36) / kBlockBytes * kBlockBytes;

constexpr int kCallbackContinue = 0;  ///< PortAudio's paContinue
constexpr int kCallbackStop = 1;      ///< PortAudio's paComplete

/// The recording state, one set per recording object. Each field names who writes it.
struct RecordingState {
    // --- Written by the owning thread, read by the callback ---
    std::atomic<RecordingMode> mode{RecordingMode::Stopped};
    std::atomic<bool> autoStop{false};
    /// The levels dialog is shown: the meter works (its controls exist).
    std::atomic<bool> meterShown{false};
    /// The dialog's slider position, 0..100, mirrored by the dialog on the GUI thread.
    std::atomic<int> sliderValue{50};
    /// Factor applied to every recorded sample. Set by the owner alone, before the mode
    /// becomes Recording (the levels dialog's last slider value, velvane-cli --gain).
    std::atomic<float> gain{1.0f};
    /// Where the recorded blocks go; set before the mode becomes Recording.
    SampleWriter* writer = nullptr;
    /// What the stream delivers and the file holds: 16-bit (as the default 44.1 kHz) or
    /// 24-bit (packed in 3 bytes) stereo at any rate. Set by the owner, with SetFormat,
    /// before the stream starts.
    SideFormat format;
    /// From SetFormat: bytes of one callback's block; the blink and probe interval in bytes
    /// captured (689 at 44.1 kHz 16-bit, about a second); frames per meter update (0.1 s);
    /// calls per recent-peaks update (about 0.1 s).
    std::uint32_t blockBytes = kBlockBytes;
    std::uint64_t blinkBytes = kBlinkDivisor;
    std::int32_t meterUpdateFrames = 4410;
    std::int32_t recentPeakCalls = 69;
    /// Recording stops by itself once this many sample bytes (whole frames) were captured,
    /// raising `limitRequest`: the format's limit, or a length the owner asked for.
    std::uint64_t maxDataBytes = kMaxRecordingDataBytes;
    StopRequest limitRequest = StopRequest::SizeLimit;

    // --- Written by the callback, read by the owner at any time ---
    /// Once-a-second ticks of this recording; odd: the status text is shown, even: blanks.
    std::atomic<std::uint32_t> blinks{0};
    std::atomic<StopRequest> stopRequest{StopRequest::None};
    /// Blocks PortAudio flagged with an input overflow (samples lost before they came).
    std::atomic<std::uint32_t> inputOverflows{0};
    /// Latest meter update (PackMeterReading) and how many updates there were.
    std::atomic<std::uint32_t> meterReading{0};
    std::atomic<std::uint32_t> meterUpdates{0};
    /// Peaks of the gained samples over the last ~0.1 s, 0 .. 32767: left << 16 | right. While
    /// recording, of the samples recorded; while monitoring, of the input with the slider's
    /// gain, at each meter update.
    std::atomic<std::uint32_t> recentPeaks{0};
    /// Sample bytes captured so far (bytesCaptured, published after each block).
    std::atomic<std::uint32_t> capturedBytes{0};

    // --- Callback only; the owner resets them before a stream starts and reads them
    //     after it has stopped ---
    std::uint64_t bytesCaptured = 0;
    std::int32_t quietChecks = 0;
    std::int32_t meterFrames = 0;
    std::int32_t leftPeak = 0;
    std::int32_t rightPeak = 0;
    std::int32_t peakCalls = 0;
    std::int32_t recentLeft = 0;
    std::int32_t recentRight = 0;

    /// Owner, while no callback runs: clears the counters for a new stream (mode Monitoring
    /// is set by the caller).
    void ResetForStream();
    /// Owner, while no callback runs: the format and what follows from it.
    void SetFormat(const SideFormat& f);
};

namespace audio {

/// Audio callback only: one call per 64 interleaved stereo frames (`input`, 128 samples of
/// state.format: 16-bit, or 24-bit packed in 3 bytes; null is taken as silence). Gain,
/// meter and the automatic stop's probe work alike at every format, the meter and the
/// probe on the samples' top 16 bits. `inputOverflow`: PortAudio flagged lost input before this
/// block. Returns kCallbackContinue, or kCallbackStop to end the stream (mode Stopped, or
/// a recording that stops by itself, see stopRequest). Never blocks, allocates or locks.
int InputCallback(const void* input, RecordingState& state, bool inputOverflow);

/// `sample` × `gain`, truncated toward zero and saturated to the 16-bit range.
std::int16_t ApplyGain(std::int16_t sample, float gain);
/// The same for a 24-bit sample, saturated to the 24-bit range.
std::int32_t ApplyGain24(std::int32_t sample, float gain);

}  // namespace audio
