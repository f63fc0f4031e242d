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
    : m_frame(frame),
      m_controls(controls),
      m_inputMenu(inputMenu),
      m_sides(sides),
      m_lastPath(lastPath),
      m_prompts(prompts) {
    jobRunning = [&jobs] { return jobs.Running(); };
    startSlicing = [&jobs] { jobs.StartOrStop(SliceJob::SliceAutoOrTyped); };
    BuildInputMenu();
    BuildDisplay();
    m_frame.Bind(wxEVT_MENU, &FrameRecording::OnInput, this, menu::kInputFirst, menu::kInputLast);
    m_frame.Bind(wxEVT_BUTTON, &FrameRecording::OnRecordSide, this, kIdRecordSide1, kIdRecordSide2);
    stopHooks.Add([this] { StopForClose(); });
}

FrameRecording::~FrameRecording() {
    // The close hook has run; should a recording still run, its file is completed without
    // touching the window's controls, which may be gone.
    m_poll.Stop();
    if (m_recorder) m_recorder->Stop();
}

void FrameRecording::BuildDisplay() {
    auto px = [this](int x, int y) { return m_frame.ConvertDialogToPixels(wxPoint(x, y)); };
    auto size = [this](int w, int h) { return m_frame.ConvertDialogToPixels(wxSize(w, h)); };
    FrameControls& c = m_controls;
    auto* panel = new BackdropPanel(&m_frame, *c.m_panel,
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
    m_controls.m_recordingPanel->Show(shown);
    m_controls.m_transportPanel->Show(!shown);
    if (shown) {
        m_controls.m_recordLeft->ResetClip();
        m_controls.m_recordRight->ResetClip();
        m_roomCheckedAt = -1e9;
        ShowProgress();
    }
}

void FrameRecording::ShowProgress() {
    const RecordingState& state = m_recorder->State();
    const std::uint32_t peaks = state.recentPeaks.load(std::memory_order_relaxed);
    const double now = MeterClock();
    m_controls.m_recordLeft->Update(static_cast<std::int32_t>(peaks >> 16), now);
    m_controls.m_recordRight->Update(static_cast<std::int32_t>(peaks & 0xFFFF), now);
    const std::uint64_t bytes = state.capturedBytes.load(std::memory_order_relaxed);
    if (now - m_roomCheckedAt >= kRoomCheckSeconds) {
        m_roomCheckedAt = now;
        std::error_code error;
        m_roomLeft = std::filesystem::space(std::filesystem::u8path(m_folder), error).available;
        if (error) m_roomLeft = 0;
    }
    const SideFormat& format = state.format;
    const wxString elapsed =
        FromUtf8(ElapsedText(bytes / format.BytesPerFrame(), format.sampleRate));
    const wxString time = wxString::Format("Recording side %d  %s", Number(m_side), elapsed);
    const wxString file = FromUtf8(
        SizeText(bytes + kCanonicalHeaderBytes) + " written, " +
        TimeLeftText(m_roomLeft, format.sampleRate * format.BytesPerFrame()) + " left on the disk");
    if (m_controls.m_recordingText->GetLabel() != time) m_controls.m_recordingText->SetLabel(time);
    if (m_controls.m_recordingFileText->GetLabel() != file)
        m_controls.m_recordingFileText->SetLabel(file);
}

void FrameRecording::BuildInputMenu() {
    if (m_session.Ok()) m_stereoInputs = ListStereoInputs();
    for (std::size_t k = 0; k < m_stereoInputs.size() && k < kMaxInputMenuItems; ++k)
        m_inputMenu.AppendCheckItem(menu::kInputFirst + static_cast<int>(k),
                                    FromUtf8(InputMenuLabel(m_stereoInputs[k].name)),
                                    InputMenuHelp(k));
    if (!m_stereoInputs.empty()) m_inputMenu.Check(menu::kInputFirst, true);
}

int FrameRecording::SelectedInputDevice() const {
    for (int id = menu::kInputFirst; id <= menu::kInputLast; ++id) {
        const wxMenuItem* item = m_inputMenu.FindItem(id);
        if (item && item->IsChecked()) return m_stereoInputs[id - menu::kInputFirst].device;
    }
    return 0;
}

void FrameRecording::OnInput(wxCommandEvent& event) {
    // Takes effect at the next recording; one that runs keeps its device.
    for (int id = menu::kInputFirst; id <= menu::kInputLast; ++id)
        if (m_inputMenu.FindItem(id)) m_inputMenu.Check(id, id == event.GetId());
}

wxButton* FrameRecording::RecButton(Side side) const {
    return m_controls.RecButton(side);
}

void FrameRecording::OnRecordSide(wxCommandEvent& event) {
    const Side side = event.GetId() == kIdRecordSide1 ? Side::One : Side::Two;
    if (RecButton(side)->GetLabel() == kRecordingStopLabel) {
        if (m_recorder && m_recorder->IsRecording()) {
            m_recorder->Stop();
            RecordingFinished(false);
        }
        return;
    }
    StartRecording(side);
}

void FrameRecording::StartRecording(Side side) {
    if (beforeRecording) beforeRecording();
    FileRequest request;
    request.message = wxString::Format("Choose folder and file name for side %d.", Number(side));
    request.defaultDir = m_lastPath.Folder();
    request.wildcard = "Wave Files (*.wav)|*.wav";
    const wxString chosen = ChooseSaveFile(m_prompts, &m_frame, request);
    if (chosen.empty()) return;

    wxTextCtrl* pathField = m_controls.SidePathField(side);
    pathField->SetValue(chosen);
    m_lastPath.Set(ToUtf8(chosen));
    m_sides.Changed();
    m_side = side;
    RecButton(side)->SetLabel(kRecordingStopLabel);
    // One recording at a time: the other side's Rec waits for this one to end.
    RecButton(Other(side))->Disable();

    if (!m_recorder) m_recorder = std::make_unique<Recorder>(std::make_unique<AudioStream>());
    const std::string path = ToUtf8(pathField->GetValue());
    const SideFormat format = recordingFormat ? recordingFormat() : kCdFormat;
    const OpenResult opened = m_recorder->Open(path, SelectedInputDevice(), format);
    if (opened != OpenResult::Ok) {
        RestoreRecButtons();
        if (opened == OpenResult::InvalidInput)
            m_prompts.Message(&m_frame, kInvalidInputText, kInvalidInputCaption,
                              wxOK | wxICON_EXCLAMATION);
        // A click that silently does nothing would leave the user guessing.
        if (opened == OpenResult::FileFailed)
            m_prompts.Message(
                &m_frame, wxString(kCannotCreateText) + pathField->GetValue() + kCannotCreateAdvice,
                kCannotCreateCaption, wxOK | wxICON_EXCLAMATION);
        return;
    }

    // Another format re-opens the monitored stream; one the input refuses leaves the last.
    const auto changeFormat = [this, path](const SideFormat& chosen) {
        const SideFormat before = m_recorder->State().format;
        if (m_recorder->Open(path, SelectedInputDevice(), chosen) == OpenResult::Ok) {
            if (keepFormat) keepFormat(chosen);
            return true;
        }
        m_recorder->Open(path, SelectedInputDevice(), before);
        return false;
    };
    LevelsDialog levels(
        &m_frame, m_recorder->State(), m_controls.m_cutsHow->GetSelection(),
        [this](wxWindow* parent, const wxString& text, const wxString& caption, long style) {
            return m_prompts.Message(parent, text, caption, style);
        },
        changeFormat);
    if (m_prompts.RunModal(levels) == LevelsDialog::kRecordResult) {
        RecordSettings settings;
        settings.gain = levels.Gain();
        settings.autoStop = levels.AutoStop();
        m_autoSlice = levels.AutoSlice();
        if (!m_recorder->Record(settings)) {
            RestoreRecButtons();
            m_prompts.Message(
                &m_frame, wxString(kCannotCreateText) + pathField->GetValue() + kCannotCreateAdvice,
                kCannotCreateCaption, wxOK | wxICON_EXCLAMATION);
            return;
        }
        // One steady status text: the display beside the buttons shows the recording live.
        SetStatus(kRecordingStatusText);
        m_folder = platform::SplitDirectory(ToUtf8(pathField->GetValue()));
        ShowDisplay(true);
        m_poll.Start(kPollMs);
    } else {
        m_recorder->Cancel();
        RestoreRecButtons();
    }
}

void FrameRecording::PollTimer::Notify() {
    if (!m_owner.m_recorder) return;
    if (m_owner.m_recorder->Poll())
        m_owner.RecordingFinished(false);
    else
        m_owner.ShowProgress();
}

void FrameRecording::RecordingFinished(bool closing) {
    RestoreRecButtons();
    SetStatus(kFinishedRecordingText);
    if (closing) return;
    const RecordingSummary& summary = m_recorder->Summary();
    const bool sliceNext = m_autoSlice && summary.cause == StopCause::Quiet;
    if (NeedsRecordedMessage(summary, m_autoSlice)) {
        const RecordingMessage message = RecordedMessage(summary);
        m_prompts.Message(&m_frame, FromUtf8(message.text), FromUtf8(message.caption),
                          wxOK | (message.exclamation ? wxICON_EXCLAMATION : wxICON_INFORMATION));
    }
    if (!sliceNext) return;
    // Decided here, on the GUI thread, when the file is complete: a job that runs now would
    // take the command as its Stop.
    if (jobRunning && jobRunning()) {
        m_prompts.Message(
            &m_frame,
            wxString::Format("The recording of side %d is complete, but it was not sliced "
                             "automatically because another job was running.\nSlice it once "
                             "that job has finished.",
                             Number(m_side)),
            kNotSlicedCaption, wxOK | wxICON_INFORMATION);
        return;
    }
    if (startSlicing) startSlicing();
}

void FrameRecording::StopForClose() {
    m_poll.Stop();
    if (!m_recorder || !m_recorder->Active()) return;
    // The window is going: the file is completed without a message to answer.
    const bool recording = m_recorder->IsRecording();
    m_recorder->Stop();
    if (recording) RecordingFinished(true);
}

void FrameRecording::SetStatus(const std::string& text) {
    m_frame.SetStatusText(FromUtf8(text), 0);
}

void FrameRecording::RestoreRecButtons() {
    m_poll.Stop();
    ShowDisplay(false);
    RecButton(m_side)->SetLabel(kRecordLabel);
    for (const Side side : kSides) RecButton(side)->Enable();
}
