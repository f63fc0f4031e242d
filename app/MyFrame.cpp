#include "app/MyFrame.h"

#include <wx/statusbr.h>

#include <filesystem>
#include <system_error>

#include "album/Utf8Text.h"
#include "app/FrameAlbum.h"
#include "app/FrameJobs.h"
#include "app/FrameMenus.h"
#include "app/FrameRecording.h"
#include "app/FrameWaveforms.h"
#include "app/HelpCommands.h"
#include "app/ImgPanel.h"
#include "app/LocateCommands.h"
#include "app/SettingsCommands.h"
#include "app/SmartSenseChoice.h"
#include "app/WxText.h"
#include "platform/Paths.h"

MyFrame* g_frame = nullptr;

namespace {

constexpr long kFixedFrameStyle =
    wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX | wxSUNKEN_BORDER;

}  // namespace

MyFrame::MyFrame(const wxString& title, const wxPoint& position, const wxSize& size,
                 std::unique_ptr<Prompter> prompter)
    : wxFrame(nullptr, wxID_ANY, title, position, size, kFixedFrameStyle, "frame"),
      m_prompter(prompter ? std::move(prompter) : std::make_unique<WxPrompter>()) {
    SetBackgroundColour(*wxWHITE);
    m_menus = std::make_unique<FrameMenus>(*this, [this] { FollowEq(); });
    m_help = std::make_unique<HelpCommands>(*this);
    m_settings = std::make_unique<SettingsCommands>(*this);
    m_album = std::make_unique<FrameAlbum>(*this);
    // The client area is 559x306 dialog units whatever the font; the background panel
    // covers all of it.
    const wxSize client = ConvertDialogToPixels(wxSize(559, 306));
    m_controls.m_panel =
        new imgPanel(this, wxID_ANY, wxPoint(0, 0), client, wxRAISED_BORDER, "VELVANE");
    BuildFrameControls(m_controls);
    m_locate = std::make_unique<LocateCommands>(*this);
    m_smartSense = std::make_unique<SmartSenseChoice>(*this);
    m_jobs = std::make_unique<FrameJobs>(*this);
    m_waveforms = std::make_unique<FrameWaveforms>(*this, m_controls.m_canvas);

    CreateStatusBar(1, wxSTB_DEFAULT_STYLE, wxID_ANY, "status_line");
    SetStatusText(kProgramTitle);
    SetClientSize(client);
    // Fixed size: no resize border, and a window manager may not stretch it either.
    SetMinSize(GetSize());
    SetMaxSize(GetSize());

    Bind(wxEVT_CLOSE_WINDOW, &MyFrame::OnClose, this);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Close(true); }, kIdExit);

    m_recording = std::make_unique<FrameRecording>(*this);
    g_frame = this;
    FollowEq();
}

MyFrame::~MyFrame() {
    // Destroy() without a close event skips the stop hooks; a job must not outlive us.
    m_jobs->EndAndWait();
    m_recording.reset();  // a recording still running ends while everything it shows exists
    if (g_frame == this) g_frame = nullptr;
}

void MyFrame::PublishSide(Side side, const SideState& state, unsigned generation) {
    if (generation == m_sidesGeneration) m_sides[Index(side)] = state;
}

void MyFrame::SetWavesDrawn(bool drawn, unsigned generation) {
    if (generation == 0 || generation == m_sidesGeneration) m_wavesDrawn = drawn;
}

void MyFrame::SidesChanged() {
    ++m_sidesGeneration;
    m_wavesDrawn = false;  // the waveforms on display belong to the previous files
}

void MyFrame::FollowEq() {
    // A running job owns the filter; it follows the new level at its next block.
    if (m_jobs && m_jobs->Running()) return;
    m_treble.Follow(m_menus->TrebleBoostLevel());
}

void MyFrame::SetLastPath(const std::string& path) {
    m_lastPath = path;
    CutUtf8(m_lastPath, kMaxLastPath);
}

wxString MyFrame::LastFolder() const {
    // The last path usually names the file chosen last; the dialogs want its folder.
    std::error_code ec;
    if (m_lastPath.empty() || std::filesystem::is_directory(m_lastPath, ec))
        return FromUtf8(m_lastPath);
    return FromUtf8(platform::SplitDirectory(m_lastPath));
}

void MyFrame::AddStopHook(std::function<void()> stop) {
    m_stopHooks.push_back(std::move(stop));
}

void MyFrame::OnClose(wxCloseEvent&) {
    // Running work ends before the frame it reports to goes away; never vetoed.
    std::vector<std::function<void()>> hooks;
    hooks.swap(m_stopHooks);
    for (const auto& stop : hooks) stop();
    Destroy();
}
