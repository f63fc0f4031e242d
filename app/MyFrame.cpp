#include "app/MyFrame.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include "app/CompactStyle.h"
#include "app/FrameAlbum.h"
#include "app/FrameRecording.h"
#include "app/ImgPanel.h"
#include "app/MyWorkerThread.h"
#include "app/Prompter.h"
#include "app/SmartSenseChoice.h"
#include "engine/EncoderKind.h"

MyFrame* g_frame = nullptr;

namespace {

const wxColour kButtonColour(222, 222, 222);

constexpr long kFixedFrameStyle =
    wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX | wxSUNKEN_BORDER;

}  // namespace

MyFrame::MyFrame(const wxString& title, const wxPoint& position, const wxSize& size,
                 std::unique_ptr<Prompter> prompter)
    : wxFrame(nullptr, wxID_ANY, title, position, size, kFixedFrameStyle, "frame"),
      m_prompter(prompter ? std::move(prompter) : std::make_unique<WxPrompter>()) {
    SetBackgroundColour(*wxWHITE);
    BuildMenus();
    m_album = std::make_unique<FrameAlbum>(*this);
    // The client area is 559x306 dialog units whatever the font; the background panel
    // covers all of it.
    const wxSize client = ConvertDialogToPixels(wxSize(559, 306));
    m_panel = new imgPanel(this, wxID_ANY, wxPoint(0, 0), client, wxRAISED_BORDER, "VELVANE");
    BuildControls();
    m_smartSense = std::make_unique<SmartSenseChoice>(*this);
    m_canvas = new MyCanvas(
        this, [this](wxDC& dc, int W, int H, int half) { DrawEnvelopes(dc, W, H, half); });
    // The canvas lies over the panel: clicks on it are the panel's to handle.
    m_canvas->ForwardMouseTo(m_panel);

    CreateStatusBar(1, wxSTB_DEFAULT_STYLE, wxID_ANY, "status_line");
    SetStatusText(kProgramTitle);
    SetClientSize(client);
    // Fixed size: no resize border, and a window manager may not stretch it either.
    SetMinSize(GetSize());
    SetMaxSize(GetSize());

    Bind(wxEVT_CLOSE_WINDOW, &MyFrame::OnClose, this);
    Bind(wxEVT_BUTTON, &MyFrame::OnLocateSide, this, kIdLocateSide1, kIdLocateSide2);
    Bind(wxEVT_BUTTON, &MyFrame::OnLocateEncoder, this, kIdLocateEncoder);
    BindJobs();

    m_recording = std::make_unique<FrameRecording>(*this);
    g_frame = this;
    RetuneTreble();
}

MyFrame::~MyFrame() {
    // Destroy() without a close event skips the stop hooks; a job must not outlive us.
    EndJobAndWait();
    m_recording.reset();  // a recording still running ends while everything it shows exists
    if (g_frame == this) g_frame = nullptr;
}

void MyFrame::BuildControls() {
    auto px = [this](int x, int y) { return m_panel->ConvertDialogToPixels(wxPoint(x, y)); };
    auto size = [this](int w, int h) { return m_panel->ConvertDialogToPixels(wxSize(w, h)); };
    auto button = [&](int id, const char* label, const char* name, wxPoint at, wxSize extent) {
        auto* b = new wxButton(m_panel, id, label, at, extent, 0, wxDefaultValidator, name);
        b->SetBackgroundColour(kButtonColour);
        UseCompactStyle(b);
        return b;
    };
    auto text = [&](const wxString& name, wxPoint at, wxSize extent, long style) {
        auto* t = new wxTextCtrl(m_panel, wxID_ANY, wxString(), at, extent, style,
                                 wxDefaultValidator, name);
        UseCompactStyle(t);
        return t;
    };
    auto choice = [&](const char* name, wxPoint at, wxSize extent, const wxArrayString& items,
                      int selection) {
        auto* c = new wxChoice(m_panel, wxID_ANY, at, extent, items, 0, wxDefaultValidator, name);
        c->SetSelection(selection);
        UseCompactStyle(c);
        return c;
    };
    auto check = [&](const char* name, wxPoint at, bool checked) {
        auto* c = new wxCheckBox(m_panel, wxID_ANY, wxString(), at, wxDefaultSize, 0,
                                 wxDefaultValidator, name);
        c->SetValue(checked);
        UseCompactStyle(c);
        return c;
    };
    auto gauge = [&](const char* name, wxPoint at) {
        auto* g = new wxGauge(m_panel, wxID_ANY, 100, at, size(80, 7), wxGA_HORIZONTAL,
                              wxDefaultValidator, name);
        UseCompactStyle(g);
        return g;
    };

    i_button3 = button(kIdRecordSide1, "Rec...", "i_button3", px(212, 21), size(42, 13));
    i_button4 = button(kIdRecordSide2, "Rec...", "i_button4", px(212, 38), size(42, 13));
    i_textCtrl1 = text("i_textCtrl1", px(10, 21), size(196, 13), wxTE_READONLY);
    i_textCtrl2 = text("i_textCtrl2", px(10, 38), size(196, 13), wxTE_READONLY);
    i_button1 = button(kIdLocateSide1, "Locate...", "i_button1", px(268, 21), size(42, 13));
    i_button2 = button(kIdLocateSide2, "Locate...", "i_button2", px(268, 38), size(42, 13));

    wxArrayString cutMethods;
    cutMethods.Add("Auto Sense -->");
    cutMethods.Add("Typed Times (Below)");
    m_cutsHow = choice("m_cutsHow", px(400, 21), size(71, 10), cutMethods, 0);
    c_textCtrl1 = text("c_textCtrl1", px(477, 21), size(20, 13), 0);
    c_textCtrl1->ChangeValue("2");
    for (int n = 0; n < kTypedTimeFields; ++n) {
        const wxPoint at =
            n < kTypedTimesPerSide ? px(400, 55 + 13 * n) : px(477, 55 + 13 * (n - 10));
        c_textCtrlTime[n] = text(wxString::Format("c_textCtrlTime%d", n), at, size(71, 10), 0);
    }

    m_checkBox3 = check("m_checkBox3", px(232, 78), false);
    w_checkBox1 = check("w_checkBox1", px(232, 89), true);
    m_checkBox1 = check("m_checkBox1", px(10, 78), true);
    m_button1 =
        button(kIdLocateEncoder, "Locate encoder...", "m_button1", px(10, 89), size(97, 13));
    wxArrayString kinds;
    for (const char* label : kEncoderKindLabels) kinds.Add(label);
    m_choice1 = choice("m_choice1", px(109, 88), size(97, 10), kinds,
                       static_cast<int>(EncoderKind::OggVorbis));
    m_textCtrl1 = text("m_textCtrl1", px(10, 105), size(196, 13), wxTE_READONLY);
    m_checkBox2 = check("m_checkBox2", px(10, 123), true);

    p_wxGauge1 = gauge("p_wxGauge1", px(10, 153));
    p_wxGauge2 = gauge("p_wxGauge2", px(10, 164));
    e_button2 =
        button(kIdDrawWaveforms, "Draw waveforms", "e_button2", px(232, 133), size(140, 13));
    e_button3 = button(kIdSliceMarkers, "Slice using waveform markers", "e_button3", px(232, 152),
                       size(140, 13));
    e_button1 = button(kIdSliceAutoOrTyped, "Slice using auto sense or typed times", "e_button1",
                       px(232, 171), size(140, 13));
    m_panel->SetBackgroundColour(kButtonColour);
}

void MyFrame::SetLastPath(const std::string& path) {
    m_lastPath = path;
    if (m_lastPath.size() <= kMaxLastPath) return;
    // Cut on a character boundary, never inside a UTF-8 sequence.
    std::size_t end = kMaxLastPath;
    while (end > 0 && (static_cast<unsigned char>(m_lastPath[end]) & 0xC0) == 0x80) --end;
    m_lastPath.resize(end);
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

void MyFrame::OnExit(wxCommandEvent&) {
    Close(true);
}
