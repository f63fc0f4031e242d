// About, the Help menu and the encoder download dialog.

#include <wx/app.h>
#include <wx/button.h>
#include <wx/file.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>

#include "app/DownloadDialog.h"
#include "tests/app/GuiTestSupport.h"

namespace {

using HelpTest = FrameTest;

TEST_F(HelpTest, AboutAndBasicHelpShowTheirTexts) {
    Menu(100);
    Menu(401);
    ASSERT_EQ(prompts->messages.size(), 2u);
    const ShownMessage& about = prompts->messages[0];
    EXPECT_EQ(about.caption, "About Velvane");
    EXPECT_EQ(about.style, wxOK | wxICON_INFORMATION);
    EXPECT_TRUE(about.text.StartsWith("Velvane, version 2.0\n"));
    EXPECT_TRUE(about.text.Contains("License"));
    const ShownMessage& help = prompts->messages[1];
    EXPECT_EQ(help.caption, "Basic Help");
    EXPECT_EQ(help.style, wxOK | wxICON_EXCLAMATION);
    EXPECT_TRUE(
        help.text.StartsWith("Record the two sides of the record (or one side of the "
                             "cassette) using this\nsoftware, by clicking on \"Rec...\""));
    EXPECT_TRUE(help.text.Contains("\"Locate encoder...\""));
}

// Basic Help and the manual tell of what the program does now, and ask for no step it
// does not need: an encoder installed on the system is found without locating it.
TEST_F(HelpTest, BasicHelpAndTheManualDescribeTheEditor) {
    Menu(401);
    Menu(402);
    ASSERT_EQ(prompts->messages.size(), 1u);
    ASSERT_EQ(prompts->urls.size(), 1u);
    const wxString help = prompts->messages[0].text;
    wxString manual;
    ASSERT_TRUE(wxFile(wxFileName::URLToFileName(prompts->urls[0]).GetFullPath()).ReadAll(&manual));
    for (const wxString& text : {help, manual}) {
        for (const char* topic : {"Smart Sense", "Track titles", "tags", "CUE sheet", "Cut list",
                                  "playhead", "Play", "space bar", "Zoom", "Undo", "Ctrl+Z"}) {
            EXPECT_TRUE(text.Lower().Contains(wxString(topic).Lower())) << topic;
        }
        EXPECT_TRUE(text.Contains("finds lame, oggenc and flac")) << "an installed encoder";
        EXPECT_FALSE(text.Contains("browse to the encoder"));
    }
}

TEST_F(HelpTest, ManualAndHomePageAreShippedPages) {
    Menu(402);
    Menu(400);
    ASSERT_EQ(prompts->urls.size(), 2u);
    const char* const names[] = {"manual.html", "index.html"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_TRUE(prompts->urls[i].StartsWith("file://"));
        EXPECT_TRUE(prompts->urls[i].EndsWith(names[i]));
        EXPECT_TRUE(wxFileExists(wxFileName::URLToFileName(prompts->urls[i]).GetFullPath()));
    }
}

TEST_F(HelpTest, DownloadResultOpensItsEncodersPage) {
    const std::pair<int, const char*> cases[] = {
        {kDownloadNone, nullptr},
        {kDownloadFastEnc, "fraunhofer"},
        {kDownloadBlade, "bladeenc"},
        {kDownloadL3Enc, "fraunhofer"},
        {kDownloadOggVorbis, "xiph.org/downloads"},
        {kDownloadLame, "lame"},
        {kDownloadFlac, "xiph.org/flac"},
        {wxID_CANCEL, nullptr},
    };
    for (const auto& [result, page] : cases) {
        SCOPED_TRACE(result);
        prompts->urls.clear();
        prompts->modalResults.push_back(result);
        Menu(404);
        EXPECT_EQ(prompts->dialogTitles.back(), "Download Encoder");
        if (page) {
            ASSERT_EQ(prompts->urls.size(), 1u);
            EXPECT_TRUE(prompts->urls[0].StartsWith("http"));
            EXPECT_TRUE(prompts->urls[0].Contains(page)) << prompts->urls[0];
        } else {
            EXPECT_TRUE(prompts->urls.empty());
        }
    }
}

// The real dialog, shown modally: each button ends it with its own result, which follows
// the table and not the order on screen.
TEST(DownloadDialogTest, EachButtonEndsTheDialogWithItsResult) {
    AllowRealDialogs allow;
    struct Case {
        wxButton* DownloadDialog::*button;
        const char* label;
        int y;
        int result;
    };
    const Case cases[] = {
        {&DownloadDialog::m_fastEnc, "Download the FastEnc MP3 encoder", 50, 1},
        {&DownloadDialog::m_blade, "Download the Blade MP3 encoder", 90, 2},
        {&DownloadDialog::m_oggVorbis, "Download the Ogg Vorbis encoder", 130, 4},
        {&DownloadDialog::m_l3Enc, "Download the L3Enc MP3 encoder (limited availability)", 170, 3},
        {&DownloadDialog::m_lame, "Download the LAME MP3 encoder", 210, 5},
        {&DownloadDialog::m_flac, "Download the FLAC encoder", 250, 6},
        {&DownloadDialog::m_cancel, "Cancel", 290, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DownloadDialog dialog(nullptr);
        EXPECT_EQ(dialog.GetTitle(), "Download Encoder");
        wxButton* button = dialog.*c.button;
        EXPECT_EQ(button->GetLabel(), c.label);
        EXPECT_EQ(button->GetPosition(), wxPoint(20, c.y));
        EXPECT_EQ(button->GetSize().y, 24);
        EXPECT_GE(button->GetSize().x, c.result == 0 ? 50 : 300);
        EXPECT_LE(button->GetTextExtent(c.label).x + 8, button->GetSize().x) << "label cut";
        EXPECT_TRUE(wxRect(dialog.GetClientSize()).Contains(button->GetRect()));
        dialog.CallAfter([button, &dialog, first = c.result == 1] {
            if (first) {  // a picture of the dialog for the eye
                for (int i = 0; i < 20; ++i) wxTheApp->Yield(true);
                SaveScreenshot(CaptureClientArea(&dialog), "download-dialog.png");
            }
            wxCommandEvent click(wxEVT_BUTTON, button->GetId());
            click.SetEventObject(button);
            button->GetEventHandler()->ProcessEvent(click);
        });
        EXPECT_EQ(dialog.ShowModal(), c.result);
    }
    DownloadDialog closed(nullptr);
    closed.CallAfter([&closed] { closed.Close(); });
    EXPECT_EQ(closed.ShowModal(), kDownloadNone) << "closing opens no page";
}

}  // namespace
