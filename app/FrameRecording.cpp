#include "app/FrameRecording.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "app/BackdropPanel.h"
#include "app/FrameControls.h"
#include "app/FrameJobs.h"
#include "app/FrameSides.h"
#include "app/LastPath.h"
#include "app/LevelsDialog.h"
#include "app/MeterBar.h"
#include "app/Prompter.h"
#include "app/RecordingTexts.h"
#include "app/StopHooks.h"
#include "app/WxText.h"
#include "audio/AudioStream.h"
#include "audio/MeterScale.h"
#include "platform/Paths.h"
#include "settings/MenuSettings.h"

namespace {

constexpr const char* kRecordLabel = "Rec...";
constexpr const char* kRecordingStopLabel = "Stop";
constexpr int kPollMs = 50;
constexpr double kRoomCheckSeconds = 1.0;
const wxColour kDisplayText(235, 235, 245);

}  // namespace

FrameRecording::FrameRecording(wxFrame& frame, FrameControls& controls, wxMenu& inputMenu,
                               FrameSides& sides, LastPath& lastPath, FrameJobs& jobs,
                               Prompter& prompts, StopHooks& stopHooks)
    : frame_(frame),
      controls_(controls),
      inputMenu_(inputMenu),
      sides_(sides),
      lastPath_(lastPath),
      prompts_(prompts) {
    jobRunning = [&jobs] { return jobs.Running(); };
    startSlicing = [&jobs] { jobs.StartOrStop(SliceJob::SliceAutoOrTyped); };
    BuildInputMenu();
    BuildDisplay();
    frame_.Bind(wxEVT_MENU, &FrameRecording::OnInput, this, menu::kInputFirst, menu::kInputLast);
    frame_.Bind(wxEVT_BUTTON, &FrameRecording::OnRecordSide, this, kIdRecordSide1, kIdRecordSide2);
    stopHooks.Add([this] { StopForClose(); });
}

FrameRecording::~FrameRecording() {
    // The close hook has run; should a recording still run, its file is completed without
    // touching the window's controls, which may be gone.
    poll_.Stop();
    if (recorder_) recorder_->Stop();
}

void FrameRecording::BuildDisplay() {
    auto px = [this](int x, int y) { return frame_.ConvertDialogToPixels(wxPoint(x, y)); };
    auto size = [this](int w, int h) { return frame_.ConvertDialogToPixels(wxSize(w, h)); };
    FrameControls& c = controls_;
    auto* panel = new BackdropPanel(&frame_, *c.m_panel,
                                    wxRect(px(transport_du::kLeft, transport_du::kTop),
                                           size(transport_du::kWidth, transport_du::kHeight)),
                                    "recording");
    c.m_recordingPanel = panel;
    const auto text = [&](const wxString& name, int y, int points, wxFontWeight weight) {
        auto* t = new wxStaticText(panel, wxID_ANY, "", px(0, y), size(transport_du::kWidth, 10),
                                   wxST_NO_AUTORESIZE, name);
        t->SetForegroundColour(kDisplayText);
        t->SetFont(wxFont(points, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, weight));
        return t;
    };
    c.m_recordingText = text("recordingTime", 0, 9, wxFONTWEIGHT_BOLD);
    const wxSize meter = size(transport_du::kWidth - 8, 6);
    const auto channel = [&](const char* letter, const char* name, const char* label, int y) {
        auto* l = new wxStaticText(panel, wxID_ANY, letter, px(0, y), size(7, 6));
        l->SetForegroundColour(kDisplayText);
        l->SetFont(wxFont(7, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
        return new MeterBar(panel, name, label, px(8, y), meter);
    };
    c.m_recordLeft = channel("L", "recordLeft", "Left", 11);
    c.m_recordRight = channel("R", "recordRight", "Right", 18);
    new MeterScaleBar(panel, px(8, 25), size(transport_du::kWidth - 8, 6));
    c.m_recordingFileText = text("recordingFile", 33, 8, wxFONTWEIGHT_NORMAL);
    panel->Hide();
}

void FrameRecording::ShowDisplay(bool shown) {
    controls_.m_recordingPanel->Show(shown);
    controls_.m_transportPanel->Show(!shown);
    if (shown) {
        controls_.m_recordLeft->ResetClip();
        controls_.m_recordRight->ResetClip();
        roomCheckedAt_ = -1e9;
        ShowProgress();
    }
}

void FrameRecording::ShowProgress() {
    const RecordingState& state = recorder_->State();
    const std::uint32_t peaks = state.recentPeaks.load(std::memory_order_relaxed);
    const double now = app::MeterClock();
    controls_.m_recordLeft->Update(static_cast<std::int32_t>(peaks >> 16), now);
    controls_.m_recordRight->Update(static_cast<std::int32_t>(peaks & 0xFFFF), now);
    const std::uint64_t bytes = state.capturedBytes.load(std::memory_order_relaxed);
    if (now - roomCheckedAt_ >= kRoomCheckSeconds) {
        roomCheckedAt_ = now;
        std::error_code error;
        roomLeft_ = std::filesystem::space(std::filesystem::u8path(folder_), error).available;
        if (error) roomLeft_ = 0;
    }
    const SideFormat& format = state.format;
    const wxString elapsed =
        app::FromUtf8(audio::ElapsedText(bytes / format.BytesPerFrame(), format.sampleRate));
    const wxString time = wxString::Format("Recording side %d  %s", model::Number(side_), elapsed);
    const wxString file =
        app::FromUtf8(audio::SizeText(bytes + kCanonicalHeaderBytes) + " written, " +
                      audio::TimeLeftText(roomLeft_, format.sampleRate * format.BytesPerFrame()) +
                      " left on the disk");
    if (controls_.m_recordingText->GetLabel() != time) controls_.m_recordingText->SetLabel(time);
    if (controls_.m_recordingFileText->GetLabel() != file)
        controls_.m_recordingFileText->SetLabel(file);
}

void FrameRecording::BuildInputMenu() {
    if (session_.Ok()) stereoInputs_ = audio::ListStereoInputs();
    for (std::size_t k = 0; k < stereoInputs_.size() && k < kMaxInputMenuItems; ++k)
        inputMenu_.AppendCheckItem(menu::kInputFirst + static_cast<int>(k),
                                   app::FromUtf8(audio::InputMenuLabel(stereoInputs_[k].name)),
                                   audio::InputMenuHelp(k));
    if (!stereoInputs_.empty()) inputMenu_.Check(menu::kInputFirst, true);
}

int FrameRecording::SelectedInputDevice() const {
    for (int id = menu::kInputFirst; id <= menu::kInputLast; ++id) {
        const wxMenuItem* item = inputMenu_.FindItem(id);
        if (item && item->IsChecked()) return stereoInputs_[id - menu::kInputFirst].device;
    }
    return 0;
}

void FrameRecording::OnInput(wxCommandEvent& event) {
    // Takes effect at the next recording; one that runs keeps its device.
    for (int id = menu::kInputFirst; id <= menu::kInputLast; ++id)
        if (inputMenu_.FindItem(id)) inputMenu_.Check(id, id == event.GetId());
}

wxButton* FrameRecording::RecButton(Side side) const {
    return controls_.RecButton(side);
}

void FrameRecording::OnRecordSide(wxCommandEvent& event) {
    const Side side = event.GetId() == kIdRecordSide1 ? Side::One : Side::Two;
    if (RecButton(side)->GetLabel() == kRecordingStopLabel) {
        if (recorder_ && recorder_->IsRecording()) {
            recorder_->Stop();
            RecordingFinished(false);
        }
        return;
    }
    StartRecording(side);
}

void FrameRecording::StartRecording(Side side) {
    if (beforeRecording) beforeRecording();
    FileRequest request;
    request.message =
        wxString::Format("Choose folder and file name for side %d.", model::Number(side));
    request.defaultDir = lastPath_.Folder();
    request.wildcard = "Wave Files (*.wav)|*.wav";
    const wxString chosen = app::ChooseSaveFile(prompts_, &frame_, request);
    if (chosen.empty()) return;

    wxTextCtrl* pathField = controls_.SidePathField(side);
    pathField->SetValue(chosen);
    lastPath_.Set(app::ToUtf8(chosen));
    sides_.Changed();
    side_ = side;
    RecButton(side)->SetLabel(kRecordingStopLabel);
    // One recording at a time: the other side's Rec waits for this one to end.
    RecButton(model::Other(side))->Disable();

    if (!recorder_) recorder_ = std::make_unique<Recorder>(std::make_unique<AudioStream>());
    const std::string path = app::ToUtf8(pathField->GetValue());
    const SideFormat format = recordingFormat ? recordingFormat() : kCdFormat;
    const OpenResult opened = recorder_->Open(path, SelectedInputDevice(), format);
    if (opened != OpenResult::Ok) {
        RestoreRecButtons();
        if (opened == OpenResult::InvalidInput)
            prompts_.Message(&frame_, kInvalidInputText, kInvalidInputCaption,
                             wxOK | wxICON_EXCLAMATION);
        // A click that silently does nothing would leave the user guessing.
        if (opened == OpenResult::FileFailed)
            prompts_.Message(
                &frame_, wxString(kCannotCreateText) + pathField->GetValue() + kCannotCreateAdvice,
                kCannotCreateCaption, wxOK | wxICON_EXCLAMATION);
        return;
    }

    // Another format re-opens the monitored stream; one the input refuses leaves the last.
    const auto changeFormat = [this, path](const SideFormat& chosen) {
        const SideFormat before = recorder_->State().format;
        if (recorder_->Open(path, SelectedInputDevice(), chosen) == OpenResult::Ok) {
            if (keepFormat) keepFormat(chosen);
            return true;
        }
        recorder_->Open(path, SelectedInputDevice(), before);
        return false;
    };
    LevelsDialog levels(
        &frame_, recorder_->State(), controls_.m_cutsHow->GetSelection(),
        [this](wxWindow* parent, const wxString& text, const wxString& caption, long style) {
            return prompts_.Message(parent, text, caption, style);
        },
        changeFormat);
    if (prompts_.RunModal(levels) == LevelsDialog::kRecordResult) {
        RecordSettings settings;
        settings.gain = levels.Gain();
        settings.autoStop = levels.AutoStop();
        autoSlice_ = levels.AutoSlice();
        if (!recorder_->Record(settings)) {
            RestoreRecButtons();
            prompts_.Message(
                &frame_, wxString(kCannotCreateText) + pathField->GetValue() + kCannotCreateAdvice,
                kCannotCreateCaption, wxOK | wxICON_EXCLAMATION);
            return;
        }
        // One steady status text: the display beside the buttons shows the recording live.
        SetStatus(kRecordingStatusText);
        folder_ = platform::SplitDirectory(app::ToUtf8(pathField->GetValue()));
        ShowDisplay(true);
        poll_.Start(kPollMs);
    } else {
        recorder_->Cancel();
        RestoreRecButtons();
    }
}

void FrameRecording::PollTimer::Notify() {
    if (!m_owner.recorder_) return;
    if (m_owner.recorder_->Poll())
        m_owner.RecordingFinished(false);
    else
        m_owner.ShowProgress();
}

void FrameRecording::RecordingFinished(bool closing) {
    RestoreRecButtons();
    SetStatus(kFinishedRecordingText);
    if (closing) return;
    const RecordingSummary& summary = recorder_->Summary();
    const bool sliceNext = autoSlice_ && summary.cause == StopCause::Quiet;
    if (app::NeedsRecordedMessage(summary, autoSlice_)) {
        const RecordingMessage message = app::RecordedMessage(summary);
        prompts_.Message(&frame_, app::FromUtf8(message.text), app::FromUtf8(message.caption),
                         wxOK | (message.exclamation ? wxICON_EXCLAMATION : wxICON_INFORMATION));
    }
    if (!sliceNext) return;
    // Decided here, on the GUI thread, when the file is complete: a job that runs now would
    // take the command as its Stop.
    if (jobRunning && jobRunning()) {
        prompts_.Message(
            &frame_,
            wxString::Format("The recording of side %d is complete, but it was not sliced "
                             "automatically because another job was running.\nSlice it once "
                             "that job has finished.",
                             model::Number(side_)),
            kNotSlicedCaption, wxOK | wxICON_INFORMATION);
        return;
    }
    if (startSlicing) startSlicing();
}

void FrameRecording::StopForClose() {
    poll_.Stop();
    if (!recorder_ || !recorder_->Active()) return;
    // The window is going: the file is completed without a message to answer.
    const bool recording = recorder_->IsRecording();
    recorder_->Stop();
    if (recording) RecordingFinished(true);
}

void FrameRecording::SetStatus(const std::string& text) {
    frame_.SetStatusText(app::FromUtf8(text), 0);
}

void FrameRecording::RestoreRecButtons() {
    poll_.Stop();
    ShowDisplay(false);
    RecButton(side_)->SetLabel(kRecordLabel);
    for (const Side side : kSides) RecButton(side)->Enable();
}
