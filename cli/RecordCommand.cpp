// velvane-cli record: the window's recording without a screen. The same Recorder, callback,
// buffering, automatic stop and file handling; the terminal shows a progress line (elapsed
// time, each channel's level in dBFS, a clip mark that stays once a sample clipped) instead
// of the levels dialog, and a summary line instead of the "Audio Recorded" message.

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "audio/AudioStream.h"
#include "audio/InputDevices.h"
#include "audio/MeterScale.h"
#include "audio/PortAudioSession.h"
#include "audio/Recorder.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "sidefile/WaveFile.h"

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

// The progress line, rewritten in place; the clip mark stays once a sample clipped.
class ProgressLine {
  public:
    void Show(const RecordingState& state) {
        const std::uint32_t peaks = state.recentPeaks.load(std::memory_order_relaxed);
        const double now =
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        left_.Update(static_cast<std::int32_t>(peaks >> 16), now);
        right_.Update(static_cast<std::int32_t>(peaks & 0xFFFF), now);
        const std::uint64_t frames =
            state.capturedBytes.load(std::memory_order_relaxed) / state.format.BytesPerFrame();
        // Trailing spaces wipe what a longer line left.
        std::fprintf(
            stderr, "\r%s    ",
            audio::RecordingProgressLine(frames, state.format.sampleRate, left_.Level(),
                                         right_.Level(), left_.Clipped() || right_.Clipped())
                .c_str());
        std::fflush(stderr);
    }

  private:
    MeterChannel left_;
    MeterChannel right_;
};

std::string Reason(const RecordingSummary& summary) {
    switch (summary.cause) {
        case StopCause::Quiet:
            return "stopped after about 20 s of near-silence";
        case StopCause::SizeLimit:
            return "stopped at the largest size a wave file can hold";
        case StopCause::WriteError:
            return "stopped: the file could not be written";
        case StopCause::Length:
        case StopCause::Button:
            break;
    }
    return "";
}

// What was lost on the way, "" when nothing: worth a word even with --quiet.
std::string Losses(const RecordingSummary& summary) {
    std::string text;
    if (summary.inputOverflows > 0)
        text += ", " + std::to_string(summary.inputOverflows) + " input overflows";
    if (summary.framesLost > 0)
        text += ", " + std::to_string(summary.framesLost) + " frames lost (disk too slow)";
    return text;
}

void PrintSummary(const std::string& path, const RecordingSummary& summary, bool quiet,
                  std::uint32_t rate) {
    if (quiet) {
        if (const std::string losses = Losses(summary); !losses.empty())
            std::fprintf(stderr, "velvane-cli: %s: audio was lost%s\n", path.c_str(),
                         losses.c_str());
        return;
    }
    std::string line = path + ": " + std::to_string(summary.framesWritten) + " frames (" +
                       audio::SecondsText(summary.framesWritten, rate) + ") recorded";
    const std::string reason = Reason(summary);
    if (!reason.empty()) line += ", " + reason;
    line += Losses(summary);
    std::printf("%s\n", line.c_str());
}

}  // namespace

int cli::RunRecord(const CliOptions& options) {
    PortAudioSession session;
    if (!session.Ok()) {
        std::fprintf(stderr, "velvane-cli: the sound system cannot be started\n");
        return kExitFileError;
    }
    // The Input menu's items: the first eight stereo inputs.
    std::vector<StereoInput> inputs = audio::ListStereoInputs();
    if (inputs.size() > kMaxInputMenuItems) inputs.resize(kMaxInputMenuItems);
    if (options.listDevices) {
        for (std::size_t k = 0; k < inputs.size(); ++k)
            std::printf("%zu: %s\n", k + 1, audio::InputMenuLabel(inputs[k].name).c_str());
        return kExitOk;
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "velvane-cli: there is no stereo input to record from\n");
        return kExitFileError;
    }
    const int item = options.device.value_or(1);
    if (item > static_cast<int>(inputs.size())) {
        std::fprintf(stderr, "velvane-cli: --device %d: there %s only %zu stereo input%s\n", item,
                     inputs.size() == 1 ? "is" : "are", inputs.size(),
                     inputs.size() == 1 ? "" : "s");
        return kExitUsage;
    }
    const StereoInput& input = inputs[item - 1];
    const std::string& path = options.sides.front();
    // A recording of a worn record may not be repeatable: never replaced unasked.
    if (const int status =
            RefuseExistingUnforced(path, options.force, "record", "the new recording has started");
        status != kExitOk)
        return status;

    Recorder recorder(std::make_unique<AudioStream>());
    RecordSettings settings;
    settings.gain = options.gain.value_or(1.0f);
    settings.autoStop = options.autoStop;
    settings.format.sampleRate = options.recordRate.value_or(kCdFormat.sampleRate);
    settings.format.encoding =
        options.recordBits.value_or(16) == 24 ? SampleEncoding::Int24 : SampleEncoding::Int16;
    const std::uint32_t rate = settings.format.sampleRate;
    if (options.seconds)
        settings.maxFrames = static_cast<std::uint64_t>(std::llround(*options.seconds * rate));
    switch (recorder.OpenRecording(path, input.device, settings)) {
        case OpenResult::Ok:
            break;
        case OpenResult::LibraryFailed:
            std::fprintf(stderr, "velvane-cli: the sound system cannot be started\n");
            return kExitFileError;
        case OpenResult::FileFailed:
            std::fprintf(stderr, "velvane-cli: %s: cannot create the file (%s)\n", path.c_str(),
                         std::strerror(errno));
            return kExitFileError;
        case OpenResult::InvalidInput:
            std::fprintf(stderr, "velvane-cli: %s cannot record %s\n",
                         audio::InputMenuLabel(input.name).c_str(), settings.format.Text().c_str());
            return kExitFileError;
    }
    const bool levelLine = !options.quiet && isatty(STDERR_FILENO);
    ProgressLine progress;
    while (recorder.IsRecording()) {
        if (recorder.Poll()) break;
        if (Interrupted()) {
            recorder.Stop();
            break;
        }
        if (levelLine) progress.Show(recorder.State());
        std::this_thread::sleep_for(kPollInterval);
    }
    if (levelLine) std::fputc('\n', stderr);

    const RecordingSummary& summary = recorder.Summary();
    PrintSummary(path, summary, options.quiet, rate);
    if (!summary.fileOk) {
        std::fprintf(stderr,
                     "velvane-cli: %s: the file could not be written completely (disk full?); "
                     "it holds the first %s\n",
                     path.c_str(), audio::SecondsText(summary.framesWritten, rate).c_str());
        return kExitFileError;
    }
    return kExitOk;
}
