#pragma once
// The window as a job's JobContext. Menu settings come from the atomics the menus mirror;
// controls are read on the GUI thread on the worker's behalf when the job reaches them;
// gauges, status texts, repaints and the side states are posted to the GUI thread in the
// order the job issues them; a message holds the job until it is closed or a stop comes.
//
// Every member is called on the worker thread (constructor: GUI thread).

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/JobWindow.h"
#include "jobs/JobContext.h"
#include "model/SideState.h"

class GuiChannel;
class MyWorkerThread;
class wxCheckBox;

class FrameJobContext final : public JobContext {
  public:
    /// Takes the sides' states as the job's starting point. `window`, `shared` and `thread`
    /// must outlive the context.
    FrameJobContext(const JobWindow& window, JobShared& shared, const MyWorkerThread& thread);

    ProcessingSettings Processing() override;
    TrebleFilter& Treble() override;

    std::string SidePath(Side side) override;
    CutMethod Method() override;
    std::optional<int> SongCount(Side side) override;
    double MinSongSeconds() override;
    bool TrimToMusic() override;
    std::string SilenceText() override;
    void SetSilenceText(const std::string& text) override;
    std::string TypedTime(Side side, int field) override;
    bool CreateEncodedFiles() override;
    bool VoiceAfterEncoding() override;
    bool DeleteWaveSlices() override;
    bool VoiceAfterSlicing() override;
    std::optional<EncoderKind> EncoderChoice() override;
    std::string EncoderPath() override;
    std::string OutputFolder(Side side) override;
    AlbumInfo Album() override;

    SideState SideData(Side side) override;
    void PublishSide(Side side, const SideState& state) override;
    bool WavesDrawn() override;
    void SetWavesDrawn(bool drawn) override;
    void SetSlicing(bool slicing) override;
    void RefreshCanvas() override;
    void PlayVoice(const std::string& fileName) override;
    bool RemoveEarlierFiles(const std::string& folder,
                            const std::vector<std::string>& names) override;

    void SetGauge(Gauge gauge, int value) override;
    void SetStatus(const std::string& text) override;
    void ShowMessage(const std::string& caption, const std::string& text) override;

    bool TestDestroy() override;
    bool StopRequested() override;

  private:
    /// `read` run on the GUI thread; `fallback` when the job was asked to end first (the
    /// job then ends at its next check, so the fallback only has to do no harm).
    template <class R>
    R Read(std::function<R()> read, R fallback);
    /// A check box of the window, read on the GUI thread; unchecked after an end request.
    bool Checked(wxCheckBox* FrameControls::*box);

    const JobWindow& window_;
    JobShared& shared_;
    const MyWorkerThread& thread_;
    std::shared_ptr<GuiChannel> channel_;
    /// The sides as last seen or published, for reads a stop cuts short.
    std::array<SideState, 2> sides_;
    std::array<int, 2> shownGauge_{-1, -1};  ///< last value posted per gauge
    /// The sides' generation when the job started: its results belong to those files.
    unsigned generation_;
};
