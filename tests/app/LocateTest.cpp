// "Locate..." for the sides and "Locate encoder...".

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "app/WxText.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

class LocateTest : public FrameTest {
  protected:
    std::string MakeWav(const std::string& name, const WavLayout& layout = {}) {
        const std::string path = dir / name;
        EXPECT_TRUE(WriteWav(path, NoiseFrames(100, 0.5), layout));
        return path;
    }
    wxButton* LocateButton(int side) {
        return side == 1 ? frame->Controls().i_button1 : frame->Controls().i_button2;
    }
    wxTextCtrl* PathControl(int side) {
        return side == 1 ? frame->Controls().i_textCtrl1 : frame->Controls().i_textCtrl2;
    }
    TempDir dir;
};

TEST_F(LocateTest, AcceptedSideFileBecomesTheSidesPathAndTheLastPath) {
    for (int side : {1, 2}) {
        SCOPED_TRACE(side);
        const std::string path = MakeWav("side " + std::to_string(side) + " é.wav");
        frame->SetWavesDrawn(true);
        prompts->files.push_back(app::FromUtf8(path));
        Click(LocateButton(side));
        EXPECT_EQ(app::ToUtf8(PathControl(side)->GetValue()), path);
        EXPECT_EQ(frame->LastPath(), path);
        EXPECT_FALSE(frame->WavesDrawn());
        const FileRequest& request = prompts->fileRequests.back();
        EXPECT_EQ(request.message, wxString::Format("Locate the wave file for side %d.", side));
        EXPECT_EQ(request.wildcard, "Wave Files (*.wav)|*.wav|All Files (*)|*");
        EXPECT_FALSE(request.save);
    }
    EXPECT_EQ(prompts->fileRequests[0].defaultDir, "");
    EXPECT_EQ(app::ToUtf8(prompts->fileRequests[1].defaultDir), dir.path());
    EXPECT_TRUE(prompts->messages.empty());
}

TEST_F(LocateTest, RefusedSideFileShowsWhatItIsAndChangesNothing) {
    // 48 kHz and mono sides are taken now; 8 kHz and 8 bits are not.
    WavLayout rate8k;
    rate8k.sampleRate = 8000;
    WavLayout eightBit;
    eightBit.bitsPerSample = 8;
    const std::string wrong = "This is not a side Velvane can read!\n";
    const std::string taken =
        "\nSides are WAV, FLAC, AIFF, RF64 or Wave64 files, mono or stereo, 16 to 32 bits or "
        "float, 22.05 to 192 kHz.";
    const std::pair<std::string, std::string> cases[] = {
        {MakeWav("8k.wav", rate8k), wrong + "(8000 Hz, 2 channels, 16 bits)" + taken},
        {MakeWav("8bit.wav", eightBit), wrong + "(44100 Hz, 2 channels, 8 bits)" + taken},
        // A missing file is missing, not of the wrong format.
        {dir / "missing.wav", "The file \"" + (dir / "missing.wav") + "\" cannot be opened."},
    };
    frame->Controls().i_textCtrl2->ChangeValue("/old/side2.wav");
    frame->SetLastPath("/old/side2.wav");
    frame->SetWavesDrawn(true);
    for (const auto& [path, format] : cases) {
        SCOPED_TRACE(path);
        prompts->files.push_back(app::FromUtf8(path));
        Click(frame->Controls().i_button2);
        ASSERT_FALSE(prompts->messages.empty());
        const ShownMessage& message = prompts->messages.back();
        EXPECT_EQ(app::ToUtf8(message.text), format);
        EXPECT_EQ(message.caption, "Wrong format");
        EXPECT_EQ(message.style, wxOK | wxICON_INFORMATION);
        EXPECT_EQ(frame->Controls().i_textCtrl2->GetValue(), "/old/side2.wav");
        EXPECT_EQ(frame->LastPath(), "/old/side2.wav");
        EXPECT_TRUE(frame->WavesDrawn());
    }
    prompts->files.push_back("");  // cancelled
    Click(frame->Controls().i_button1);
    EXPECT_EQ(prompts->messages.size(), 3u);
    EXPECT_EQ(frame->Controls().i_textCtrl1->GetValue(), "");
}

// A copy cut short of its header is taken for what it holds, and the user is told so.
TEST_F(LocateTest, ASideShorterThanItsHeaderIsTakenWithAWord) {
    const std::string path = MakeWav("cut.wav");
    std::filesystem::resize_file(path, 44 + 4 * 50);
    prompts->files.push_back(app::FromUtf8(path));
    Click(LocateButton(1));
    EXPECT_EQ(app::ToUtf8(PathControl(1)->GetValue()), path);
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "Shorter than its header");
    EXPECT_NE(prompts->messages[0].text.find("shorter than its header says"), wxString::npos);
}

TEST_F(LocateTest, EncoderKindIsRecognisedFromItsPath) {
    struct Case {
        const char* path;
        int before;
        int after;
    };
    const Case cases[] = {
        {"/opt/Tools/OggEnc2.exe", 0, 2},
        {"/opt/blade/l3enc.exe", 2, 0},  // "l3enc" is tested before "blade"
        {"/opt/BladeEnc/bladeenc", 2, 1},
        {"/opt/fastenc/fastenc.exe", 2, 3},
        {"/usr/bin/lame", 2, 4},
        {"/usr/bin/flac", 2, 5},
        {"/usr/local/bin/encoder", 3, 3},  // none of the words: the choice stays
    };
    frame->SetLastPath("/music/a.wav");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        frame->Controls().m_choice1->SetSelection(c.before);
        prompts->files.push_back(c.path);
        Click(frame->Controls().m_button1);
        EXPECT_EQ(frame->Controls().m_textCtrl1->GetValue(), c.path);
        EXPECT_EQ(frame->Controls().m_choice1->GetSelection(), c.after);
        const FileRequest& request = prompts->fileRequests.back();
        EXPECT_EQ(request.message, "Locate the MP3 (or Ogg) encoder.");
        EXPECT_EQ(request.defaultDir, "");
        EXPECT_EQ(request.wildcard, "Executable (*.exe)|*.exe|All Files (*)|*");
        EXPECT_EQ(request.filterIndex, 1) << "encoders here have no .exe";
    }
    EXPECT_EQ(frame->LastPath(), "/music/a.wav");
    prompts->files.push_back("");
    Click(frame->Controls().m_button1);
    EXPECT_EQ(frame->Controls().m_textCtrl1->GetValue(), "/usr/local/bin/encoder");
}

}  // namespace
