#include "app/FrameRecording.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include "app/LevelsDialog.h"
#include "app/MyFrame.h"
#include "app/WxText.h"
#include "audio/AudioStream.h"
#include "audio/RecordingTexts.h"
#include "engine/MenuSettings.h"

namespace {

constexpr const char* kRecLabel = "Rec...";
constexpr const char* kStopLabel = "Stop";
constexpr int kPollMs = 50;

}  // namespace

FrameRecording::FrameRecording(MyFrame& frame) : m_frame(frame) {
    jobRunning = [this] { return !m_frame.m_idle.load(); };
    startSlicing = [this] {
        wxCommandEvent click(wxEVT_BUTTON, kIdSliceAutoOrTyped);
        click.SetEventObject(m_frame.e_button1);
        m_frame.GetEventHandler()->AddPendingEvent(click);
    };
    BuildInputMenu();
    m_frame.Bind(wxEVT_MENU, &FrameRecording::OnInput, this, menu::kInputFirst, menu::kInputLast);
    m_frame.Bind(wxEVT_BUTTON, &FrameRecording::OnRecordSide, this, kIdRecordSide1, kIdRecordSide2);
    m_frame.AddStopHook([this] { StopForClose(); });
}

FrameRecording::~FrameRecording() {
    StopForClose();
}

void FrameRecording::BuildInputMenu() {
    if (m_session.Ok()) m_stereoInputs = ListStereoInputs();
    for (std::size_t k = 0; k < m_stereoInputs.size() && k < kMaxInputMenuItems; ++k)
        m_frame.m_inputMenu->AppendCheckItem(menu::kInputFirst + static_cast<int>(k),
                                             FromUtf8(InputMenuLabel(m_stereoInputs[k].name)),
                                             InputMenuHelp(k));
    if (!m_stereoInputs.empty()) m_frame.m_inputMenu->Check(menu::kInputFirst, true);
}

int FrameRecording::SelectedInputDevice() const {
    for (int id = menu::kInputFirst; id <= menu::kInputLast; ++id) {
        const wxMenuItem* item = m_frame.m_inputMenu->FindItem(id);
        if (item && item->IsChecked()) return m_stereoInputs[id - menu::kInputFirst].device;
    }
    return 0;
}

void FrameRecording::OnInput(wxCommandEvent& event) {
    // Takes effect at the next recording; one that runs keeps its device.
    for (int id = menu::kInputFirst; id <= menu::kInputLast; ++id)
        if (m_frame.m_inputMenu->FindItem(id)) m_frame.m_inputMenu->Check(id, id == event.GetId());
}

wxButton* FrameRecording::RecButton(int side) const {
    return side == 1 ? m_frame.i_button3 : m_frame.i_button4;
}

void FrameRecording::OnRecordSide(wxCommandEvent& event) {
    const int side = event.GetId() == kIdRecordSide1 ? 1 : 2;
    if (RecButton(side)->GetLabel() == kStopLabel) {
        if (m_recorder) m_recorder->Stop();
        return;
    }
    StartRecording(side);
}

void FrameRecording::StartRecording(int side) {
    FileRequest request;
    request.message = wxString::Format("Choose folder and file name for side %d.", side);
    request.defaultDir = m_frame.LastFolder();
    request.wildcard = "Wave Files (*.wav)|*.wav";
    request.save = true;
    const wxString chosen = m_frame.Prompts().ChooseFile(&m_frame, request);
    if (chosen.empty()) return;

    wxTextCtrl* pathField = side == 1 ? m_frame.i_textCtrl1 : m_frame.i_textCtrl2;
    pathField->SetValue(chosen);
    m_frame.SetLastPath(ToUtf8(chosen));
    m_frame.m_wavesDrawn = false;
    RecButton(side)->SetLabel(kStopLabel);
    // One recording at a time: the other side's Rec waits for this one to end.
    RecButton(3 - side)->Disable();

    if (!m_recorder)
        m_recorder = std::make_unique<Recorder>(*this, std::make_unique<AudioStream>());
    const OpenResult opened =
        m_recorder->Open(side, ToUtf8(pathField->GetValue()), SelectedInputDevice());
    if (opened != OpenResult::Ok) {
        RecordingEnded(side);
        if (opened == OpenResult::InvalidInput)
            m_frame.Prompts().Message(&m_frame, kInvalidInputText, kInvalidInputCaption,
                                      wxOK | wxICON_EXCLAMATION);
        // A click that silently does nothing would leave the user guessing.
        if (opened == OpenResult::FileFailed)
            m_frame.Prompts().Message(
                &m_frame, wxString(kCannotCreateText) + pathField->GetValue() + kCannotCreateAdvice,
                kCannotCreateCaption, wxOK | wxICON_EXCLAMATION);
        return;
    }

    LevelsDialog levels(
        &m_frame, m_recorder->State(), m_frame.m_cutsHow->GetSelection(),
        [this](wxWindow* parent, const wxString& text, const wxString& caption, long style) {
            return m_frame.Prompts().Message(parent, text, caption, style);
        });
    if (m_frame.Prompts().RunModal(levels) == LevelsDialog::kRecordResult) {
        RecordSettings settings;
        settings.gain = levels.Gain();
        settings.autoStop = levels.AutoStop();
        settings.autoSlice = levels.AutoSlice();
        m_recorder->Record(settings);
        m_poll.Start(kPollMs);
    } else {
        m_recorder->Cancel();
    }
}

void FrameRecording::PollTimer::Notify() {
    if (m_owner.m_recorder) m_owner.m_recorder->Poll();
}

void FrameRecording::StopForClose() {
    m_poll.Stop();
    if (!m_recorder || !m_recorder->Active()) return;
    // The window is going: the file is completed without a message to answer.
    m_recorder->SetQuiet(true);
    m_recorder->Stop();
}

void FrameRecording::SetStatus(const std::string& text) {
    m_frame.SetStatusText(FromUtf8(text), 0);
}

void FrameRecording::ShowMessage(const std::string& caption, const std::string& text,
                                 MessageIcon icon) {
    const long style =
        wxOK | (icon == MessageIcon::Information ? wxICON_INFORMATION : wxICON_EXCLAMATION);
    m_frame.Prompts().Message(&m_frame, FromUtf8(text), FromUtf8(caption), style);
}

void FrameRecording::RecordingEnded(int side) {
    m_poll.Stop();
    RecButton(side)->SetLabel(kRecLabel);
    RecButton(1)->Enable();
    RecButton(2)->Enable();
}

bool FrameRecording::JobRunning() {
    return jobRunning && jobRunning();
}

void FrameRecording::StartSlicing() {
    if (startSlicing) startSlicing();
}
