#pragma once
// A JobContext that records what the encoder runs show and answers from plain fields.

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "engine/JobContext.h"
#include "engine/TrebleFilter.h"

class FakeJobContext : public JobContext {
  public:
    // Answers.
    int rateId = 202;
    std::deque<int> kindsPerRead;  ///< answered in turn, then `kind`
    int kind = -1;
    std::string encoderPath;
    int destroyAfterChecks = -1;  ///< TestDestroy turns true on this check (1-based); -1 never

    // Records.
    std::vector<int> encodingGauge;
    std::vector<std::string> statuses;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::pair<std::string, std::string>> failures;  ///< EncodingFailed calls
    std::vector<bool> slicingSet;
    int destroyChecks = 0;

    int SelectedFadeId() override { return 300; }
    int SelectedVolumeId() override { return 500; }
    int SelectedEqId() override { return 708; }
    int SelectedRateId() override { return rateId; }
    TrebleFilter& Treble() override { return treble_; }
    std::string SidePath(int) override { return {}; }
    int CutsHow() override { return 0; }
    std::string SilenceText() override { return "2"; }
    void SetSilenceText(const std::string&) override {}
    std::string TypedTimeText(int) override { return {}; }
    bool CreateEncodedFiles() override { return true; }
    bool VoiceAfterEncoding() override { return false; }
    bool DeleteWaveSlices() override { return false; }
    bool VoiceAfterSlicing() override { return false; }
    int EncoderKindSelection() override {
        if (kindsPerRead.empty()) return kind;
        const int next = kindsPerRead.front();
        kindsPerRead.pop_front();
        return next;
    }
    std::string EncoderPath() override { return encoderPath; }
    std::string OutputFolder(int) override { return {}; }
    SideState Side(int) override { return {}; }
    void PublishSide(int, const SideState&) override {}
    bool WavesDrawn() override { return false; }
    void SetWavesDrawn(bool) override {}
    void SetSlicing(bool slicing) override { slicingSet.push_back(slicing); }
    void RefreshCanvas() override {}
    void PlayVoice(const std::string&) override {}
    void SetGauge(Gauge gauge, int value) override {
        if (gauge == Gauge::Encoding) encodingGauge.push_back(value);
    }
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowMessage(const std::string& caption, const std::string& text) override {
        messages.emplace_back(caption, text);
    }
    void EncodingFailed(const std::string& command, const std::string& reason) override {
        failures.emplace_back(command, reason);
    }
    bool TestDestroy() override { return ++destroyChecks == destroyAfterChecks; }
    bool StopRequested() override { return false; }

  private:
    TrebleFilter treble_;
};
