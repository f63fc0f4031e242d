#include "cli/CliContext.h"

#include <algorithm>
#include <cstdio>

#include "audio/VoiceMessage.h"
#include "cli/Interrupt.h"
#include "platform/Paths.h"

// The settings fields hold menu ids, as a settings file does; an id outside its group means
// the group's fall-back, as in the window.
CliContext::CliContext(WindowState state, bool showProgress)
    : state_(std::move(state)),
      processing_(settings::ProcessingFromIds(state_.fields.rateId, state_.fields.fadeId,
                                              state_.fields.volumeId, state_.fields.eqId)),
      progress_(showProgress) {
    processing_.cdAudio = state_.fields.cdAudio == 1;
    processing_.repairLevel = state_.fields.repairStrength;
}

std::string CliContext::SidePath(Side side) {
    return side == Side::Two ? state_.fields.side2Path : state_.fields.side1Path;
}

std::string CliContext::TypedTime(Side side, int field) {
    if (field < 0 || field >= kTypedTimesPerSide) return "";
    return state_.fields.typedTimes[model::Index(side) * kTypedTimesPerSide + field];
}

int CliContext::EncoderRunsAtOnce() {
    return state_.encoderRuns > 0 ? state_.encoderRuns : JobContext::EncoderRunsAtOnce();
}

std::string CliContext::OutputFolder(Side side) {
    if (!state_.outDir.empty()) return state_.outDir;
    return platform::SplitDirectory(SidePath(side));
}

void CliContext::PlaceMarkers() {
    for (int i = 0; i < 2; ++i) {
        if (!state_.markers[i]) continue;
        SideState& side = sides_[i];
        side.cuts.fill(0);
        const std::vector<std::int32_t>& markers = *state_.markers[i];
        for (std::size_t k = 0; k < markers.size() && k < side.cuts.size(); ++k)
            side.cuts[k] = markers[k];
        side.cutCount = static_cast<std::uint32_t>(std::min(markers.size(), side.cuts.size()));
    }
}

void CliContext::PlayVoice(const std::string& fileName) {
    // A batch run stays silent unless --voice asked for the messages.
    if (state_.voice) audio::PlayVoiceMessage(fileName);
}

void CliContext::SetGauge(Gauge, int value) {
    // One bar: slicing and encoding take turns, each gauge giving the job's progress.
    gauge_ = value;
    progress_.Update(gauge_, status_);
}

void CliContext::SetStatus(const std::string& text) {
    status_ = text;
    progress_.Update(gauge_, status_);
}

void CliContext::ShowMessage(const std::string& caption, const std::string& text) {
    // One line: "caption: text", or the text alone when it already begins with the caption.
    std::string line = text.rfind(caption, 0) == 0 ? text : caption + ": " + text;
    for (char& c : line)
        if (c == '\n') c = ' ';
    while (!line.empty() && line.back() == ' ') line.pop_back();
    Error(line);
}

void CliContext::EncodingFailed(const std::string& command, const std::string& reason) {
    encoderFailed_ = true;
    Error("encoder failed (" + reason + "): " + command);
}

void CliContext::Error(const std::string& line) {
    progress_.Clear();
    std::fprintf(stderr, "velvane-cli: %s\n", line.c_str());
    std::fflush(stderr);
}

bool CliContext::TestDestroy() {
    return cli::Interrupted();
}

bool CliContext::StopRequested() {
    return cli::Interrupted();
}
