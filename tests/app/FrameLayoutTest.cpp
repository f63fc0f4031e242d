// The main window's geometry, initial state and look.

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcclient.h>
#include <wx/gauge.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "app/AccessibleNames.h"
#include "app/ImageFile.h"
#include "app/ImgPanel.h"
#include "app/ResourceFiles.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

enum class Kind { Button, Text, ReadOnlyText, Choice, CheckBox, Gauge };

struct ControlRow {
    std::string name;
    Kind kind;
    int id;  // -1: assigned by the toolkit
    const char* label;
    int x, y, w, h;  // dialog units; w = h = 0: the default size
};

std::vector<ControlRow> MainWindowControls() {
    std::vector<ControlRow> rows = {
        {"i_button3", Kind::Button, 728, "Rec...", 212, 21, 42, 13},
        {"i_button4", Kind::Button, 729, "Rec...", 212, 38, 42, 13},
        {"i_textCtrl1", Kind::ReadOnlyText, -1, "", 10, 21, 196, 13},
        {"i_textCtrl2", Kind::ReadOnlyText, -1, "", 10, 38, 196, 13},
        {"i_button1", Kind::Button, 726, "Locate...", 268, 21, 42, 13},
        {"i_button2", Kind::Button, 727, "Locate...", 268, 38, 42, 13},
        {"m_cutsHow", Kind::Choice, -1, "", 400, 21, 71, 10},
        {"c_textCtrl1", Kind::Text, -1, "", 477, 21, 20, 13},
    };
    for (int n = 0; n < 20; ++n)
        rows.push_back({"c_textCtrlTime" + std::to_string(n), Kind::Text, -1, "",
                        n < 10 ? 400 : 477, 55 + 13 * (n % 10), 71, 10});
    const std::vector<ControlRow> rest = {
        {"m_checkBox3", Kind::CheckBox, -1, "", 232, 78, 0, 0},
        {"w_checkBox1", Kind::CheckBox, -1, "", 232, 89, 0, 0},
        {"m_checkBox1", Kind::CheckBox, -1, "", 10, 78, 0, 0},
        {"m_button1", Kind::Button, 730, "Locate encoder...", 10, 89, 97, 13},
        {"m_choice1", Kind::Choice, -1, "", 109, 88, 97, 10},
        {"m_textCtrl1", Kind::ReadOnlyText, -1, "", 10, 105, 196, 13},
        {"m_checkBox2", Kind::CheckBox, -1, "", 10, 123, 0, 0},
        {"p_wxGauge1", Kind::Gauge, -1, "", 10, 153, 80, 7},
        {"p_wxGauge2", Kind::Gauge, -1, "", 10, 164, 80, 7},
        {"e_button2", Kind::Button, 732, "Draw waveforms", 232, 133, 140, 13},
        {"e_button3", Kind::Button, 733, "Slice using waveform markers", 232, 152, 140, 13},
        {"e_button1", Kind::Button, 731, "Slice using auto sense or typed times", 232, 171, 140,
         13},
    };
    rows.insert(rows.end(), rest.begin(), rest.end());
    return rows;
}

class LayoutTest : public FrameTest {
  protected:
    wxPoint Du(int x, int y) {
        return frame->Controls().m_panel->ConvertDialogToPixels(wxPoint(x, y));
    }
    wxSize DuSize(int w, int h) {
        return frame->Controls().m_panel->ConvertDialogToPixels(wxSize(w, h));
    }
};

TEST_F(LayoutTest, EveryControlSitsInItsDialogUnitBoxInCreationOrder) {
    const std::vector<ControlRow> rows = MainWindowControls();
    const wxWindowList& children = frame->Controls().m_panel->GetChildren();
    ASSERT_EQ(children.size(), rows.size());
    auto child = children.begin();
    for (const ControlRow& row : rows) {
        SCOPED_TRACE(row.name);
        wxWindow* control = *child++;
        EXPECT_EQ(control->GetName(), row.name);
        EXPECT_EQ(control->GetPosition(), Du(row.x, row.y));
        if (row.w > 0) {
            EXPECT_EQ(control->GetSize(), DuSize(row.w, row.h));
        }
        if (row.id >= 0) {
            EXPECT_EQ(control->GetId(), row.id);
        } else {
            EXPECT_LT(control->GetId(), 0) << "toolkit-assigned ids are negative";
        }
        switch (row.kind) {
            case Kind::Button: {
                auto* button = dynamic_cast<wxButton*>(control);
                ASSERT_NE(button, nullptr);
                EXPECT_EQ(button->GetLabel(), row.label);
                EXPECT_EQ(button->GetBackgroundColour(), wxColour(222, 222, 222));
                EXPECT_TRUE(button->IsEnabled());
                break;
            }
            case Kind::Text:
            case Kind::ReadOnlyText: {
                auto* text = dynamic_cast<wxTextCtrl*>(control);
                ASSERT_NE(text, nullptr);
                EXPECT_EQ(text->IsEditable(), row.kind == Kind::Text);
                EXPECT_EQ(text->GetValue(), row.name == "c_textCtrl1" ? "2" : "");
                break;
            }
            case Kind::Choice:
                ASSERT_NE(dynamic_cast<wxChoice*>(control), nullptr);
                break;
            case Kind::CheckBox: {
                auto* box = dynamic_cast<wxCheckBox*>(control);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->GetLabel(), "");
                EXPECT_EQ(box->GetValue(), row.name != "m_checkBox3");
                break;
            }
            case Kind::Gauge: {
                auto* gauge = dynamic_cast<wxGauge*>(control);
                ASSERT_NE(gauge, nullptr);
                EXPECT_EQ(gauge->GetRange(), 100);
                EXPECT_EQ(gauge->GetValue(), 0);
                EXPECT_TRUE(gauge->IsVertical() == false);
                break;
            }
        }
    }
    // The members are the controls of those names.
    EXPECT_EQ(frame->Controls().c_textCtrlTime[13]->GetName(), "c_textCtrlTime13");
    EXPECT_EQ(frame->Controls().e_button1->GetName(), "e_button1");
}

TEST_F(LayoutTest, ChoicesListTheirItemsWithTheirDefaults) {
    // Smart Sense's two items follow the two methods the settings file always knew.
    const std::vector<wxString> methods = {"Auto Sense -->", "Typed Times (Below)", "Smart Sense",
                                           "Smart Sense settings..."};
    EXPECT_EQ(frame->Controls().m_cutsHow->GetStrings(),
              wxArrayString(methods.size(), methods.data()));
    EXPECT_EQ(frame->Controls().m_cutsHow->GetSelection(), 0);
    const std::vector<wxString> kinds = {"L3Enc (MP3)",   "BladeEnc (MP3)", "Ogg Vorbis (Ogg)",
                                         "FastEnc (MP3)", "LAME (MP3)",     "FLAC (lossless)"};
    EXPECT_EQ(frame->Controls().m_choice1->GetStrings(), wxArrayString(kinds.size(), kinds.data()));
    EXPECT_EQ(frame->Controls().m_choice1->GetSelection(), 2);
}

// The window opens at its smallest size, where every control has its place; it may grow.
TEST_F(LayoutTest, FrameOpensAtItsSmallestSizeAndItsPanelCoversTheClientArea) {
    EXPECT_EQ(frame->GetTitle(), "Velvane, version 2.0");
    EXPECT_EQ(frame->GetName(), "frame");
    EXPECT_TRUE(frame->HasFlag(wxRESIZE_BORDER));
    EXPECT_TRUE(frame->HasFlag(wxMAXIMIZE_BOX));
    EXPECT_EQ(frame->GetMinSize(), frame->GetSize());
    EXPECT_EQ(frame->GetMaxSize(), wxDefaultSize);
    const wxSize client = frame->ConvertDialogToPixels(wxSize(559, 306));
    EXPECT_EQ(frame->GetClientSize(), client);
    EXPECT_EQ(frame->Controls().m_panel->GetName(), "VELVANE");
    EXPECT_EQ(frame->Controls().m_panel->GetRect(), wxRect(wxPoint(0, 0), client));

    EXPECT_EQ(frame->Controls().m_canvas->GetParent(), frame);
    EXPECT_EQ(frame->Controls().m_canvas->GetRect(), wxRect(Du(10, 199), DuSize(540, 100)));
    EXPECT_TRUE(wxRect(wxPoint(0, 0), client).Contains(frame->Controls().m_canvas->GetRect()));

    wxStatusBar* status = frame->GetStatusBar();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetName(), "status_line");
    EXPECT_EQ(status->GetFieldsCount(), 1);
    EXPECT_EQ(status->GetStatusText(), "Velvane, version 2.0");

    EXPECT_EQ(g_frame, frame);
    EXPECT_FALSE(frame->Jobs().Running());
    EXPECT_FALSE(frame->WavesDrawn());
    EXPECT_FALSE(frame->Jobs().Slicing());
    EXPECT_FALSE(frame->Jobs().StopRequested());
    EXPECT_EQ(frame->LastPath(), "");
    for (const SideState& side : frame->Sides()) {
        EXPECT_EQ(side.levelCount, 0u);
        EXPECT_EQ(side.cutCount, 0u);
    }
}

// Under GTK the dialog-unit boxes are smaller than the theme's controls: the compact style
// must make every text fit, and nothing may overlap.
TEST_F(LayoutTest, ControlsFitTheirBoxesAndNeverOverlap) {
    std::vector<wxWindow*> controls;
    for (wxWindow* control : frame->Controls().m_panel->GetChildren()) controls.push_back(control);
    controls.push_back(frame->Controls().m_canvas);
    for (wxWindow* control : controls) {
        SCOPED_TRACE(control->GetName());
        if (dynamic_cast<wxTextCtrl*>(control) || dynamic_cast<wxChoice*>(control) ||
            dynamic_cast<wxButton*>(control)) {
            EXPECT_LE(control->GetBestSize().y, control->GetSize().y);
        }
        if (auto* button = dynamic_cast<wxButton*>(control)) {
            EXPECT_LE(button->GetTextExtent(button->GetLabel()).x + 8, button->GetSize().x);
        }
        for (wxWindow* other : controls) {
            if (other != control) {
                EXPECT_FALSE(control->GetRect().Intersects(other->GetRect())) << other->GetName();
            }
        }
    }
}

// Screen readers name the check boxes by the captions painted beside them, and the
// transport's buttons by what they do.
TEST_F(LayoutTest, ControlsHaveTheirAccessibleNames) {
    const FrameControls& c = frame->Controls();
    const std::pair<wxWindow*, const char*> named[] = {
        {c.m_checkBox3, "Delete all wave slices when finished"},
        {c.w_checkBox1, "Voice message when sides have been sliced"},
        {c.m_checkBox1, "Create MP3 (or Ogg) files from wave slices"},
        {c.m_checkBox2, "Voice message when MP3 (or Ogg) files have been created"},
        {c.m_play, "Play"},
        {c.m_pause, "Pause"},
        {c.m_stop, "Stop"},
        {c.m_previousCut, "Play from the previous cut"},
        {c.m_nextCut, "Play from the next cut"},
        {c.m_zoomFit, "Zoom to fit"}};
    for (const auto& [window, name] : named) EXPECT_EQ(app::AccessibleName(*window), name);
    for (wxButton* button : {c.m_play, c.m_pause, c.m_stop}) {
        EXPECT_EQ(button->GetName(), button->GetLabel());
    }
}

struct CaptionRow {
    const char* text;
    int points;
    int x, y;
};

const CaptionRow kExpectedCaptions[] = {
    {"Input", 11, 10, 7},
    {"or", 8, 259, 22},
    {"or", 8, 259, 39},
    {"Side 1", 8, 314, 22},
    {"Side 2", 8, 314, 39},
    {"MP3 and Ogg", 11, 10, 60},
    {"Create MP3 (or Ogg) files from wave slices", 8, 23, 78},
    {"Voice message when MP3 (or Ogg) files have been created", 8, 23, 123},
    {"Wave slices", 11, 232, 60},
    {"Delete all wave slices when finished", 8, 245, 78},
    {"Voice message when sides have been sliced", 8, 245, 89},
    {"Cuts", 11, 400, 7},
    {"Side 1 (min.sec.dsec)", 8, 400, 42},
    {"Side 2 (min.sec.dsec)", 8, 477, 42},
    {"seconds", 8, 502, 23},
    {"Progress", 11, 10, 137},
    {"Start", 11, 232, 117},
};

bool IsCaptionWhite(const wxImage& image, int x, int y) {
    return image.GetRed(x, y) > 200 && image.GetGreen(x, y) > 200 && image.GetBlue(x, y) > 200;
}

bool IsDark(const wxImage& image, int x, int y) {
    return image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 3 * 70;
}

class PaintedTest : public LayoutTest {
  protected:
    wxImage CapturePainted() {
        bool painted = false;
        const auto erased = [&painted](wxEraseEvent& e) {
            painted = true;
            e.Skip();
        };
        wxWindow* panel = frame->Controls().m_panel;
        panel->Bind(wxEVT_ERASE_BACKGROUND, erased);
        panel->Refresh();
        EXPECT_TRUE(RunUntil([&] { return painted; }));
        // A later repaint must not reach `painted` once this function has returned.
        panel->Unbind(wxEVT_ERASE_BACKGROUND, erased);
        // One more pass so that the controls over the panel have painted too.
        for (int i = 0; i < 20; ++i) wxTheApp->Yield(true);
        return CaptureClientArea(frame);
    }
};

// Screenshot for the eye (build tree screenshots/main-window.png), and the captions checked
// in it: each is painted in white where it belongs, on a dark ground, clear of the controls.
TEST_F(PaintedTest, CaptionsAreWhiteOnADarkGroundClearOfTheControls) {
    frame->Controls().m_cutsHow->SetSelection(1);  // the longest item, to see it is not cut
    // Text in the shortest boxes, to see it is not cut either.
    frame->Controls().i_textCtrl1->ChangeValue("/home/user/Records/side 1.wav");
    frame->Controls().c_textCtrlTime[0]->ChangeValue("3.25.5");
    frame->Controls().c_textCtrlTime[10]->ChangeValue("12.07.9");
    ASSERT_TRUE(frame->Controls().m_panel->HasBackgroundPicture()) << "mainback.jpg not built?";
    const wxImage image = CapturePainted();
    SaveScreenshot(image, "main-window.png");
    SaveScreenshot(CaptureScreenRect(frame), "main-window-with-menus.png");

    wxClientDC dc(frame->Controls().m_panel);
    for (const CaptionRow& caption : kExpectedCaptions) {
        SCOPED_TRACE(caption.text);
        dc.SetFont(
            wxFont(caption.points, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
        const wxRect box(Du(caption.x, caption.y), dc.GetTextExtent(caption.text));
        ASSERT_TRUE(wxRect(image.GetSize()).Contains(box));
        for (wxWindow* control : frame->Controls().m_panel->GetChildren())
            EXPECT_FALSE(box.Intersects(control->GetRect())) << control->GetName();
        int white = 0;
        for (int y = box.GetTop(); y <= box.GetBottom(); ++y)
            for (int x = box.GetLeft(); x <= box.GetRight(); ++x)
                white += IsCaptionWhite(image, x, y);
        EXPECT_GT(white, box.width / 2) << "caption not painted";
        EXPECT_TRUE(IsDark(image, box.GetRight(), box.GetTop()));
    }
    const wxPoint empty = Du(385, 100);  // between the Start buttons and the typed times
    EXPECT_TRUE(IsDark(image, empty.x, empty.y));
}

TEST_F(PaintedTest, MissingBackgroundPictureLeavesADarkFill) {
    TempDir emptyInstall;
    setenv("VELVANE_HOME", emptyInstall.path().c_str(), 1);
    frame->Destroy();
    RunUntil([] { return g_frame == nullptr; });
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompts = scripted.get();
    frame = new MyFrame(kProgramTitle, wxPoint(20, 40), wxSize(902, 340), std::move(scripted));
    unsetenv("VELVANE_HOME");
    frame->Show();
    EXPECT_FALSE(frame->Controls().m_panel->HasBackgroundPicture());
    const wxImage image = CapturePainted();
    const wxPoint empty = Du(385, 100);
    EXPECT_EQ(wxColour(image.GetRed(empty.x, empty.y), image.GetGreen(empty.x, empty.y),
                       image.GetBlue(empty.x, empty.y)),
              kBackgroundFill);
    const wxPoint input = Du(10, 7);
    int white = 0;
    for (int x = input.x; x < input.x + 40; ++x)
        for (int y = input.y; y < input.y + 16; ++y) white += IsCaptionWhite(image, x, y);
    EXPECT_GT(white, 10);
}

// The pictures the build draws: the background covers the whole client area and is dark
// enough for white captions; the icon has the program's three colours.
TEST_F(LayoutTest, PicturesAreBuiltToFitTheWindow) {
    const wxImage background =
        app::LoadImageFile(resource::Path(resource::kBackground), wxBITMAP_TYPE_JPEG);
    ASSERT_TRUE(background.IsOk());
    EXPECT_GE(background.GetWidth(), frame->GetClientSize().x);
    EXPECT_GE(background.GetHeight(), frame->GetClientSize().y);
    double brightness = 0;
    const unsigned char* rgb = background.GetData();
    const int pixels = background.GetWidth() * background.GetHeight();
    for (int i = 0; i < 3 * pixels; ++i) brightness += rgb[i];
    EXPECT_LT(brightness / (3.0 * pixels), 60.0);

    EXPECT_TRUE(app::LoadImageFile(resource::Path(resource::kSplash), wxBITMAP_TYPE_BMP).IsOk());
    const wxImage icon = app::LoadImageFile(resource::Path("velvane.png"), wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(icon.IsOk());
    EXPECT_EQ(icon.GetSize(), wxSize(32, 32));
    std::set<std::string> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (icon.IsTransparent(x, y)) {
                colours.insert("transparent");
            } else {
                colours.insert(wxColour(icon.GetRed(x, y), icon.GetGreen(x, y), icon.GetBlue(x, y))
                                   .GetAsString(wxC2S_HTML_SYNTAX)
                                   .ToStdString());
            }
        }
    }
    EXPECT_EQ(colours, (std::set<std::string>{"transparent", "#030000", "#231A74"}));
}

}  // namespace
