// File > Open... and File > Save...: what the window writes, what it restores, and how it
// applies the odd values of damaged files. (How such files read, and how a save fails
// safely: tests/settings/SettingsFileTest.cpp.)

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <string>

#include "app/WxText.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

class SettingsTest : public FrameTest {
  protected:
    void Save(const std::string& path) {
        prompts->files.push_back(app::FromUtf8(path));
        Menu(102);
    }
    void Open(const std::string& path) {
        prompts->files.push_back(app::FromUtf8(path));
        Menu(101);
    }
    /// Loads a file holding `bytes`.
    void OpenBytes(const std::string& bytes) {
        ASSERT_TRUE(WriteFileBytes(dir / "in.lpx", bytes));
        Open(dir / "in.lpx");
    }
    std::vector<int> CheckedMenuIds() {
        std::vector<int> ids;
        for (int id : {200, 201, 202, 203, 204, 205, 206, 300, 301, 302, 303,
                       500, 501, 708, 709, 710, 711, 712, 713, 714, 715})
            if (frame->Menus().m_menuBar->IsChecked(id)) ids.push_back(id);
        return ids;
    }
    std::vector<bool> Boxes() {
        return {
            frame->Controls().m_checkBox1->GetValue(), frame->Controls().m_checkBox2->GetValue(),
            frame->Controls().m_checkBox3->GetValue(), frame->Controls().w_checkBox1->GetValue()};
    }
    TempDir dir;
};

TEST_F(SettingsTest, SavedRightAfterStartUpIsTheDefaultFile) {
    Save(dir / "fresh.lpx");
    EXPECT_EQ(ReadFileBytes(dir / "fresh.lpx"),
              "<><><>0<>2<>" + Repeat("<>", 20) + "1<>2<>1<>0<>1<>202<>300<>500<>708<>");
    ASSERT_EQ(prompts->fileRequests.size(), 1u);
    const FileRequest& request = prompts->fileRequests[0];
    EXPECT_EQ(request.message, "Save Settings");
    EXPECT_EQ(request.wildcard, "*.lpx");
    EXPECT_EQ(request.defaultDir, "");
    EXPECT_TRUE(request.save);
    EXPECT_TRUE(prompts->messages.empty());
}

TEST_F(SettingsTest, WriteThenReadRestoresEveryValue) {
    frame->SetLastPath(dir / "side1.wav");
    frame->Controls().i_textCtrl1->ChangeValue(app::FromUtf8(dir / "Bände/side1.wav"));
    frame->Controls().i_textCtrl2->ChangeValue("/music/side 2.wav");
    frame->Controls().m_cutsHow->SetSelection(1);
    frame->Controls().c_textCtrl1->ChangeValue("3");
    for (int n = 0; n < 20; ++n)
        frame->Controls().c_textCtrlTime[n]->ChangeValue(
            wxString::Format("%d.%02d.%d", n, n + 10, n % 10));
    frame->Controls().m_checkBox1->SetValue(false);
    frame->Controls().m_checkBox2->SetValue(false);
    frame->Controls().m_checkBox3->SetValue(true);
    frame->Controls().w_checkBox1->SetValue(false);
    frame->Controls().m_choice1->SetSelection(5);
    for (int id : {206, 303, 501, 713, 802}) Menu(id);
    const SettingsFields saved = frame->Settings().Collect();
    EXPECT_EQ(saved.repairStrength, 2);
    Save(dir / "all.lpx");

    // Everything else, then back.
    for (int id : {200, 300, 500, 708, 800}) Menu(id);
    SettingsFields other;
    other.typedTimes.fill("9.9.9");
    frame->Settings().Apply(other);
    frame->SetLastPath("/elsewhere");
    Open(dir / "all.lpx");

    const SettingsFields restored = frame->Settings().Collect();
    EXPECT_EQ(settings::FormatSettings(restored), settings::FormatSettings(saved));
    EXPECT_EQ(frame->LastPath(), dir / "side1.wav");
    EXPECT_EQ(app::ToUtf8(frame->Controls().i_textCtrl1->GetValue()), dir / "Bände/side1.wav");
    EXPECT_EQ(frame->Controls().c_textCtrlTime[19]->GetValue(), "19.29.9");
    EXPECT_EQ(frame->Controls().m_choice1->GetSelection(), 5);
    EXPECT_EQ(Boxes(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(CheckedMenuIds(), (std::vector<int>{206, 303, 501, 713}));
    EXPECT_EQ(frame->Menus().TrebleBoostLevel(), 8.0f);
    TrebleFilter expected;
    slice::TuneTreble(expected, 8);
    EXPECT_EQ(frame->Treble().c0, expected.c0);
    // The dialogs start in the folder of the last chosen path.
    EXPECT_EQ(prompts->fileRequests.back().message, "Open Settings");
    EXPECT_EQ(prompts->fileRequests.back().defaultDir, "/");
    EXPECT_FALSE(prompts->fileRequests.back().save);
    EXPECT_EQ(prompts->fileRequests.front().defaultDir, app::FromUtf8(dir.path()));
}

TEST_F(SettingsTest, LoadingKeepsTheEncoderPathAndTheWaveformState) {
    frame->Controls().m_textCtrl1->ChangeValue("/usr/bin/lame");
    frame->SetWavesDrawn(true);
    OpenBytes("/x<>/a.wav<>/b.wav<>1<>2<>" + Repeat("<>", 20) +
              "1<>0<>1<>0<>1<>202<>300<>500<>708<>");
    EXPECT_EQ(frame->Controls().m_textCtrl1->GetValue(), "/usr/bin/lame");
    EXPECT_TRUE(frame->WavesDrawn());
    EXPECT_EQ(frame->Controls().i_textCtrl1->GetValue(), "/a.wav");
    EXPECT_EQ(frame->LastPath(), "/x");
}

TEST_F(SettingsTest, EmptyFileClearsChoicesChecksBoxesAndEmptiesGroups) {
    Menu(709);
    OpenBytes("");
    EXPECT_EQ(frame->LastPath(), "");
    EXPECT_EQ(frame->Controls().c_textCtrl1->GetValue(), "");
    EXPECT_EQ(frame->Controls().m_cutsHow->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(frame->Controls().m_choice1->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(Boxes(), (std::vector<bool>{true, true, true, true}));
    EXPECT_TRUE(CheckedMenuIds().empty());
    EXPECT_EQ(frame->Menus().SelectedBitRate(), 128000);
    EXPECT_EQ(frame->Menus().TrebleBoostLevel(), 0.0f);
    // Saved again, the groups give their fall-backs and the choices -1.
    Save(dir / "again.lpx");
    EXPECT_EQ(ReadFileBytes(dir / "again.lpx"), Repeat("<>", 3) + "-1<><>" + Repeat("<>", 20) +
                                                    "1<>-1<>1<>1<>1<>202<>300<>500<>708<>");
}

// Smart Sense is cut method 2; the item that opens its dialog (3) is no method to store.
TEST_F(SettingsTest, SmartSenseIsMethodTwo) {
    SettingsFields fields;
    fields.cutsHow = 2;
    OpenBytes(settings::FormatSettings(fields));
    EXPECT_EQ(frame->Controls().m_cutsHow->GetStringSelection(), "Smart Sense");
    EXPECT_EQ(frame->Settings().Collect().cutsHow, 2);
    fields.cutsHow = 3;
    OpenBytes(settings::FormatSettings(fields));
    EXPECT_EQ(frame->Controls().m_cutsHow->GetSelection(), wxNOT_FOUND);
}

TEST_F(SettingsTest, UnknownRateIdLeavesTheGroupUncheckedAndFallsBack) {
    SettingsFields fields;
    fields.rateId = 199;
    fields.fadeId = 302;
    OpenBytes(settings::FormatSettings(fields));
    EXPECT_EQ(CheckedMenuIds(), (std::vector<int>{302, 500, 708}));
    int rateId = 0;
    EXPECT_EQ(frame->Menus().SelectedBitRate(&rateId), 128000);
    EXPECT_EQ(rateId, 202);
}

TEST_F(SettingsTest, FailuresShowTheirMessagesAndChangeNothing) {
    const std::string before = settings::FormatSettings(frame->Settings().Collect());
    Open(dir / "missing.lpx");
    Save(dir / "no-such-folder/out.lpx");
    ASSERT_EQ(prompts->messages.size(), 2u);
    EXPECT_EQ(prompts->messages[0].caption, "Couldn't open!");
    EXPECT_EQ(prompts->messages[0].text,
              "Couldn't open the settings. Please check that the folder/file isn't read "
              "protected!");
    EXPECT_EQ(prompts->messages[1].caption, "Couldn't save!");
    EXPECT_EQ(prompts->messages[1].text,
              "Couldn't save the settings. Please check that the folder/file isn't write "
              "protected!");
    for (const ShownMessage& message : prompts->messages)
        EXPECT_EQ(message.style, wxOK | wxICON_WARNING);
    EXPECT_EQ(settings::FormatSettings(frame->Settings().Collect()), before);

    // Cancelled dialogs do nothing at all.
    Open("");
    Save("");
    EXPECT_EQ(prompts->messages.size(), 2u);
}

}  // namespace
