// Stopping the window's jobs: with the Stop button in the middle of each job, while a
// message is open, by a second press before the thread runs, and by closing the window.

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "app/MyWorkerThread.h"
#include "model/EncoderKind.h"
#include "platform/Process.h"
#include "settings/MenuSettings.h"
#include "tests/app/JobTestSupport.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;

namespace {

struct StopCase {
    const char* name;
    SliceJob job;
    int cutsHow;     // m_cutsHow selection
    int fullSlices;  // side 1's slices had the job run to its end
};

void PrintTo(const StopCase& c, std::ostream* out) {
    *out << c.name;
}

class StopInTheMiddle : public JobWindowTest, public testing::WithParamInterface<StopCase> {
  protected:
    wxButton* ButtonOf(SliceJob job) {
        return job == SliceJob::DrawWaveforms    ? frame->Controls().e_button2
               : job == SliceJob::SliceByMarkers ? frame->Controls().e_button3
                                                 : frame->Controls().e_button1;
    }
};

TEST_P(StopInTheMiddle, EndsTheJobAtOnceAndLeavesValidFiles) {
    const StopCase c = GetParam();
    Locate(Side::One, PlaceSide("one/side.wav", LongSide()));
    Locate(Side::Two, PlaceSide("two/side.wav", SmallSide(2)));
    frame->Controls().m_cutsHow->SetSelection(c.cutsHow);
    const char* typed[] = {"0.30.0", "1.00.0", "2.00.0", "4.00.0", "6.00.0", "8.00.0"};
    for (int i = 0; i < 6; ++i) frame->Controls().c_textCtrlTime[i]->ChangeValue(typed[i]);
    // Cuts placed earlier; a stopped analysis must keep them.
    SideState& side1 = frame->SideAt(Side::One);
    side1.cuts[0] = 600;
    side1.cuts[1] = 3000;
    side1.cutCount = 2;
    const std::array<std::int32_t, kMaxCuts> cutsBefore = side1.cuts;
    frame->SetWavesDrawn(c.job == SliceJob::SliceByMarkers);
    frame->Controls().m_checkBox1->SetValue(true);  // encoding would follow each side's slices
    Menu(menu::kEqLast);                            // the filter on every frame: time to press Stop

    wxButton* button = ButtonOf(c.job);
    Press(button);
    ASSERT_TRUE(WaitForProgress(8));
    Press(button);
    EXPECT_EQ(frame->Jobs().StopRequested(), c.job != SliceJob::DrawWaveforms);
    ASSERT_TRUE(WaitForJobEnd());

    ExpectWindowRestored();
    // The worker may be a step ahead of what the window has shown when Stop is pressed,
    // but it never reaches side 2 or the end of the job.
    EXPECT_NE(Status(), "Finished.");
    EXPECT_EQ(Status().Find("side 2"), wxNOT_FOUND) << Status();
    EXPECT_TRUE(prompts->messages.empty());
    EXPECT_EQ(CountSlices(dir / "two", 1) + CountSlices(dir / "two", 2), 0);
    for (const auto& entry : fs::directory_iterator(dir / "two"))
        EXPECT_EQ(entry.path().filename(), "side.wav");
    EXPECT_LT(CountSlices(dir / "one"), c.fullSlices);
    for (const auto& entry : fs::directory_iterator(dir / "one")) {
        if (entry.path().extension() == ".ogg") {
            // A slice complete before the stop may have been encoded meanwhile, only whole.
            const std::vector<std::string> check = {platform::FindOnPath("ogginfo"),
                                                    entry.path().string()};
            EXPECT_TRUE(platform::RunProcess(check, "").Succeeded()) << entry.path();
        } else if (entry.path().filename() != "side.wav") {
            EXPECT_TRUE(IsCompleteWave(entry.path()));
        }
    }
    if (c.job == SliceJob::DrawWaveforms) {
        EXPECT_FALSE(frame->WavesDrawn());
        EXPECT_EQ(frame->SideAt(Side::One).levelCount, 0u);
        EXPECT_EQ(frame->SideAt(Side::One).cutCount, 2u);
        EXPECT_EQ(frame->SideAt(Side::One).cuts, cutsBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, StopInTheMiddle,
                         testing::Values(StopCase{"DrawWaveforms", SliceJob::DrawWaveforms, 0, 1},
                                         StopCase{"AutoSenseAnalysis", SliceJob::SliceAutoOrTyped,
                                                  0, 1},
                                         StopCase{"TypedTimes", SliceJob::SliceAutoOrTyped, 1, 7},
                                         StopCase{"Markers", SliceJob::SliceByMarkers, 0, 3}),
                         [](const auto& info) { return info.param.name; });

// Side 1 is named 1.wav, so its first slice would replace it: the job says so and goes on
// with side 2, unless Stop is pressed while the message is open.
TEST_F(JobWindowTest, StopWhileAMessageIsOpenEndsTheJobWithNoFurtherMessage) {
    Locate(Side::One, PlaceSide("one/1.wav", SmallSide(1)));
    Locate(Side::Two, PlaceSide("two/side.wav", SmallSide(2)));
    frame->Controls().m_cutsHow->SetSelection(1);
    frame->Controls().c_textCtrlTime[0]->ChangeValue("0.30.0");
    frame->Controls().c_textCtrlTime[10]->ChangeValue("0.30.0");
    prompts->onMessage = [this](const ShownMessage&) { Click(frame->Controls().e_button1); };
    Press(frame->Controls().e_button1);
    ASSERT_TRUE(WaitForJobEnd());

    ExpectWindowRestored();
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "Slicing side 1");
    EXPECT_NE(Status(), "Finished.");
    EXPECT_EQ(CountSlices(dir / "two", 1), 0);
    EXPECT_FALSE(fs::exists(dir / "two/1.wav"));
    EXPECT_TRUE(ReadWavFrames(dir / "one/1.wav").has_value());

    // Without the Stop the same job goes on with side 2.
    prompts->onMessage = nullptr;
    prompts->messages.clear();
    Press(frame->Controls().e_button1);
    ASSERT_TRUE(WaitForJobEnd());
    EXPECT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(CountSlices(dir / "two", 1), 2);
    EXPECT_EQ(Status(), "Finished.");
}

TEST_F(JobWindowTest, ASecondPressBeforeTheThreadRunsStopsTheOneJob) {
    Locate(Side::One, PlaceSide("side.wav", LongSide()));
    Press(frame->Controls().e_button2);
    Press(frame->Controls().e_button2);
    // The other jobs' commands (their buttons are disabled) start nothing meanwhile.
    Press(frame->Controls().e_button1);
    frame->SetWavesDrawn(true);
    Press(frame->Controls().e_button3);
    ASSERT_TRUE(WaitForJobEnd());
    ExpectWindowRestored();
    EXPECT_EQ(CountSlices(dir.path()), 0);
    EXPECT_NE(Status(), "Finished.");
}

class CloseDuringAJob : public JobWindowTest, public testing::WithParamInterface<StopCase> {};

TEST_P(CloseDuringAJob, StopsTheJobAndWaitsForItBeforeTheWindowGoes) {
    const StopCase c = GetParam();
    Locate(Side::One, PlaceSide("side.wav", LongSide()));
    frame->Controls().m_cutsHow->SetSelection(c.cutsHow);
    frame->Controls().c_textCtrlTime[0]->ChangeValue("5.00.0");
    Menu(menu::kEqLast);
    Press(c.job == SliceJob::DrawWaveforms ? frame->Controls().e_button2
                                           : frame->Controls().e_button1);
    ASSERT_TRUE(WaitForProgress(8));
    frame->Close();
    ASSERT_TRUE(RunUntil([] { return g_frame == nullptr; }));
    frame = nullptr;  // gone; the fixture has nothing left to destroy
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().filename() != "side.wav") {
            EXPECT_TRUE(IsCompleteWave(entry.path()));
        }
}

// Closing while encoders run asks first; once the user says yes the window goes at once
// (the encoders end with it, however long they would take) and the user's earlier file
// that a run was replacing is back.
TEST_F(JobWindowTest, ClosingDuringEncodingAsksAndDoesNotWaitForTheEncoders) {
    Locate(Side::One, PlaceSide("side.wav", SmallSide(1)));
    ASSERT_TRUE(WriteFileBytes(dir / "A1.mp3", "the user's own"));
    frame->Controls().m_cutsHow->SetSelection(1);
    frame->Controls().c_textCtrlTime[0]->ChangeValue("0.30.0");
    frame->Controls().m_checkBox1->SetValue(true);
    frame->Controls().m_choice1->SetSelection(static_cast<int>(EncoderKind::BladeEnc));
    frame->Controls().m_textCtrl1->ChangeValue(FAKE_ENCODER_PATH);
    ScopedEnv slow{"FAKE_ENCODER_SLOW_MS", "60000"};
    Press(frame->Controls().e_button1);
    ASSERT_TRUE(RunUntil([&] { return fs::exists(dir / "A1.mp3.velvane-earlier"); }));

    prompts->answers.push_back(wxNO);
    frame->Close();
    RunUntil([] { return false; }, std::chrono::milliseconds(200));
    ASSERT_EQ(g_frame, frame);  // still there
    EXPECT_EQ(prompts->messages.back().caption, "Close Velvane?");
    frame->Close();  // yes
    ASSERT_TRUE(RunUntil([] { return g_frame == nullptr; }));
    frame = nullptr;
    EXPECT_EQ(ReadFileBytes(dir / "A1.mp3"), "the user's own");
    EXPECT_FALSE(fs::exists(dir / "A1.mp3.velvane-earlier"));
}

INSTANTIATE_TEST_SUITE_P(Jobs, CloseDuringAJob,
                         testing::Values(StopCase{"DrawWaveforms", SliceJob::DrawWaveforms, 0, 0},
                                         StopCase{"TypedTimes", SliceJob::SliceAutoOrTyped, 1, 0}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
