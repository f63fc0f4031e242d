#include "app/FrameJobContext.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/FrameControls.h"
#include "app/FrameMenus.h"
#include "app/FrameSides.h"
#include "app/GuiChannel.h"
#include "app/MyWorkerThread.h"
#include "app/Prompter.h"
#include "app/SmartSenseChoice.h"
#include "app/WxText.h"
#include "audio/VoiceMessage.h"
#include "platform/Paths.h"
#include "waveview/MyCanvas.h"

FrameJobContext::FrameJobContext(const JobWindow& window, JobShared& shared,
                                 const MyWorkerThread& thread)
    : window_(window),
      shared_(shared),
      thread_(thread),
      channel_(thread.Channel()),
      sides_(window.sides.All()),
      generation_(window.sides.Generation()) {}

template <class R>
R FrameJobContext::Read(std::function<R()> read, R fallback) {
    std::optional<R> value = channel_->Ask<R>(std::move(read));
    return value ? std::move(*value) : std::move(fallback);
}

// --- The menus' settings: mirrored into atomics by the GUI thread ---

ProcessingSettings FrameJobContext::Processing() {
    return window_.menus.Processing();
}

TrebleFilter& FrameJobContext::Treble() {
    return shared_.treble;
}

// --- Controls, read on the GUI thread ---

std::string FrameJobContext::SidePath(Side side) {
    const FrameControls* c = &window_.controls;
    return Read<std::string>([c, side] { return app::ToUtf8(c->SidePathField(side)->GetValue()); },
                             "");
}

CutMethod FrameJobContext::Method() {
    const FrameControls* c = &window_.controls;
    return model::CutMethodOf(Read<int>([c] { return c->m_cutsHow->GetSelection(); }, 0));
}

std::optional<int> FrameJobContext::SongCount(Side side) {
    return window_.smartSense.SongCount(side);
}

double FrameJobContext::MinSongSeconds() {
    return window_.smartSense.MinSongSeconds();
}

bool FrameJobContext::TrimToMusic() {
    return window_.smartSense.Trim();
}

std::string FrameJobContext::SilenceText() {
    const FrameControls* c = &window_.controls;
    return Read<std::string>([c] { return app::ToUtf8(c->c_textCtrl1->GetValue()); }, "2");
}

void FrameJobContext::SetSilenceText(const std::string& text) {
    const FrameControls* c = &window_.controls;
    channel_->Post([c, text] { c->c_textCtrl1->ChangeValue(app::FromUtf8(text)); });
}

std::string FrameJobContext::TypedTime(Side side, int field) {
    if (field < 0 || field >= kTypedTimesPerSide) return "";
    const std::size_t control =
        model::Index(side) * kTypedTimesPerSide + static_cast<std::size_t>(field);
    const FrameControls* c = &window_.controls;
    return Read<std::string>(
        [c, control] { return app::ToUtf8(c->c_textCtrlTime[control]->GetValue()); }, "");
}

bool FrameJobContext::Checked(wxCheckBox* FrameControls::*box) {
    const FrameControls* c = &window_.controls;
    return Read<bool>([c, box] { return (c->*box)->GetValue(); }, false);
}

bool FrameJobContext::CreateEncodedFiles() {
    return Checked(&FrameControls::m_checkBox1);
}
bool FrameJobContext::VoiceAfterEncoding() {
    return Checked(&FrameControls::m_checkBox2);
}
bool FrameJobContext::DeleteWaveSlices() {
    return Checked(&FrameControls::m_checkBox3);
}
bool FrameJobContext::VoiceAfterSlicing() {
    return Checked(&FrameControls::w_checkBox1);
}

std::optional<EncoderKind> FrameJobContext::EncoderChoice() {
    const FrameControls* c = &window_.controls;
    return model::EncoderKindOf(Read<int>([c] { return c->m_choice1->GetSelection(); }, -1));
}

std::string FrameJobContext::EncoderPath() {
    const FrameControls* c = &window_.controls;
    return Read<std::string>([c] { return app::ToUtf8(c->m_textCtrl1->GetValue()); }, "");
}

std::string FrameJobContext::OutputFolder(Side side) {
    return platform::SplitDirectory(SidePath(side));
}

AlbumInfo FrameJobContext::Album() {
    const AlbumInfo* album = &window_.album;
    return Read<AlbumInfo>([album] { return *album; }, AlbumInfo{});
}

// --- Side states and flags ---

SideState FrameJobContext::SideData(Side side) {
    const FrameSides* sides = &window_.sides;
    if (std::optional<SideState> now =
            channel_->Ask<SideState>([sides, side] { return sides->At(side); }))
        sides_[model::Index(side)] = std::move(*now);
    return sides_[model::Index(side)];
}

void FrameJobContext::PublishSide(Side side, const SideState& state) {
    sides_[model::Index(side)] = state;
    FrameSides* sides = &window_.sides;
    // One assignment on the GUI thread: a paint sees the old state or the new one. A side
    // located anew meanwhile keeps its own state.
    channel_->Post([sides, side, state, g = generation_] { sides->Publish(side, state, g); });
}

bool FrameJobContext::WavesDrawn() {
    return window_.sides.WavesDrawn();
}
void FrameJobContext::SetWavesDrawn(bool drawn) {
    FrameSides* sides = &window_.sides;
    // After the side states it describes, and only while the files are the ones drawn.
    channel_->Post([sides, drawn, g = generation_] { sides->SetWavesDrawn(drawn, g); });
}
void FrameJobContext::SetSlicing(bool slicing) {
    shared_.slicing.store(slicing);
}

void FrameJobContext::RefreshCanvas() {
    const FrameControls* c = &window_.controls;
    channel_->Post([c] { c->m_canvas->Refresh(true); });
}

void FrameJobContext::PlayVoice(const std::string& fileName) {
    audio::PlayVoiceMessage(fileName);
}

// --- Progress and messages ---

void FrameJobContext::SetGauge(Gauge gauge, int value) {
    // The analysis reports every block; only a change of the shown value is worth a post.
    int& shown = shownGauge_[static_cast<int>(gauge)];
    if (shown == value) return;
    shown = value;
    const FrameControls* c = &window_.controls;
    channel_->Post([c, gauge, value] {
        (gauge == Gauge::Encoding ? c->p_wxGauge2 : c->p_wxGauge1)->SetValue(value);
    });
}

void FrameJobContext::SetStatus(const std::string& text) {
    wxFrame* frame = &window_.frame;
    channel_->Post([frame, text] { frame->SetStatusText(app::FromUtf8(text)); });
}

bool FrameJobContext::RemoveEarlierFiles(const std::string& folder,
                                         const std::vector<std::string>& names) {
    constexpr std::size_t kListed = 12;
    std::string list;
    for (std::size_t k = 0; k < names.size() && k < kListed; ++k) list += "\n    " + names[k];
    if (names.size() > kListed)
        list += "\n    ... and " + std::to_string(names.size() - kListed) + " more";
    const std::string text = "The folder " + folder + " also holds " +
                             std::to_string(names.size()) +
                             (names.size() == 1 ? " file" : " files") +
                             " of an earlier run that this one did not replace:" + list +
                             "\n\nRemove " + (names.size() == 1 ? "it" : "them") + "?";
    wxFrame* frame = &window_.frame;
    Prompter* prompts = &window_.prompts;
    auto answer = std::make_shared<int>(wxNO);
    channel_->Prompt([frame, prompts, text, answer] {
        *answer = prompts->Message(frame, app::FromUtf8(text), "Files of an earlier run",
                                   wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION | wxCENTRE);
    });
    return *answer == wxYES;
}

void FrameJobContext::ShowMessage(const std::string& caption, const std::string& text) {
    wxFrame* frame = &window_.frame;
    Prompter* prompts = &window_.prompts;
    channel_->Prompt([frame, prompts, caption, text] {
        prompts->Message(frame, app::FromUtf8(text), app::FromUtf8(caption),
                         wxOK | wxICON_EXCLAMATION | wxCENTRE);
    });
}

// --- Stops ---

bool FrameJobContext::TestDestroy() {
    return thread_.TestDestroy();
}
bool FrameJobContext::StopRequested() {
    return shared_.stopRequested.load();
}
