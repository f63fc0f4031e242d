#include "app/MyFrame.h"

#include <wx/statusbr.h>

#include "app/FrameAlbum.h"
#include "app/FrameEditing.h"
#include "app/FrameJobs.h"
#include "app/FrameMenus.h"
#include "app/FrameRecording.h"
#include "app/FrameTransport.h"
#include "app/FrameWaveforms.h"
#include "app/HelpCommands.h"
#include "app/ImgPanel.h"
#include "app/LocateCommands.h"
#include "app/SettingsCommands.h"
#include "app/SmartSenseChoice.h"
#include "waveview/CanvasGeometry.h"

MyFrame* g_frame = nullptr;

namespace {

constexpr long kFrameStyle = wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxMAXIMIZE_BOX |
                             wxCLOSE_BOX | wxRESIZE_BORDER | wxSUNKEN_BORDER;

}  // namespace

MyFrame::MyFrame(const wxString& title, const wxPoint& position, const wxSize& size,
                 std::unique_ptr<Prompter> prompter)
    : wxFrame(nullptr, wxID_ANY, title, position, size, kFrameStyle, "frame"),
      m_prompter(prompter ? std::move(prompter) : std::make_unique<WxPrompter>()) {
    SetBackgroundColour(*wxWHITE);
    // An EQ choice, from the menu or a settings file, re-tunes the jobs' filter.
    const auto followEq = [this] {
        if (m_jobs) m_jobs->FollowEq();
    };
    m_menus = std::make_unique<FrameMenus>(*this, followEq);
    m_help = std::make_unique<HelpCommands>(*this, *m_prompter);
    m_settings = std::make_unique<SettingsCommands>(*this, m_controls, *m_menus, m_lastPath,
                                                    *m_prompter, followEq);
    // The client area is 559x306 dialog units whatever the font; the background panel
    // covers all of it.
    const wxSize client =
        ConvertDialogToPixels(wxSize(canvas_du::kWindowWidth, canvas_du::kWindowHeight));
    m_controls.m_panel =
        new imgPanel(this, wxID_ANY, wxPoint(0, 0), client, wxRAISED_BORDER, "VELVANE");
    app::BuildFrameControls(m_controls);
    m_locate =
        std::make_unique<LocateCommands>(*this, m_controls, m_sides, m_lastPath, *m_prompter);
    m_smartSense = std::make_unique<SmartSenseChoice>(*this, *m_controls.m_cutsHow, *m_prompter);
    m_jobs = std::make_unique<FrameJobs>(
        JobWindow{*this, m_controls, *m_menus, *m_prompter, m_sides, *m_smartSense, m_albumInfo},
        m_stopHooks);
    m_transport = std::make_unique<FrameTransport>(*this, m_controls, m_sides, *m_menus, m_playhead,
                                                   m_stopHooks);
    m_waveforms = std::make_unique<FrameWaveforms>(*this, m_controls, m_sides, *m_menus, *m_jobs,
                                                   m_playhead, m_stopHooks);
    m_transport->zoom = [this](double factor) { m_waveforms->Zoom(factor); };
    m_transport->zoomToFit = [this] { m_waveforms->ZoomToFit(); };
    m_waveforms->beforeListening = [this] { m_transport->Stop(); };
    m_album = std::make_unique<FrameAlbum>(*this, *m_menus->m_fileMenu, m_controls, m_sides,
                                           m_lastPath, *m_jobs, *m_prompter, m_albumInfo);
    m_editing = std::make_unique<FrameEditing>(*this, m_controls, m_sides, *m_jobs, *m_waveforms,
                                               *m_transport, m_playhead);

    CreateStatusBar(1, wxSTB_DEFAULT_STYLE, wxID_ANY, "status_line");
    SetStatusText(kProgramTitle);
    SetClientSize(client);
    // The default size is the smallest: every control has its place there.
    SetMinSize(GetSize());
    Bind(wxEVT_SIZE, &MyFrame::OnSize, this);

    Bind(wxEVT_CLOSE_WINDOW, &MyFrame::OnClose, this);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) {
            if (MayClose()) Close(true);
        },
        kIdExit);

    m_recording =
        std::make_unique<FrameRecording>(*this, m_controls, *m_menus->m_inputMenu, m_sides,
                                         m_lastPath, *m_jobs, *m_prompter, m_stopHooks);
    m_recording->beforeRecording = [this] { m_transport->Stop(); };
    m_recording->recordingFormat = [this] { return m_menus->recordingFormat; };
    m_recording->keepFormat = [this](const SideFormat& format) {
        m_menus->recordingFormat = format;
    };
    g_frame = this;
}

MyFrame::~MyFrame() {
    // Destroy() without a close event skips the stop hooks; a job must not outlive us.
    m_jobs->EndAndWait();
    m_recording.reset();  // a recording still running ends while everything it shows exists
    if (g_frame == this) g_frame = nullptr;
}

TrebleFilter& MyFrame::Treble() {
    return m_jobs->Treble();
}

void MyFrame::OnSize(wxSizeEvent& event) {
    event.Skip();
    if (!m_waveforms) return;
    m_controls.m_panel->SetSize(GetClientSize());
    m_waveforms->Layout();
}

bool MyFrame::MayClose() {
    const bool recording =
        m_recording->ActiveRecorder() && m_recording->ActiveRecorder()->IsRecording();
    if (!m_jobs->Running() && !recording) return true;
    const wxString what = recording ? "A side is being recorded" : "A job is running";
    return m_prompter->Message(this,
                               what +
                                   ". Stop it and close Velvane?\n(Every file written "
                                   "until then is kept complete.)",
                               "Close Velvane?",
                               wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION) == wxYES;
}

void MyFrame::OnClose(wxCloseEvent& event) {
    // Asked once: a forced close (File > Exit asked already) cannot be refused.
    if (event.CanVeto() && !MayClose()) {
        event.Veto();
        return;
    }
    // Running work ends before the frame it reports to goes away.
    m_stopHooks.RunOnce();
    Destroy();
}
