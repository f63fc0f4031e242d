#include "app/FrameJobContext.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/FrameAlbum.h"
#include "app/FrameJobs.h"
#include "app/FrameMenus.h"
#include "app/GuiChannel.h"
#include "app/MyFrame.h"
#include "app/MyWorkerThread.h"
#include "app/SmartSenseChoice.h"
#include "app/WxText.h"
#include "audio/VoiceMessage.h"
#include "platform/Paths.h"
#include "waveview/MyCanvas.h"

FrameJobContext::FrameJobContext(MyFrame& frame, MyWorkerThread& thread,
                                 std::shared_ptr<GuiChannel> channel)
    : frame_(frame),
      thread_(thread),
      channel_(std::move(channel)),
      sides_(frame.Sides()),
      generation_(frame.SidesGeneration()) {}

template <class R>
R FrameJobContext::Read(std::function<R()> read, R fallback) {
    std::optional<R> value = channel_->Ask<R>(std::move(read));
    return value ? std::move(*value) : std::move(fallback);
}

// --- The menus' settings: mirrored into atomics by the GUI thread ---

ProcessingSettings FrameJobContext::Processing() {
    return frame_.Menus().Processing();
}

TrebleFilter& FrameJobContext::Treble() {
    return frame_.Treble();
}

// --- Controls, read on the GUI thread ---

std::string FrameJobContext::SidePath(Side side) {
    MyFrame* f = &frame_;
    return Read<std::string>(
        [f, side] { return ToUtf8(f->Controls().SidePathField(side)->GetValue()); }, "");
}

CutMethod FrameJobContext::Method() {
    MyFrame* f = &frame_;
    return CutMethodOf(Read<int>([f] { return f->Controls().m_cutsHow->GetSelection(); }, 0));
}

std::optional<int> FrameJobContext::SongCount(Side side) {
    return frame_.SmartSense().SongCount(side);
}

double FrameJobContext::MinSongSeconds() {
    return frame_.SmartSense().MinSongSeconds();
}

std::string FrameJobContext::SilenceText() {
    MyFrame* f = &frame_;
    return Read<std::string>([f] { return ToUtf8(f->Controls().c_textCtrl1->GetValue()); }, "2");
}

void FrameJobContext::SetSilenceText(const std::string& text) {
    MyFrame* f = &frame_;
    channel_->Post([f, text] { f->Controls().c_textCtrl1->ChangeValue(FromUtf8(text)); });
}

std::string FrameJobContext::TypedTime(Side side, int field) {
    if (field < 0 || field >= kTypedTimesPerSide) return "";
    const std::size_t control = Index(side) * kTypedTimesPerSide + static_cast<std::size_t>(field);
    MyFrame* f = &frame_;
    return Read<std::string>(
        [f, control] { return ToUtf8(f->Controls().c_textCtrlTime[control]->GetValue()); }, "");
}

bool FrameJobContext::Checked(wxCheckBox* FrameControls::*box) {
    MyFrame* f = &frame_;
    return Read<bool>([f, box] { return (f->Controls().*box)->GetValue(); }, false);
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
    MyFrame* f = &frame_;
    return EncoderKindOf(Read<int>([f] { return f->Controls().m_choice1->GetSelection(); }, -1));
}

std::string FrameJobContext::EncoderPath() {
    MyFrame* f = &frame_;
    return Read<std::string>([f] { return ToUtf8(f->Controls().m_textCtrl1->GetValue()); }, "");
}

std::string FrameJobContext::OutputFolder(Side side) {
    return platform::SplitDirectory(SidePath(side));
}

AlbumInfo FrameJobContext::Album() {
    MyFrame* f = &frame_;
    return Read<AlbumInfo>([f] { return f->Album().Album(); }, AlbumInfo{});
}

// --- Side states and flags ---

SideState FrameJobContext::SideData(Side side) {
    MyFrame* f = &frame_;
    if (std::optional<SideState> now =
            channel_->Ask<SideState>([f, side] { return f->SideAt(side); }))
        sides_[Index(side)] = std::move(*now);
    return sides_[Index(side)];
}

void FrameJobContext::PublishSide(Side side, const SideState& state) {
    sides_[Index(side)] = state;
    MyFrame* f = &frame_;
    // One assignment on the GUI thread: a paint sees the old state or the new one. A side
    // located anew meanwhile keeps its own state.
    channel_->Post([f, side, state, g = generation_] { f->PublishSide(side, state, g); });
}

bool FrameJobContext::WavesDrawn() {
    return frame_.WavesDrawn();
}
void FrameJobContext::SetWavesDrawn(bool drawn) {
    MyFrame* f = &frame_;
    // After the side states it describes, and only while the files are the ones drawn.
    channel_->Post([f, drawn, g = generation_] { f->SetWavesDrawn(drawn, g); });
}
void FrameJobContext::SetSlicing(bool slicing) {
    frame_.Jobs().SetSlicing(slicing);
}

void FrameJobContext::RefreshCanvas() {
    MyFrame* f = &frame_;
    channel_->Post([f] { f->Controls().m_canvas->Refresh(true); });
}

void FrameJobContext::PlayVoice(const std::string& fileName) {
    PlayVoiceMessage(fileName);
}

// --- Progress and messages ---

void FrameJobContext::SetGauge(Gauge gauge, int value) {
    // The analysis reports every block; only a change of the shown value is worth a post.
    int& shown = shownGauge_[static_cast<int>(gauge)];
    if (shown == value) return;
    shown = value;
    MyFrame* f = &frame_;
    channel_->Post([f, gauge, value] {
        (gauge == Gauge::Encoding ? f->Controls().p_wxGauge2 : f->Controls().p_wxGauge1)
            ->SetValue(value);
    });
}

void FrameJobContext::SetStatus(const std::string& text) {
    MyFrame* f = &frame_;
    channel_->Post([f, text] { f->SetStatusText(FromUtf8(text)); });
}

void FrameJobContext::ShowMessage(const std::string& caption, const std::string& text) {
    MyFrame* f = &frame_;
    channel_->Prompt([f, caption, text] {
        f->Prompts().Message(f, FromUtf8(text), FromUtf8(caption),
                             wxOK | wxICON_EXCLAMATION | wxCENTRE);
    });
}

// --- Stops ---

bool FrameJobContext::TestDestroy() {
    return thread_.TestDestroy();
}
bool FrameJobContext::StopRequested() {
    return frame_.Jobs().StopRequested();
}
