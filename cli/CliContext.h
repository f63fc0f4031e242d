#pragma once
// velvane-cli's side of the jobs: the window state of the run stands in for the controls
// and menus, progress goes to a terminal progress bar, messages to standard error, and
// Ctrl+C is the Stop button. The jobs run on the main thread, which is the only caller.

#include <array>
#include <string>
#include <vector>

#include "cli/ProgressBar.h"
#include "cli/WindowState.h"
#include "jobs/JobContext.h"
#include "model/SideState.h"
#include "slice/TrebleFilter.h"

/// Markers the command line's marker job cuts at: every one of a side's table, since they
/// are the tracks of a cut list or --markersN, not markers placed with the mouse.
constexpr std::size_t kCliMarkersCounted = kMaxCuts;

class CliContext final : public JobContext {
  public:
    /// The processing settings are those of the state's menu ids, for the whole run.
    CliContext(WindowState state, bool showProgress);

    ProcessingSettings Processing() override { return processing_; }
    TrebleFilter& Treble() override { return treble_; }

    std::string SidePath(Side side) override;
    CutMethod Method() override { return model::CutMethodOf(state_.fields.cutsHow); }
    std::optional<int> SongCount(Side side) override { return state_.songs[model::Index(side)]; }
    double MinSongSeconds() override { return state_.minSongSeconds; }
    bool TrimToMusic() override { return state_.trim; }
    std::string SilenceText() override { return state_.fields.silenceSeconds; }
    void SetSilenceText(const std::string& text) override { state_.fields.silenceSeconds = text; }
    std::string TypedTime(Side side, int field) override;
    bool CreateEncodedFiles() override { return state_.fields.createEncoded != 0; }
    bool VoiceAfterEncoding() override { return state_.fields.voiceAfterEncoding != 0; }
    bool DeleteWaveSlices() override { return state_.fields.deleteSlices != 0; }
    bool VoiceAfterSlicing() override { return state_.fields.voiceAfterSlicing != 0; }
    std::optional<EncoderKind> EncoderChoice() override {
        return model::EncoderKindOf(state_.fields.encoderKind);
    }
    std::string EncoderPath() override { return state_.encoderPath; }
    int EncoderRunsAtOnce() override;
    std::size_t MarkersCounted(CutMethod) override { return kCliMarkersCounted; }
    std::string OutputFolder(Side side) override;
    AlbumInfo Album() override { return state_.album; }

    SideState SideData(Side side) override { return sides_[model::Index(side)]; }
    void PublishSide(Side side, const SideState& state) override {
        sides_[model::Index(side)] = state;
    }
    bool WavesDrawn() override { return wavesDrawn_; }
    void SetWavesDrawn(bool drawn) override { wavesDrawn_ = drawn; }
    void SetSlicing(bool) override {}
    void RefreshCanvas() override {}
    void PlayVoice(const std::string& fileName) override;
    bool RemoveEarlierFiles(const std::string&, const std::vector<std::string>&) override {
        return state_.replaceEarlier;
    }

    void SetGauge(Gauge gauge, int value) override;
    void SetStatus(const std::string& text) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;
    void EncodingFailed(const std::string& command, const std::string& reason) override;

    bool TestDestroy() override;
    bool StopRequested() override;

    // --- For the commands ---
    const WindowState& State() const { return state_; }
    /// Places the markers of the run into the sides' cut tables, as the user does with
    /// the mouse after "Draw waveforms".
    void PlaceMarkers();
    /// Prints a line on standard error below the progress bar.
    void Error(const std::string& line);
    /// An encoder run of the job failed (the command has been printed).
    bool EncoderFailed() const { return encoderFailed_; }
    /// Removes the progress bar before the results are printed.
    void ClearProgress() { progress_.Clear(); }

  private:
    WindowState state_;
    ProcessingSettings processing_;
    TrebleFilter treble_;
    std::array<SideState, 2> sides_;
    bool wavesDrawn_ = false;
    ProgressBar progress_;
    int gauge_ = 0;
    std::string status_;
    bool encoderFailed_ = false;
};
