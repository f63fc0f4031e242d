// The three jobs driven through the window's buttons on generated sides: what they leave
// in the window, the side states and the slice folders.

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "app/MyWorkerThread.h"
#include "app/SmartSenseChoice.h"
#include "app/SmartSenseDialog.h"
#include "model/EncoderKind.h"
#include "platform/Process.h"
#include "settings/MenuSettings.h"
#include "tests/app/JobTestSupport.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

struct SidesCase {
    const char* name;
    bool side1;
    bool side2;
};

void PrintTo(const SidesCase& c, std::ostream* out) {
    *out << c.name;
}

class DrawWaveforms : public JobWindowTest, public testing::WithParamInterface<SidesCase> {};

TEST_P(DrawWaveforms, FillsThePresentSidesAndSettlesTheirCutTables) {
    const SidesCase c = GetParam();
    if (c.side1) Locate(Side::One, PlaceSide("one/side.wav", SmallSide(1)));
    if (c.side2) Locate(Side::Two, PlaceSide("two/side.wav", SmallSide(2)));
    // Leftovers of earlier editing that the job must clear.
    for (const Side s : kSides) {
        SideState& side = frame->SideAt(s);
        side.cuts[10] = 77;
        side.cuts[511] = 99;
        side.cutCount = 12;
    }

    Press(frame->Controls().e_button2);
    EXPECT_EQ(frame->Controls().e_button2->GetLabel(), "Stop");
    EXPECT_FALSE(frame->Controls().e_button1->IsEnabled());
    EXPECT_FALSE(frame->Controls().e_button3->IsEnabled());
    EXPECT_TRUE(frame->Jobs().Running());
    ASSERT_TRUE(WaitForJobEnd());

    ExpectWindowRestored();
    EXPECT_EQ(Status(), "Finished.");
    EXPECT_TRUE(frame->WavesDrawn());
    EXPECT_TRUE(prompts->messages.empty());
    const bool present[2] = {c.side1, c.side2};
    for (const Side s : kSides) {
        SCOPED_TRACE(model::Number(s));
        const SideState& side = frame->SideAt(s);
        if (!present[model::Index(s)]) {
            EXPECT_EQ(side.cutCount, 0u);
            EXPECT_EQ(side.levelCount, 0u);
            continue;
        }
        EXPECT_EQ(side.levelCount, 1500u);  // 150 s in tenths
        EXPECT_GT(side.peakLevel, 0.1f);
        EXPECT_EQ(side.cutCount, 4u);  // the gaps between five songs
        for (std::uint32_t i = 0; i < side.cutCount; ++i) EXPECT_NE(side.cuts[i], 0) << i;
        for (std::uint32_t i = side.cutCount; i < kMaxCuts; ++i) ASSERT_EQ(side.cuts[i], 0) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, DrawWaveforms,
                         testing::Values(SidesCase{"Side1", true, false},
                                         SidesCase{"Side2", false, true},
                                         SidesCase{"Both", true, true}),
                         [](const auto& info) { return info.param.name; });

TEST_F(JobWindowTest, AutoSenseSlicesBothSidesInOneNumbering) {
    const std::string one = PlaceSide("one/side.wav", SmallSide(1));
    const std::string two = PlaceSide("two/side.wav", SmallSide(2));
    Locate(Side::One, one);
    Locate(Side::Two, two);
    Press(frame->Controls().e_button1);
    EXPECT_EQ(frame->Controls().e_button1->GetLabel(), "Stop");
    EXPECT_FALSE(frame->Controls().e_button2->IsEnabled());
    ASSERT_TRUE(WaitForJobEnd());

    ExpectWindowRestored();
    EXPECT_EQ(Status(), "Finished.");
    EXPECT_TRUE(prompts->messages.empty());
    EXPECT_EQ(CountSlices(dir / "one"), 5);
    EXPECT_FALSE(fs::exists(dir / "one/6.wav"));
    EXPECT_EQ(CountSlices(dir / "two", 6), 5);
    EXPECT_FALSE(fs::exists(dir / "two/1.wav"));
    for (int n = 1; n <= 10; ++n)
        EXPECT_TRUE(
            IsCompleteWave((n <= 5 ? dir / "one/" : dir / "two/") + std::to_string(n) + ".wav"));
    // The analysis left each side's table as "Draw waveforms" does.
    for (const SideState& side : frame->Sides()) {
        EXPECT_EQ(side.cutCount, 4u);
        EXPECT_EQ(side.cuts[4], 0);
    }
}

// Smart Sense chosen in the window, with a song count given in its dialog: "Draw waveforms"
// leaves its cuts in the middles of the clearest gaps (Auto Sense's lie a second into the
// silence, and it would take all four).
TEST_F(JobWindowTest, SmartSenseChosenInTheWindowDrawsItsCuts) {
    const sidegen::SideRecipe recipe = SmallSide(1);
    Locate(Side::One, PlaceSide("side.wav", recipe));
    prompts->modalResults.push_back(wxID_OK);
    prompts->onModal = [](wxDialog& dialog) {
        static_cast<SmartSenseDialog&>(dialog).m_songs[0]->SetValue(4);
    };
    frame->Controls().m_cutsHow->SetSelection(SmartSenseChoice::kSettingsItem);
    wxCommandEvent choose(wxEVT_CHOICE, frame->Controls().m_cutsHow->GetId());
    choose.SetInt(SmartSenseChoice::kSettingsItem);
    choose.SetEventObject(frame->Controls().m_cutsHow);
    frame->Controls().m_cutsHow->GetEventHandler()->ProcessEvent(choose);
    EXPECT_EQ(prompts->dialogTitles, std::vector<wxString>{"Smart Sense"});
    EXPECT_EQ(frame->Controls().m_cutsHow->GetStringSelection(), "Smart Sense");

    Press(frame->Controls().e_button2);
    ASSERT_TRUE(WaitForJobEnd());
    const sidegen::SideLayout layout = sidegen::PlanSide(recipe);
    const SideState& side = frame->SideAt(Side::One);
    ASSERT_EQ(side.cutCount, 3u);  // four songs asked for
    for (std::uint32_t k = 0; k < side.cutCount; ++k) {
        // Each cut near the middle of some gap.
        double nearest = 1e9;
        for (std::size_t g = 0; g + 1 < layout.songs.size(); ++g) {
            const double middle =
                (layout.songs[g].endFrame + layout.songs[g + 1].startFrame) / 2.0 / 4410;
            nearest = std::min(nearest, std::abs(side.cuts[k] - middle));
        }
        EXPECT_LT(nearest, 4) << k;
    }
    frame->Controls().m_canvas->Refresh();
    for (int i = 0; i < 20; ++i) wxTheApp->Yield(true);
    SaveScreenshot(CaptureClientArea(frame), "smart-sense-waveforms.png");
}

TEST_F(JobWindowTest, TypedTimesCutOneSideWhereTyped) {
    Locate(Side::One, PlaceSide("side.wav", SmallSide(3)));
    frame->Controls().m_cutsHow->SetSelection(1);
    frame->Controls().c_textCtrlTime[0]->ChangeValue("0.30.0");
    frame->Controls().c_textCtrlTime[1]->ChangeValue("1.00.5");
    frame->Controls().c_textCtrl1->ChangeValue("");
    Press(frame->Controls().e_button1);
    ASSERT_TRUE(WaitForJobEnd());

    ExpectWindowRestored();
    EXPECT_EQ(Status(), "Finished.");
    ASSERT_EQ(CountSlices(dir.path()), 3);
    const auto first = ReadWavFrames(dir / "1.wav");
    const auto second = ReadWavFrames(dir / "2.wav");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->size(), 30u * 44100);
    EXPECT_EQ(second->size(), 305u * 4410);
    EXPECT_EQ(frame->Controls().c_textCtrl1->GetValue(), "");  // typed times need no silence length
}

// Sliced again with fewer cuts: the slices the first run made beyond them are named in one
// question, and go when the user says so.
TEST_F(JobWindowTest, FilesOfAnEarlierRunAreRemovedOnTheUsersWord) {
    Locate(Side::One, PlaceSide("side.wav", SmallSide(3)));
    frame->Controls().m_cutsHow->SetSelection(1);
    frame->Controls().c_textCtrlTime[0]->ChangeValue("0.30.0");
    frame->Controls().c_textCtrlTime[1]->ChangeValue("1.00.5");
    Press(frame->Controls().e_button1);
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_EQ(CountSlices(dir.path()), 3);
    EXPECT_TRUE(prompts->messages.empty());  // a first run asks nothing

    frame->Controls().c_textCtrlTime[1]->ChangeValue("");
    prompts->answers.push_back(wxYES);
    Press(frame->Controls().e_button1);
    ASSERT_TRUE(WaitForJobEnd());
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "Files of an earlier run");
    EXPECT_NE(prompts->messages[0].text.find("3.wav"), wxString::npos);
    EXPECT_EQ(CountSlices(dir.path()), 2);
    EXPECT_TRUE(fs::exists(dir / "side.wav"));
}

// A side that got no slices is named in one message, shown before "Finished.".
TEST_F(JobWindowTest, ASideWithoutSlicesIsReportedBeforeFinished) {
    Locate(Side::Two, PlaceSide("side.wav", SmallSide(3)));
    frame->Controls().m_cutsHow->SetSelection(1);  // and no time typed
    wxString statusAtMessage;
    prompts->onMessage = [&](const ShownMessage&) { statusAtMessage = Status(); };
    Press(frame->Controls().e_button1);
    ASSERT_TRUE(WaitForJobEnd());

    ExpectWindowRestored();
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "No slices");
    EXPECT_EQ(prompts->messages[0].text, "No slices were made for side 2 (no typed times).");
    EXPECT_EQ(statusAtMessage, "Slicing side 2 according to entered values...");
    EXPECT_EQ(Status(), "Finished.");
    EXPECT_EQ(CountSlices(dir.path()), 0);
}

TEST_F(JobWindowTest, MarkersSliceOnlyAfterDrawWaveforms) {
    Locate(Side::One, PlaceSide("one/side.wav", SmallSide(1)));
    Locate(Side::Two, PlaceSide("two/side.wav", SmallSide(2)));

    Press(frame->Controls().e_button3);  // before "Draw waveforms": nothing at all
    EXPECT_FALSE(frame->Jobs().Worker());
    EXPECT_EQ(frame->Controls().e_button3->GetLabel(), "Slice using waveform markers");
    EXPECT_TRUE(frame->Controls().e_button1->IsEnabled());

    Press(frame->Controls().e_button2);
    ASSERT_TRUE(WaitForJobEnd());
    // The user drags the first marker of side 2 and removes the others.
    frame->SideAt(Side::Two).cuts.fill(0);
    frame->SideAt(Side::Two).cuts[0] = 300;
    frame->SideAt(Side::Two).cutCount = 1;

    Press(frame->Controls().e_button3);
    EXPECT_EQ(frame->Controls().e_button3->GetLabel(), "Stop");
    ASSERT_TRUE(WaitForJobEnd());
    ExpectWindowRestored();
    EXPECT_EQ(Status(), "Finished.");
    EXPECT_TRUE(prompts->messages.empty());
    EXPECT_EQ(CountSlices(dir / "one"), 5);
    EXPECT_EQ(CountSlices(dir / "two", 6), 2);
    const auto first = ReadWavFrames(dir / "two/6.wav");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size(), 300u * 4410);
}

struct PreconditionCase {
    const char* name;
    SliceJob job;
    bool side;            // a side is located
    bool wavesDrawn;      // as after "Draw waveforms"
    int encoderKind;      // m_choice1, with "Create MP3" checked and no encoder path
    const char* caption;  // "" = no message
    const char* text;
};

void PrintTo(const PreconditionCase& c, std::ostream* out) {
    *out << c.name;
}

class Preconditions : public JobWindowTest, public testing::WithParamInterface<PreconditionCase> {};

TEST_P(Preconditions, RefuseWithTheirMessageAndGiveTheButtonsBack) {
    const PreconditionCase c = GetParam();
    if (c.side) Locate(Side::One, PlaceSide("side.wav", SmallSide(1)));
    frame->SetWavesDrawn(c.wavesDrawn);
    if (c.encoderKind >= 0) {
        frame->Controls().m_checkBox1->SetValue(true);
        frame->Controls().m_choice1->SetSelection(c.encoderKind);
    }
    wxButton* button = c.job == SliceJob::DrawWaveforms    ? frame->Controls().e_button2
                       : c.job == SliceJob::SliceByMarkers ? frame->Controls().e_button3
                                                           : frame->Controls().e_button1;
    Press(button);
    EXPECT_EQ(button->GetLabel(), "Stop");
    ASSERT_TRUE(WaitForJobEnd());

    ExpectWindowRestored();
    EXPECT_EQ(Status(), kProgramTitle);
    if (*c.caption == '\0') {
        EXPECT_TRUE(prompts->messages.empty());
    } else {
        ASSERT_EQ(prompts->messages.size(), 1u);
        EXPECT_EQ(prompts->messages[0].caption, c.caption);
        EXPECT_EQ(prompts->messages[0].text, c.text);
        EXPECT_EQ(prompts->messages[0].style & (wxOK | wxICON_EXCLAMATION),
                  wxOK | wxICON_EXCLAMATION);
    }
    EXPECT_EQ(CountSlices(dir.path()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, Preconditions,
    testing::Values(
        PreconditionCase{"DrawWithoutSides", SliceJob::DrawWaveforms, false, false, -1,
                         "Missing files!",
                         "You need to record or locate at least one file before drawing.\n"
                         "Please click on the Rec.. or Locate... buttons for side 1 or 2.\n"},
        PreconditionCase{"MarkersWithoutSides", SliceJob::SliceByMarkers, false, true, -1,
                         "Missing files!",
                         "You need to record or locate at least one file before slicing.\n"
                         "Please click on some of the Rec.. or Locate... buttons.\n"},
        PreconditionCase{"MarkersWithoutEncoder", SliceJob::SliceByMarkers, true, true,
                         static_cast<int>(EncoderKind::L3Enc), "Missing encoder!",
                         "You have selected MP3 or Ogg encoding but haven't located an "
                         "encoder. \nPlease click on Locate encoder... or deselect MP3/Ogg "
                         "creation.\n"},
        PreconditionCase{"AutoSenseWithoutSidesIsSilent", SliceJob::SliceAutoOrTyped, false, false,
                         -1, "", ""}),
    [](const auto& info) { return info.param.name; });

TEST_F(JobWindowTest, EncodesWithOggencAndDeletesTheEncodedSlices) {
    const std::string oggenc = platform::FindOnPath("oggenc");
    if (oggenc.empty()) GTEST_SKIP() << "oggenc not installed";
    Locate(Side::One, PlaceSide("side.wav", SmallSide(4)));
    frame->Controls().m_cutsHow->SetSelection(1);
    frame->Controls().c_textCtrlTime[0]->ChangeValue("0.05.0");
    frame->Controls().c_textCtrlTime[1]->ChangeValue("0.08.0");
    frame->Controls().m_checkBox1->SetValue(true);
    frame->Controls().m_checkBox3->SetValue(true);
    frame->Locate().LocateEncoder(oggenc);
    EXPECT_EQ(frame->Controls().m_choice1->GetSelection(),
              static_cast<int>(EncoderKind::OggVorbis));
    // Only the first two slices are short; the third runs to the end of the side.
    frame->Controls().c_textCtrlTime[2]->ChangeValue("0.10.0");
    frame->Controls().c_textCtrlTime[3]->ChangeValue("0.12.0");
    Press(frame->Controls().e_button1);
    ASSERT_TRUE(RunUntil([&] { return Status().StartsWith("Converting side 1"); },
                         std::chrono::seconds(60)));
    ASSERT_TRUE(WaitForJobEnd());

    ExpectWindowRestored();
    EXPECT_EQ(Status(), "Finished.");
    EXPECT_TRUE(prompts->messages.empty()) << prompts->messages[0].text;
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        EXPECT_GT(fs::file_size(dir / (std::to_string(n) + ".ogg")), 1000u);
        EXPECT_FALSE(fs::exists(dir / (std::to_string(n) + ".wav")));
    }
}

TEST_F(JobWindowTest, AnEqChangeDuringAJobReachesTheFilter) {
    Locate(Side::One, PlaceSide("side.wav", LongSide()));
    Press(frame->Controls().e_button2);
    ASSERT_TRUE(WaitForProgress(2));
    Menu(menu::kEqFirst + 4);
    ASSERT_TRUE(WaitForJobEnd());
    TrebleFilter expected;
    slice::TuneTreble(expected, menu::BoostLevelForEqId(menu::kEqFirst + 4));
    const TrebleFilter& now = frame->Treble();
    EXPECT_EQ(now.c0, expected.c0);
    EXPECT_EQ(now.c1, expected.c1);
    EXPECT_EQ(now.d1, expected.d1);
    EXPECT_EQ(now.d2, expected.d2);
}

// A side located anew while "Draw waveforms" works on the old file keeps what the user
// chose: the job's levels and its "waves drawn" belong to the file it read.
TEST_F(JobWindowTest, ASideLocatedDuringDrawWaveformsKeepsItsOwnState) {
    Locate(Side::One, PlaceSide("side.wav", LongSide()));
    Press(frame->Controls().e_button2);
    ASSERT_TRUE(WaitForProgress(2));
    Locate(Side::One, PlaceSide("other.wav", SmallSide(3)));
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_FALSE(frame->WavesDrawn());
    EXPECT_EQ(frame->SideAt(Side::One).levelCount, 0u);
}

}  // namespace
