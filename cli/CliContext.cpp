#include "cli/CliContext.h"

#include <algorithm>
#include <cstdio>

#include "audio/VoiceMessage.h"
#include "cli/Interrupt.h"
#include "engine/MenuSettings.h"
#include "platform/Paths.h"

namespace {
int InGroup(int id, int first, int last, int fallback) {
    return id >= first && id <= last ? id : fallback;
}
}  // namespace

CliContext::CliContext(WindowState state, bool showProgress)
    : state_(std::move(state)), progress_(showProgress) {
    TuneTreble(treble_, menu::BoostLevelForEqId(state_.fields.eqId));
}

int CliContext::SelectedFadeId() {
    return InGroup(state_.fields.fadeId, menu::kFadeFirst, menu::kFadeLast, menu::kFadeDefault);
}
int CliContext::SelectedVolumeId() {
    return InGroup(state_.fields.volumeId, menu::kVolumeKeep, menu::kVolumeNormalize,
                   menu::kVolumeKeep);
}
int CliContext::SelectedEqId() {
    return InGroup(state_.fields.eqId, menu::kEqFirst, menu::kEqLast, menu::kEqDefault);
}
int CliContext::SelectedRateId() {
    return InGroup(state_.fields.rateId, menu::kRateFirst, menu::kRateLast, menu::kRateDefault);
}

std::string CliContext::SidePath(int side) {
    return side == 2 ? state_.fields.side2Path : state_.fields.side1Path;
}

std::string CliContext::TypedTimeText(int field) {
    return field >= 0 && field < 20 ? state_.fields.typedTimes[field] : std::string();
}

std::string CliContext::OutputFolder(int side) {
    if (!state_.outDir.empty()) return state_.outDir;
    return platform::SplitDirectory(SidePath(side));
}

SideState CliContext::Side(int side) {
    return sides_[Index(side)];
}

void CliContext::PublishSide(int side, const SideState& state) {
    sides_[Index(side)] = state;
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
    if (state_.voice) PlayVoiceMessage(fileName);
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
    return Interrupted();
}

bool CliContext::StopRequested() {
    return Interrupted();
}
