#include "app/FrameControls.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/textctrl.h>

#include "app/AccessibleNames.h"
#include "app/CompactStyle.h"
#include "app/ImgPanel.h"
#include "model/EncoderKind.h"

namespace {

const wxColour kButtonColour(222, 222, 222);
// A check box's caption stands this far right of the box, on its line.
constexpr int kCaptionOffset = 13;

wxString CaptionBeside(int x, int y) {
    for (int i = 0; i < kCaptionCount; ++i)
        if (kCaptions[i].x == x + kCaptionOffset && kCaptions[i].y == y) return kCaptions[i].text;
    return {};
}

}  // namespace

wxButton* app::MakeFrameButton(wxWindow* parent, int id, const wxString& label,
                               const wxString& name, const wxPoint& at, const wxSize& size) {
    auto* b = new wxButton(parent, id, label, at, size, 0, wxDefaultValidator, name);
    b->SetBackgroundColour(kButtonColour);
    UseCompactStyle(b);
    return b;
}

void app::BuildFrameControls(FrameControls& controls) {
    imgPanel* const panel = controls.m_panel;
    auto px = [panel](int x, int y) { return panel->ConvertDialogToPixels(wxPoint(x, y)); };
    auto size = [panel](int w, int h) { return panel->ConvertDialogToPixels(wxSize(w, h)); };
    auto button = [&](int id, const char* label, const char* name, wxPoint at, wxSize extent) {
        return MakeFrameButton(panel, id, label, name, at, extent);
    };
    auto text = [&](const wxString& name, wxPoint at, wxSize extent, long style) {
        auto* t = new wxTextCtrl(panel, wxID_ANY, wxString(), at, extent, style, wxDefaultValidator,
                                 name);
        UseCompactStyle(t);
        return t;
    };
    auto choice = [&](const char* name, wxPoint at, wxSize extent, const wxArrayString& items,
                      int selection) {
        auto* c = new wxChoice(panel, wxID_ANY, at, extent, items, 0, wxDefaultValidator, name);
        c->SetSelection(selection);
        UseCompactStyle(c);
        return c;
    };
    // A check box has no label of its own: its caption is painted on the panel beside it.
    // The caption is its accessible name all the same.
    auto check = [&](const char* name, int x, int y, bool checked) {
        auto* c = new wxCheckBox(panel, wxID_ANY, wxString(), px(x, y), wxDefaultSize, 0,
                                 wxDefaultValidator, name);
        c->SetValue(checked);
        UseCompactStyle(c);
        SetAccessibleName(*c, CaptionBeside(x, y));
        return c;
    };
    auto gauge = [&](const char* name, wxPoint at) {
        auto* g = new wxGauge(panel, wxID_ANY, 100, at, size(80, 7), wxGA_HORIZONTAL,
                              wxDefaultValidator, name);
        UseCompactStyle(g);
        return g;
    };

    controls.i_button3 = button(kIdRecordSide1, "Rec...", "i_button3", px(212, 21), size(42, 13));
    controls.i_button4 = button(kIdRecordSide2, "Rec...", "i_button4", px(212, 38), size(42, 13));
    controls.i_textCtrl1 = text("i_textCtrl1", px(10, 21), size(196, 13), wxTE_READONLY);
    controls.i_textCtrl2 = text("i_textCtrl2", px(10, 38), size(196, 13), wxTE_READONLY);
    controls.i_button1 =
        button(kIdLocateSide1, "Locate...", "i_button1", px(268, 21), size(42, 13));
    controls.i_button2 =
        button(kIdLocateSide2, "Locate...", "i_button2", px(268, 38), size(42, 13));

    wxArrayString cutMethods;
    cutMethods.Add("Auto Sense -->");
    cutMethods.Add("Typed Times (Below)");
    controls.m_cutsHow = choice("m_cutsHow", px(400, 21), size(71, 10), cutMethods, 0);
    controls.c_textCtrl1 = text("c_textCtrl1", px(477, 21), size(20, 13), 0);
    controls.c_textCtrl1->ChangeValue("2");
    for (int n = 0; n < kTypedTimeFields; ++n) {
        const wxPoint at =
            n < kTypedTimesPerSide ? px(400, 55 + 13 * n) : px(477, 55 + 13 * (n - 10));
        controls.c_textCtrlTime[n] =
            text(wxString::Format("c_textCtrlTime%d", n), at, size(71, 10), 0);
    }

    controls.m_checkBox3 = check("m_checkBox3", 232, 78, false);
    controls.w_checkBox1 = check("w_checkBox1", 232, 89, true);
    controls.m_checkBox1 = check("m_checkBox1", 10, 78, true);
    controls.m_button1 =
        button(kIdLocateEncoder, "Locate encoder...", "m_button1", px(10, 89), size(97, 13));
    wxArrayString kinds;
    for (const char* label : kEncoderKindLabels) kinds.Add(label);
    controls.m_choice1 = choice("m_choice1", px(109, 88), size(97, 10), kinds,
                                static_cast<int>(EncoderKind::OggVorbis));
    controls.m_textCtrl1 = text("m_textCtrl1", px(10, 105), size(196, 13), wxTE_READONLY);
    controls.m_checkBox2 = check("m_checkBox2", 10, 123, true);

    controls.p_wxGauge1 = gauge("p_wxGauge1", px(10, 153));
    controls.p_wxGauge2 = gauge("p_wxGauge2", px(10, 164));
    controls.e_button2 =
        button(kIdDrawWaveforms, "Draw waveforms", "e_button2", px(232, 133), size(140, 13));
    controls.e_button3 = button(kIdSliceMarkers, "Slice using waveform markers", "e_button3",
                                px(232, 152), size(140, 13));
    controls.e_button1 = button(kIdSliceAutoOrTyped, "Slice using auto sense or typed times",
                                "e_button1", px(232, 171), size(140, 13));
    panel->SetBackgroundColour(kButtonColour);
}
