// Recording a side through the window on the virtual sound card: the Input menu, the Rec
// buttons with the real levels dialog driven by the test, the messages, the automatic
// stop with slicing, and closing the window during a recording.

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/menu.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <chrono>
#include <thread>

#include "app/BackdropPanel.h"
#include "app/FrameMenus.h"
#include "app/FrameRecording.h"
#include "app/LevelsDialog.h"
#include "app/MeterBar.h"
#include "app/RecordingTexts.h"
#include "audio/InputCallback.h"
#include "sidefile/SideReader.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"
#include "tests/support/VirtualAudio.h"

namespace {

/// The levels dialog really shown when `runLevels` is set.
class RecordingPrompter : public ScriptedPrompter {
  public:
    int RunModal(wxDialog& dialog) override {
        if (!runLevels) return ScriptedPrompter::RunModal(dialog);
        dialogTitles.push_back(dialog.GetTitle());
        return runLevels(dynamic_cast<LevelsDialog&>(dialog));
    }

    std::function<int(LevelsDialog&)> runLevels;
};

/// Calls `step` every 20 ms until it returns true.
class StepTimer : public wxTimer {
  public:
    explicit StepTimer(std::function<bool()> step) : m_step(std::move(step)) {}
    void Notify() override {
        if (m_step()) Stop();
    }

  private:
    std::function<bool()> m_step;
};

void ClickButton(wxButton* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

/// Shows the levels dialog for real; `step` acts on it (from a timer) until it is done.
int ShowLevels(LevelsDialog& levels, const std::function<bool(LevelsDialog&)>& step) {
    AllowRealDialogs allow;
    StepTimer timer([&] { return step(levels); });
    timer.Start(20);
    return levels.ShowModal();
}

class RecordingWindow : public testing::Test {
  protected:
    /// Builds the frame on the virtual card's `profile`; false (skip) when it is missing.
    bool Build(const std::string& profile, const std::string& capture, bool fast) {
        if (!UseVirtualAudio(profile)) return false;
        SetVirtualCapture(capture, fast);
        auto prompter = std::make_unique<RecordingPrompter>();
        prompts = prompter.get();
        frame = new MyFrame(kProgramTitle, wxPoint(20, 40), wxSize(902, 340), std::move(prompter));
        frame->Show();
        return true;
    }
    void TearDown() override {
        if (!frame) return;
        EXPECT_TRUE(prompts->files.empty()) << "file answers left over";
        EXPECT_TRUE(prompts->answers.empty()) << "answers left over";
        frame->Destroy();
        RunUntil([] { return g_frame == nullptr; });
    }
    wxString Status() { return frame->GetStatusBar()->GetStatusText(0); }

    TempDir dir;
    std::vector<Frame> signal = NoiseFrames(8 * 44100, 0.7, 31);
    MyFrame* frame = nullptr;
    RecordingPrompter* prompts = nullptr;
};

// --- The levels dialog on its own, its meter fed by InputCallback from the test ---

struct LevelsFixture : testing::Test {
    RecordingState state;
    std::vector<wxString> questions;
    int answer = wxNO;
    wxFrame* parent = new wxFrame(nullptr, wxID_ANY, "parent");

    LevelsFixture() { state.mode = RecordingMode::Monitoring; }
    ~LevelsFixture() override { parent->Destroy(); }
    LevelsDialog::Asker Ask() {
        return [this](wxWindow*, const wxString& text, const wxString& caption, long) {
            questions.push_back(caption + "|" + text);
            return answer;
        };
    }
    void FeedMeter(std::int16_t sample) {
        std::vector<std::int16_t> block(128, sample);
        for (int call = 0; call < 69; ++call) audio::InputCallback(block.data(), state, false);
    }
};

// The dialog as its sizer lays it out, shown: every control whole inside it, one below the
// other, none over another; the slider as high as the theme needs for it and its value (a
// smaller one is drawn as nothing); the text wrapped inside the dialog.
TEST_F(LevelsFixture, LayoutAndStartingValues) {
    LevelsDialog levels(parent, state, 0, Ask());
    levels.Show();
    EXPECT_EQ(levels.GetTitle(), "Adjust Levels");
    EXPECT_EQ(levels.GetName(), "dialog");
    struct Named {
        wxWindow* control;
        const char* name;
    } rows[] = {{levels.m_leftGauge, "p_wxGauge3"}, {levels.m_rightGauge, "p_wxGauge4"},
                {levels.m_gainSlider, "slider"},    {levels.m_headroomLabel, "staticText"},
                {levels.m_autoStop, "autoStop"},    {levels.m_record, "button"}};
    const wxRect client(levels.GetClientSize());
    int below = 0;
    for (const Named& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.control->GetName(), row.name);
        EXPECT_TRUE(client.Contains(row.control->GetRect()));
        EXPECT_GE(row.control->GetRect().GetTop(), below);
        below = row.control->GetRect().GetBottom() + 1;
    }
    EXPECT_GE(levels.m_gainSlider->GetSize().y, levels.m_gainSlider->GetBestSize().y);
    EXPECT_GE(levels.m_gainSlider->GetSize().y, 30) << "room for the slider and its value";
    EXPECT_FALSE(levels.m_record->GetRect().Intersects(levels.m_cancel->GetRect()));
    for (wxWindow* child : levels.GetChildren())
        if (auto* text = dynamic_cast<wxStaticText*>(child))
            EXPECT_LE(text->GetRect().GetRight(), client.GetRight()) << text->GetLabel();
    EXPECT_EQ(levels.m_autoStop->GetLabel(), "Automatically stop recording.");
    EXPECT_FALSE(levels.m_autoStop->GetValue());
    EXPECT_EQ(levels.m_gainSlider->GetValue(), 50);
    EXPECT_EQ(levels.m_gainText->GetLabel(), "x1.00 (+0.0 dB)");
    EXPECT_EQ(levels.m_leftGauge->GetRange(), 100);
    EXPECT_EQ(levels.m_leftGauge->GetValue(), 0);
    EXPECT_EQ(levels.m_headroomLabel->GetLabel(), "Headroom: ");
    EXPECT_TRUE(state.meterShown);
    FeedMeter(16384);
    RunUntil([&] { return levels.m_leftGauge->GetValue() == 49; });
    RunUntil([] { return false; }, std::chrono::milliseconds(200));
    SaveScreenshot(CaptureClientArea(&levels), "levels-dialog.png");
}

TEST_F(LevelsFixture, MeterReadingsReachTheControlsOnTheGuiThread) {
    {
        LevelsDialog levels(parent, state, 0, Ask());
        levels.Show();
        FeedMeter(16384);  // half scale, slider at 50
        ASSERT_TRUE(RunUntil([&] { return levels.m_leftGauge->GetValue() == 49; }));
        EXPECT_EQ(levels.m_rightGauge->GetValue(), 49);
        EXPECT_EQ(levels.m_headroomLabel->GetLabel(), "Headroom: 6.0 dB");

        levels.m_gainSlider->SetValue(100);
        wxCommandEvent moved(wxEVT_SLIDER, levels.m_gainSlider->GetId());
        levels.m_gainSlider->GetEventHandler()->ProcessEvent(moved);
        FeedMeter(16384);
        ASSERT_TRUE(RunUntil([&] { return levels.m_leftGauge->GetValue() == 100; }));
        EXPECT_EQ(levels.m_headroomLabel->GetLabel(), "Headroom: CLIP");
        EXPECT_EQ(levels.Gain(), 51.0f);  // what the recording will start with
    }
    EXPECT_FALSE(state.meterShown);  // the meter stops with the dialog
    const std::uint32_t updates = state.meterUpdates;
    FeedMeter(16384);
    EXPECT_EQ(state.meterUpdates, updates);
}

struct ButtonCase {
    const char* name;
    bool check;
    bool record;
    int answer;
    int result;
    bool autoStop;
    bool autoSlice;
    std::size_t questions;
};

void PrintTo(const ButtonCase& c, std::ostream* os) {
    *os << c.name;
}

class LevelsButtons : public LevelsFixture, public testing::WithParamInterface<ButtonCase> {};

TEST_P(LevelsButtons, ResultAndChoices) {
    const ButtonCase& c = GetParam();
    answer = c.answer;
    LevelsDialog levels(parent, state, 0, Ask());
    const int result = ShowLevels(levels, [&](LevelsDialog& l) {
        l.m_autoStop->SetValue(c.check);
        ClickButton(c.record ? l.m_record : l.m_cancel);
        return true;
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(levels.AutoStop(), c.autoStop);
    EXPECT_EQ(levels.AutoSlice(), c.autoSlice);
    ASSERT_EQ(questions.size(), c.questions);
    if (c.questions) {
        EXPECT_EQ(questions[0],
                  "Automatic or Manual Slicing?|You selected \"Automatically Stop Recording\".\n "
                  "Should the software start slicing using Auto Sense when the recording has "
                  "stopped?");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, LevelsButtons,
    testing::Values(ButtonCase{"RecordUnchecked", false, true, wxYES, 1, false, false, 0},
                    ButtonCase{"RecordCheckedYes", true, true, wxYES, 1, true, true, 1},
                    ButtonCase{"RecordCheckedNo", true, true, wxNO, 1, true, false, 1},
                    ButtonCase{"CancelChecked", true, false, wxYES, 0, true, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CutMethodName, Names) {
    EXPECT_EQ(app::CutMethodName(0), "Auto Sense");
    EXPECT_EQ(app::CutMethodName(1), "Typed Times");
}

// The message that closes a recording, from the recorder's summary.
TEST(RecordedMessage, NamesWhatWentWrongAndWhatTheFileHolds) {
    RecordingSummary summary;
    summary.framesWritten = 44100 * 123 / 10 + 100;
    EXPECT_EQ(app::RecordedMessage(summary).text, kAudioRecordedText);
    summary.inputOverflows = 4;
    summary.framesLost = 44100 * 3;
    RecordingMessage m = app::RecordedMessage(summary);
    EXPECT_NE(m.text.find("overflowed 4 times"), std::string::npos);
    EXPECT_NE(m.text.find("The disk was too slow: 3.0 s of audio"), std::string::npos);
    summary = {};
    summary.cause = StopCause::WriteError;
    summary.framesWritten = 44100 * 123 / 10 + 100;
    m = app::RecordedMessage(summary);
    EXPECT_EQ(m.caption, kRecordingStoppedCaption);
    EXPECT_TRUE(m.exclamation);
    EXPECT_NE(m.text.find("holds the first 12.3 s"), std::string::npos);
    summary.cause = StopCause::SizeLimit;
    EXPECT_NE(app::RecordedMessage(summary).text.find("largest size"), std::string::npos);
}

// Automatic slicing skips the message of an ordinary end, never one that lost audio.
TEST(RecordedMessage, LostAudioIsSaidAlsoWhenSlicingFollows) {
    RecordingSummary summary;
    summary.cause = StopCause::Quiet;
    EXPECT_FALSE(app::NeedsRecordedMessage(summary, true));
    EXPECT_TRUE(app::NeedsRecordedMessage(summary, false));
    summary.inputOverflows = 1;
    EXPECT_TRUE(app::NeedsRecordedMessage(summary, true));
    summary.inputOverflows = 0;
    summary.framesLost = 64;
    EXPECT_TRUE(app::NeedsRecordedMessage(summary, true));
    summary = {};
    summary.cause = StopCause::WriteError;
    EXPECT_TRUE(app::NeedsRecordedMessage(summary, true));
}

// --- The window ---

#define BUILD_OR_SKIP(profile, capture, fast) \
    if (!Build(profile, capture, fast))       \
    GTEST_SKIP() << "no virtual sound card: source tests/support/virtual-audio/setup.sh"

TEST_F(RecordingWindow, InputMenuListsStereoInputsAndChoosesOne) {
    BUILD_OR_SKIP("mixed", "", true);
    wxMenu* input = frame->Menus().m_inputMenu;
    ASSERT_EQ(input->GetMenuItemCount(), 2u);
    EXPECT_EQ(input->FindItem(700)->GetItemLabelText(), "Virtual Line In (stereo in)");
    EXPECT_EQ(input->FindItem(700)->GetHelp(), " Audio Device 1");
    EXPECT_EQ(input->FindItem(701)->GetItemLabelText(), "Virtual Line In 2 (stereo in)");
    EXPECT_EQ(input->FindItem(701)->GetHelp(), " Audio Device 2");
    EXPECT_TRUE(input->IsChecked(700));
    EXPECT_EQ(frame->Recording().SelectedInputDevice(), 1);

    wxCommandEvent choose(wxEVT_MENU, 701);
    frame->GetEventHandler()->ProcessEvent(choose);
    EXPECT_FALSE(input->IsChecked(700));
    EXPECT_TRUE(input->IsChecked(701));
    EXPECT_EQ(frame->Recording().SelectedInputDevice(), 3);
}

TEST_F(RecordingWindow, EightOfTenStereoInputsInTheMenu) {
    BUILD_OR_SKIP("many", "", true);
    EXPECT_EQ(frame->Recording().StereoInputs().size(), 11u);
    ASSERT_EQ(frame->Menus().m_inputMenu->GetMenuItemCount(), 8u);
    EXPECT_EQ(frame->Menus().m_inputMenu->FindItem(707)->GetItemLabelText(),
              "Virtual Line 8 (stereo in)");
}

TEST_F(RecordingWindow, RecordedThroughTheLevelsDialogSampleForSample) {
    ASSERT_TRUE(WriteWav(dir / "signal.wav", signal));
    BUILD_OR_SKIP("basic", dir / "signal.wav", false);
    prompts->files.push_back(wxString::FromUTF8(dir / "side one.wav"));
    wxString headroom;
    prompts->runLevels = [&](LevelsDialog& levels) {
        EXPECT_EQ(levels.GetTitle(), "Adjust Levels");
        EXPECT_EQ(frame->Controls().i_button3->GetLabel(), "Stop");
        EXPECT_FALSE(frame->Controls().i_button4->IsEnabled());
        return ShowLevels(levels, [&](LevelsDialog& l) {
            if (l.m_leftGauge->GetValue() == 0) return false;  // the meter's first update
            headroom = l.m_headroomLabel->GetLabel();
            ClickButton(l.m_record);
            return true;
        });
    };
    ClickButton(frame->Controls().i_button3);
    EXPECT_EQ(headroom.substr(0, 10), "Headroom: ");
    EXPECT_NE(headroom, "Headroom: ");
    EXPECT_EQ(prompts->fileRequests.at(0).message, "Choose folder and file name for side 1.");
    EXPECT_EQ(frame->Controls().i_textCtrl1->GetValue(), wxString::FromUTF8(dir / "side one.wav"));
    EXPECT_EQ(Status(), kRecordingStatusText);
    EXPECT_FALSE(frame->Controls().i_button4->IsEnabled());

    RunUntil([] { return false; }, std::chrono::milliseconds(1500));  // records 1.5 s
    ClickButton(frame->Controls().i_button3);
    EXPECT_EQ(frame->Controls().i_button3->GetLabel(), "Rec...");
    EXPECT_TRUE(frame->Controls().i_button4->IsEnabled());
    EXPECT_EQ(Status(), kFinishedRecordingText);
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, kAudioRecordedCaption);
    EXPECT_EQ(prompts->messages[0].text, kAudioRecordedText);
    EXPECT_EQ(prompts->messages[0].style, wxOK | wxICON_INFORMATION);

    // Monitoring ran before Record: the file starts somewhere in the signal, then follows it.
    const auto recorded = ReadWavFrames(dir / "side one.wav");
    ASSERT_TRUE(recorded.has_value());
    ASSERT_GT(recorded->size(), 44100u);
    const auto start =
        std::search(signal.begin(), signal.end(), recorded->begin(), recorded->begin() + 64);
    ASSERT_NE(start, signal.end());
    ASSERT_GE(static_cast<std::size_t>(signal.end() - start), recorded->size());
    EXPECT_TRUE(std::equal(recorded->begin(), recorded->end(), start));
}

// While a side records, the window shows it where the transport is: the meters follow the
// input, the elapsed time runs, the file's size and the disk's room are said, and the
// status line stays as it is (screenshot: screenshots/window-while-recording.png).
TEST_F(RecordingWindow, MetersAndElapsedTimeUpdateWhileRecording) {
    ASSERT_TRUE(WriteWav(dir / "signal.wav", signal));
    BUILD_OR_SKIP("basic", dir / "signal.wav", false);
    prompts->files.push_back(wxString::FromUTF8(dir / "watched.wav"));
    prompts->modalResults.push_back(LevelsDialog::kRecordResult);
    ClickButton(frame->Controls().i_button3);
    EXPECT_TRUE(frame->Controls().m_recordingPanel->IsShown());
    EXPECT_FALSE(frame->Controls().m_transportPanel->IsShown());
    int otherStatus = 0;
    ASSERT_TRUE(RunUntil(
        [&] {
            otherStatus += Status() != kRecordingStatusText;
            return frame->Controls().m_recordingText->GetLabel() == "Recording side 1  0:01";
        },
        std::chrono::seconds(20)));
    EXPECT_EQ(otherStatus, 0) << "the status line does not blink";
    EXPECT_GT(frame->Controls().m_recordLeft->Channel().Level(), 1000);
    EXPECT_GT(frame->Controls().m_recordRight->Channel().Level(), 1000);
    const wxString file = frame->Controls().m_recordingFileText->GetLabel();
    EXPECT_TRUE(file.Contains(" MB written, ") && file.EndsWith(" min left on the disk")) << file;
    RunUntil([] { return false; }, std::chrono::milliseconds(300));
    SaveScreenshot(CaptureClientArea(frame), "window-while-recording.png");

    ClickButton(frame->Controls().i_button3);
    EXPECT_FALSE(frame->Controls().m_recordingPanel->IsShown());
    EXPECT_TRUE(frame->Controls().m_transportPanel->IsShown());
    EXPECT_EQ(prompts->messages.size(), 1u);
}

TEST_F(RecordingWindow, AutomaticStopSlicesOnceTheFileIsCompleteOrSaysWhyNot) {
    BUILD_OR_SKIP("basic", "", true);  // silence, as fast as it is read
    for (const bool jobRunning : {false, true}) {
        SCOPED_TRACE(jobRunning);
        // A file of its own each time: the second would otherwise ask to replace the first.
        const std::string path = dir / (jobRunning ? "side 2b.wav" : "side 2.wav");
        prompts->files.push_back(wxString::FromUTF8(path));
        prompts->answers.push_back(wxYES);
        int slicingStarts = 0;
        std::optional<std::vector<Frame>> atSlicing;
        frame->Recording().jobRunning = [&] { return jobRunning; };
        frame->Recording().startSlicing = [&] {
            ++slicingStarts;
            atSlicing = ReadWavFrames(path);
        };
        frame->Controls().m_cutsHow->SetSelection(1);
        prompts->runLevels = [&](LevelsDialog& levels) {
            return ShowLevels(levels, [&](LevelsDialog& l) {
                l.m_autoStop->SetValue(true);
                ClickButton(l.m_record);
                return true;
            });
        };
        ClickButton(frame->Controls().i_button4);
        ASSERT_TRUE(RunUntil([&] { return frame->Controls().i_button4->GetLabel() == "Rec..."; },
                             std::chrono::seconds(30)));
        ASSERT_EQ(prompts->messages.size(), jobRunning ? 2u : 1u);
        const ShownMessage& question = prompts->messages[0];
        EXPECT_EQ(question.caption, "Automatic or Manual Slicing?");
        EXPECT_EQ(question.text,
                  "You selected \"Automatically Stop Recording\".\n Should the software start "
                  "slicing using Typed Times when the recording has stopped?");
        EXPECT_EQ(question.style, wxYES_NO | wxICON_INFORMATION);
        EXPECT_EQ(slicingStarts, jobRunning ? 0 : 1);
        if (jobRunning) {
            // The user learns why nothing was sliced.
            EXPECT_EQ(prompts->messages[1].caption, "Not sliced");
            EXPECT_NE(prompts->messages[1].text.find("another job was running"), wxString::npos);
        } else {
            ASSERT_TRUE(atSlicing.has_value());
            EXPECT_EQ(atSlicing->size(), 20u * 689 * 64);  // all of it, 20 quiet probes
        }
        prompts->messages.clear();
    }
}

TEST_F(RecordingWindow, CancelledLevelsDialogLeavesAnEmptyFile) {
    BUILD_OR_SKIP("basic", "", false);
    prompts->files.push_back(wxString::FromUTF8(dir / "c.wav"));
    prompts->modalResults.push_back(LevelsDialog::kCancelResult);
    ClickButton(frame->Controls().i_button3);
    EXPECT_EQ(frame->Controls().i_button3->GetLabel(), "Rec...");
    EXPECT_TRUE(frame->Controls().i_button4->IsEnabled());
    EXPECT_EQ(ReadFileBytes(dir / "c.wav").size(), 44u);
    EXPECT_TRUE(prompts->messages.empty());
}

// Rec... on a file that exists asks first; "No" leaves the file and the window as they were.
TEST_F(RecordingWindow, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    BUILD_OR_SKIP("basic", "", false);
    ASSERT_TRUE(WriteWav(dir / "take.wav", signal));
    const std::string before = ReadFileBytes(dir / "take.wav");
    prompts->files.push_back(wxString::FromUTF8(dir / "take.wav"));
    prompts->answers.push_back(wxNO);
    ClickButton(frame->Controls().i_button3);
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "Replace file?");
    EXPECT_EQ(frame->Controls().i_button3->GetLabel(), "Rec...");
    EXPECT_EQ(frame->Controls().i_textCtrl1->GetValue(), "");
    EXPECT_EQ(ReadFileBytes(dir / "take.wav"), before);
}

TEST_F(RecordingWindow, NoInputShowsInvalidInput) {
    BUILD_OR_SKIP("none", "", false);
    EXPECT_EQ(frame->Menus().m_inputMenu->GetMenuItemCount(), 0u);
    EXPECT_EQ(frame->Recording().SelectedInputDevice(), 0);
    prompts->files.push_back(wxString::FromUTF8(dir / "i.wav"));
    ClickButton(frame->Controls().i_button3);
    EXPECT_EQ(frame->Controls().i_button3->GetLabel(), "Rec...");
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "Invalid Input!");
    EXPECT_EQ(prompts->messages[0].text,
              "Couldn't open the input as a stereo input for recording\nat 44.1 kHz. You may "
              "change the input in the menu. \n\nPlease choose an input stream which can record "
              "in stereo\nat 44.1 kHz.\n\nMaybe you selected a mono input (e.g. a mic input) or "
              "the \ninput cannot record at 44.1 kHz.");
    EXPECT_EQ(prompts->messages[0].style, wxOK | wxICON_EXCLAMATION);
    EXPECT_EQ(ReadFileBytes(dir / "i.wav").size(), 44u);
}

TEST_F(RecordingWindow, FileThatCannotBeCreatedIsReported) {
    BUILD_OR_SKIP("basic", "", false);
    const wxString path = wxString::FromUTF8(dir / "missing folder/x.wav");
    prompts->files.push_back(path);
    ClickButton(frame->Controls().i_button3);
    EXPECT_EQ(frame->Controls().i_button3->GetLabel(), "Rec...");
    EXPECT_TRUE(frame->Controls().i_button4->IsEnabled());
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "Couldn't create the file!");
    EXPECT_NE(prompts->messages[0].text.find(path), wxString::npos);
}

TEST_F(RecordingWindow, ClosingTheWindowCompletesTheRecording) {
    ASSERT_TRUE(WriteWav(dir / "signal.wav", signal));
    BUILD_OR_SKIP("basic", dir / "signal.wav", false);
    prompts->files.push_back(wxString::FromUTF8(dir / "closed.wav"));
    prompts->modalResults.push_back(LevelsDialog::kRecordResult);
    ClickButton(frame->Controls().i_button3);
    // Some audio first (a loaded machine may take a while to start the stream).
    RecordingState& state = frame->Recording().ActiveRecorder()->State();
    ASSERT_TRUE(RunUntil([&] { return state.recentPeaks.load() != 0; }, std::chrono::seconds(20)));
    frame->Close(true);
    ASSERT_TRUE(RunUntil([] { return g_frame == nullptr; }));
    frame = nullptr;
    const auto recorded = ReadWavFrames(dir / "closed.wav");
    ASSERT_TRUE(recorded.has_value());
    EXPECT_GT(recorded->size(), 0u);
    const std::string bytes = ReadFileBytes(dir / "closed.wav");
    EXPECT_EQ(bytes.size(), 44 + recorded->size() * 4);
}

}  // namespace

namespace {

// "Format" in the levels dialog: the stream is monitored again in the chosen format, and
// the recording is made and kept in it, sample for sample what the card delivers.
TEST_F(RecordingWindow, FormatChosenInTheLevelsDialog) {
    constexpr SideFormat k96k24{96000, 2, SampleEncoding::Int24};
    const std::string played = NoiseBytes(k96k24, 8 * 96000, 0.7, 41);
    ASSERT_TRUE(WriteSideWav(dir / "played.wav", k96k24, played));
    BUILD_OR_SKIP("basic", dir / "played.wav", false);
    prompts->files.push_back(wxString::FromUTF8(dir / "side.wav"));
    prompts->runLevels = [&](LevelsDialog& levels) {
        EXPECT_EQ(levels.m_format->GetCount(), 4u);
        EXPECT_EQ(levels.m_format->GetStringSelection(), "44.1 kHz 16-bit stereo");
        return ShowLevels(levels, [&](LevelsDialog& l) {
            if (l.Format() != k96k24) {
                l.m_format->SetSelection(2);
                wxCommandEvent choice(wxEVT_CHOICE, l.m_format->GetId());
                choice.SetEventObject(l.m_format);
                choice.SetInt(2);
                l.m_format->GetEventHandler()->ProcessEvent(choice);
                return false;
            }
            if (l.m_leftGauge->GetValue() == 0) return false;  // metered in the new format
            ClickButton(l.m_record);
            return true;
        });
    };
    ClickButton(frame->Controls().i_button3);
    RunUntil([] { return false; }, std::chrono::milliseconds(1000));
    ClickButton(frame->Controls().i_button3);
    EXPECT_EQ(frame->Menus().recordingFormat, k96k24);  // kept with the settings

    const std::unique_ptr<SideReader> side = SideReader::Open(dir / "side.wav");
    ASSERT_TRUE(side);
    EXPECT_EQ(side->Format(), k96k24);
    const std::string recorded = SoxSamples(dir / "side.wav");
    ASSERT_GT(recorded.size(), 96000u * 6 / 2);
    const std::size_t start = played.find(recorded.substr(0, 64 * 6));
    ASSERT_NE(start, std::string::npos);
    EXPECT_TRUE(played.compare(start, recorded.size(), recorded) == 0);
}

}  // namespace
