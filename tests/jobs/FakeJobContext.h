#pragma once
// A JobContext for tests: settings and controls are plain fields, everything the job shows
// is recorded in order, and stops can be triggered from a hook (FakeControlOf). Header-only
// so that any test program can use it.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jobs/JobContext.h"
#include "platform/Paths.h"
#include "tests/support/FakeWorkControl.h"

class FakeJobContext : public FakeControlOf<JobContext, FakeJobContext> {
  public:
    // --- Controls (set by the test); the menus' settings: FakeControlOf ---
    std::array<std::string, 3> sidePaths;      ///< [1], [2]
    std::array<std::string, 3> outputFolders;  ///< "" = the side file's folder
    int cutsHow = 0;
    std::array<std::optional<int>, 3> songCounts;  ///< [1], [2]: Smart Sense's song counts
    double minSongSeconds = 20;
    std::string silenceText = "2";
    std::array<std::string, 20> typedTimes;
    bool createEncoded = false, voiceAfterEncoding = false, deleteSlices = false;
    bool voiceAfterSlicing = false;
    int encoderKind = -1;
    std::string encoderPath;
    int encoderRuns = 1;  ///< EncoderRunsAtOnce: one after the other unless a test asks
    std::array<SideState, 3> sides;
    bool wavesDrawn = false;
    bool slicing = false;
    AlbumInfo album;
    std::optional<std::size_t> markersCounted;  ///< unset: the window's rule

    // --- What the job did, in order ---
    std::vector<std::string> events;  ///< "status:T", "message:C|T", "voice:F", "refresh", ...
    std::vector<int> published;       ///< sides, in the order PublishSide was called

    std::vector<std::string> Events(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& e : events)
            if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
        return out;
    }

    // --- JobContext ---
    TrebleFilter& Treble() override { return treble; }
    std::string SidePath(Side side) override { return sidePaths.at(model::Number(side)); }
    CutMethod Method() override { return model::CutMethodOf(cutsHow); }
    std::optional<int> SongCount(Side side) override { return songCounts.at(model::Number(side)); }
    double MinSongSeconds() override { return minSongSeconds; }
    std::string SilenceText() override { return silenceText; }
    void SetSilenceText(const std::string& text) override {
        silenceText = text;
        events.push_back("silence:" + text);
    }
    std::string TypedTime(Side side, int field) override {
        return typedTimes.at(model::Index(side) * kTypedTimesPerSide + field);
    }
    bool CreateEncodedFiles() override { return createEncoded; }
    bool VoiceAfterEncoding() override { return voiceAfterEncoding; }
    bool DeleteWaveSlices() override { return deleteSlices; }
    bool VoiceAfterSlicing() override { return voiceAfterSlicing; }
    std::optional<EncoderKind> EncoderChoice() override {
        return model::EncoderKindOf(encoderKind);
    }
    std::string EncoderPath() override { return encoderPath; }
    int EncoderRunsAtOnce() override { return encoderRuns; }
    std::size_t MarkersCounted(CutMethod method) override {
        return markersCounted ? *markersCounted : JobContext::MarkersCounted(method);
    }
    AlbumInfo Album() override { return album; }
    std::string OutputFolder(Side side) override {
        const std::string& folder = outputFolders.at(model::Number(side));
        return folder.empty() ? platform::SplitDirectory(sidePaths.at(model::Number(side)))
                              : folder;
    }
    SideState SideData(Side side) override { return sides.at(model::Number(side)); }
    void PublishSide(Side side, const SideState& state) override {
        sides.at(model::Number(side)) = state;
        published.push_back(model::Number(side));
    }
    bool WavesDrawn() override { return wavesDrawn; }
    void SetWavesDrawn(bool drawn) override { wavesDrawn = drawn; }
    void SetSlicing(bool on) override {
        slicing = on;
        events.push_back(on ? "slicing:on" : "slicing:off");
    }
    void RefreshCanvas() override { events.push_back("refresh"); }
    void PlayVoice(const std::string& fileName) override { events.push_back("voice:" + fileName); }
    void SetStatus(const std::string& text) override { events.push_back("status:" + text); }
    void ShowMessage(const std::string& caption, const std::string& text) override {
        events.push_back("message:" + caption + "|" + text);
    }
};
