// The listen dialog in the main window, opened by a real click in a side's yellow listen
// band and driven inside its modal loop by real clicks: the window around the cut, the
// texts, moving the marker, OK, Cancel, the close box, playback, and a side file with a
// LIST chunk.

#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "tests/app/GuiTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"
#include "tests/support/VirtualAudio.h"
#include "waveview/ListenCanvas.h"
#include "waveview/ListenDialog.h"

namespace {

constexpr std::uint32_t kSideFrames = 20 * 44100;  // 20 s sides

Frame SideFrame(std::uint32_t i) {
    return {static_cast<std::int16_t>(i * 7 % 30000),
            static_cast<std::int16_t>(-static_cast<int>(i * 3 % 20000))};
}

std::vector<Frame> SideFrames() {
    std::vector<Frame> frames(kSideFrames);
    for (std::uint32_t i = 0; i < kSideFrames; ++i) frames[i] = SideFrame(i);
    return frames;
}

wxPoint Centre(wxWindow* window) {
    const wxSize size = window->GetSize();
    return window->ClientToScreen(wxPoint(size.x / 2, size.y / 2));
}

void ClickAt(const wxPoint& screen) {
    wxUIActionSimulator sim;
    sim.MouseMove(screen);
    sim.MouseClick();
}

class ListenDialogTest : public FrameTest {
  protected:
    void SetUp() override {
        FrameTest::SetUp();
        // Playback goes to the virtual card's output when it is set up (discarded there).
        UseVirtualAudio("basic");
        ASSERT_TRUE(RunUntil([this] { return frame->IsShownOnScreen(); }));
    }

    // Side `side`'s file (a LIST chunk before the data when asked) and its 20 s of levels
    // with `cuts`.
    void MakeSide(Side side, std::vector<std::int32_t> cuts, const WavLayout& layout = {}) {
        const std::string path = dir / ("side" + model::NumberText(side) + ".wav");
        ASSERT_TRUE(WriteWav(path, SideFrames(), layout));
        frame->Controls().SidePathField(side)->SetValue(path);
        SideState& s = frame->SideAt(side);
        s.levelCount = 200;
        s.levels.assign(200, 0.5f);
        s.peakLevel = 0.9f;
        s.cuts.fill(0);
        std::copy(cuts.begin(), cuts.end(), s.cuts.begin());
        s.cutCount = static_cast<std::uint32_t>(cuts.size());
    }

    // Clicks side `side`'s listen band at the fraction r of the canvas; `script` runs inside
    // the dialog's modal loop once the dialog shows its picture. Returns whether a dialog
    // opened and ran the script (`expectOpen` false: waits only briefly for one).
    bool OpenByClick(Side side, float r, const std::function<void(ListenDialog&)>& script,
                     bool expectOpen = true) {
        AllowRealDialogs allow;
        const CanvasGeometry g = waveview::MeasureCanvas(*frame);
        const wxPoint inBand(g.cx + static_cast<int>(r * g.width),
                             g.cy + (side == Side::One ? 0 : g.half) + g.band / 2);
        bool ran = false;
        wxTimer poll;
        poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            ListenDialog* dialog = frame->Waveforms().ShownListenDialog();
            if (ran || !dialog || !dialog->IsShownOnScreen() || !dialog->m_canvas->IsLoaded())
                return;
            ran = true;
            poll.Stop();
            script(*dialog);
        });
        poll.Start(20);
        ClickAt(frame->ClientToScreen(inBand));
        // The script may close the main window: once it is going, it is not touched.
        MyFrame* const owner = frame;
        RunUntil(
            [&] { return ran && (g_frame != owner || !owner->Waveforms().ShownListenDialog()); },
            std::chrono::seconds(expectOpen ? 30 : 1));
        poll.Stop();
        return ran;
    }

    // Real clicks inside the dialog.
    static void ClickCanvas(ListenDialog& dialog, int x) {
        ClickAt(dialog.m_canvas->ClientToScreen(wxPoint(x, 100)));
        RunUntil([&] { return dialog.m_canvas->markerX() == x; }, std::chrono::seconds(5));
    }
    static void Press(wxButton* button) { ClickAt(Centre(button)); }

    std::vector<std::int32_t> Cuts(Side side) const {
        const SideState& s = frame->SideAt(side);
        return {s.cuts.begin(), s.cuts.begin() + s.cutCount};
    }

    TempDir dir;
};

TEST_F(ListenDialogTest, ShowsTenSecondsAroundTheNearestCutWithTheSongNumbers) {
    struct Case {
        float r;
        int songA;
        std::uint32_t start;  // first frame of the window
    };
    const Case cases[] = {
        {0.05f, 1, 0},                    // cut at 3 s: the window starts at the file's start
        {0.5f, 2, 220500},                // cut at 10 s: 5 s before it
        {0.98f, 3, 18 * 44100 - 220500},  // cut at 18 s: the file ends inside the window
    };
    MakeSide(Side::One, {30, 100, 180});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.r);
        const bool ran = OpenByClick(Side::One, c.r, [&](ListenDialog& dialog) {
            const wxString A = wxString::Format("%d", c.songA);
            const wxString B = wxString::Format("%d", c.songA + 1);
            EXPECT_EQ(dialog.GetTitle(), "Listen");
            EXPECT_EQ(dialog.GetSize(), wxSize(640, 400));
            EXPECT_EQ(dialog.m_listenEnd->GetLabel(), "Listen to the end of song " + A);
            EXPECT_EQ(dialog.m_listenBeginning->GetLabel(), "Listen to the beginning of song " + B);
            EXPECT_EQ(dialog.m_stopButton->GetLabel(), "Stop playing");
            EXPECT_EQ(dialog.m_okButton->GetPosition(), wxPoint(7, 340));
            EXPECT_EQ(dialog.m_stopButton->GetPosition(), wxPoint(527, 340));
            EXPECT_EQ(dialog.m_canvas->GetPosition(), wxPoint(7, 140));
            EXPECT_EQ(dialog.m_canvas->GetClientSize(), wxSize(620, 190));
            std::vector<wxString> texts;
            for (wxWindow* child : dialog.GetChildren())
                if (auto* text = dynamic_cast<wxStaticText*>(child))
                    texts.push_back(text->GetLabel());
            ASSERT_EQ(texts.size(), 2u);
            EXPECT_EQ(texts[0], "End of song " + A + ".\nBeginning of song " + B + ".");
            EXPECT_TRUE(texts[1].StartsWith(
                "Please click in the waveform window to move the cut between song " + A +
                " and song " + B + ".\n\nYou may listen to how song " + A + " ends and song " + B +
                " begins"));

            const ListenAudio& audio = dialog.m_canvas->Audio();
            EXPECT_EQ(dialog.m_canvas->markerX(), 310);
            for (std::uint32_t i = 0; i < kListenFrames; i += 4999) {
                const std::uint32_t at = c.start + i;
                const Frame expected = at < kSideFrames ? SideFrame(at) : Frame{};
                ASSERT_EQ(audio.left[i], expected.left) << i;
                ASSERT_EQ(audio.right[i], expected.right) << i;
            }
            // Columns past the end of the file stay unfilled.
            const int lastFilled = static_cast<int>((kSideFrames - c.start) / kColumnFrames);
            for (int column = lastFilled + 1; column < kListenColumns; ++column)
                ASSERT_EQ(audio.columnPeaks[column], 0) << column;
            if (c.songA == 2) SaveScreenshot(CaptureClientArea(&dialog), "listen-dialog.png");
            Press(dialog.m_cancelButton);
        });
        EXPECT_TRUE(ran);
    }
    EXPECT_EQ(Cuts(Side::One), (std::vector<std::int32_t>{30, 100, 180}));
}

// The shift for a marker column and the rules of a moved cut are tested on their functions
// (ListenWindowTest); here a click in the picture and OK reach the side's cut list.
TEST_F(ListenDialogTest, OkMovesTheCutByTheMarkersDistanceFromTheCentre) {
    MakeSide(Side::Two, {30, 100, 180});
    EXPECT_TRUE(OpenByClick(Side::Two, 0.5f, [&](ListenDialog& dialog) {
        ClickCanvas(dialog, 20);
        ClickCanvas(dialog, 317);  // 7 columns right of the centre: 0.1 s later
        EXPECT_EQ(dialog.m_canvas->markerX(), 317);
        Press(dialog.m_okButton);
    }));
    EXPECT_EQ(Cuts(Side::Two), (std::vector<std::int32_t>{30, 101, 180}));
}

// From the keyboard: the arrow keys move the marker, Enter is OK; the move is one undo step.
TEST_F(ListenDialogTest, WorksFromTheKeyboardAndItsMoveIsUndone) {
    MakeSide(Side::One, {100});
    ASSERT_TRUE(OpenByClick(Side::One, 0.5f, [](ListenDialog& dialog) {
        wxUIActionSimulator keys;
        keys.Char(WXK_RIGHT, wxMOD_SHIFT);
        keys.Char(WXK_RIGHT, wxMOD_SHIFT);
        keys.Char(WXK_RIGHT);
        ASSERT_TRUE(RunUntil([&] { return dialog.m_canvas->markerX() == 331; }));
        keys.Char(WXK_RETURN);
    }));
    EXPECT_EQ(Cuts(Side::One), std::vector<std::int32_t>{103});  // 21 columns: +0.3 s
    Menu(kIdUndo);
    EXPECT_EQ(Cuts(Side::One), std::vector<std::int32_t>{100});
}

TEST_F(ListenDialogTest, CancelAfterMovingTheMarkerLeavesTheCut) {
    MakeSide(Side::One, {30, 100, 180});
    EXPECT_TRUE(OpenByClick(Side::One, 0.5f, [&](ListenDialog& dialog) {
        ClickCanvas(dialog, 500);
        Press(dialog.m_cancelButton);
    }));
    EXPECT_EQ(Cuts(Side::One), (std::vector<std::int32_t>{30, 100, 180}));
}

TEST_F(ListenDialogTest, ListenButtonsPlayAndTheCloseBoxStopsPlayback) {
    if (!UseVirtualAudio("basic")) GTEST_SKIP() << "no virtual sound card";
    MakeSide(Side::One, {30, 100, 180});
    EXPECT_TRUE(OpenByClick(Side::One, 0.5f, [&](ListenDialog& dialog) {
        Press(dialog.m_listenEnd);
        EXPECT_TRUE(RunUntil([&] { return dialog.IsPlaying(); }));
        Press(dialog.m_stopButton);
        EXPECT_TRUE(RunUntil([&] { return !dialog.IsPlaying(); }));
        ClickCanvas(dialog, 100);
        Press(dialog.m_listenBeginning);
        EXPECT_TRUE(RunUntil([&] { return dialog.IsPlaying(); }));
        // The toolkit's close handling: a cancel command from the dialog itself.
        dialog.Close();
        EXPECT_FALSE(dialog.IsPlaying());
    }));
    EXPECT_EQ(Cuts(Side::One), (std::vector<std::int32_t>{30, 100, 180}));
}

TEST_F(ListenDialogTest, ClosingTheMainWindowStopsPlaybackFirst) {
    if (!UseVirtualAudio("basic")) GTEST_SKIP() << "no virtual sound card";
    MakeSide(Side::One, {30, 100, 180});
    MyFrame* closing = frame;
    EXPECT_TRUE(OpenByClick(Side::One, 0.5f, [&](ListenDialog& dialog) {
        Press(dialog.m_listenBeginning);
        EXPECT_TRUE(RunUntil([&] { return dialog.IsPlaying(); }));
        closing->Close(true);
        EXPECT_FALSE(dialog.IsPlaying());
    }));
    EXPECT_TRUE(RunUntil([] { return g_frame == nullptr; }));
}

TEST_F(ListenDialogTest, ASideWithAListChunkShowsItsOwnAudio) {
    // Side 2: silence with a full-scale burst in window columns 100 to 110, after a LIST
    // chunk whose odd size moves the samples off the 44-byte layout.
    WavLayout layout;
    layout.chunksBeforeData = {{"LIST", std::string(37, 'x')}};
    std::vector<Frame> frames(kSideFrames);
    for (std::uint32_t i = 100 * kColumnFrames; i < 111 * kColumnFrames; ++i)
        frames[i] = {32767, 32767};
    const std::string path = dir / "list.wav";
    ASSERT_TRUE(WriteWav(path, frames, layout));
    frame->Controls().i_textCtrl2->SetValue(path);
    SideState& s = frame->SideAt(Side::Two);
    s.levelCount = 200;
    s.levels.assign(200, 0.5f);
    s.cuts[0] = 30;
    s.cutCount = 1;

    EXPECT_TRUE(OpenByClick(Side::Two, 0.1f, [&](ListenDialog& dialog) {
        const ListenAudio& audio = dialog.m_canvas->Audio();
        for (int column = 0; column < kListenColumns; ++column)
            ASSERT_EQ(audio.columnPeaks[column], column >= 100 && column <= 110 ? 32767 : 0)
                << column;
        wxBitmap bitmap(ListenCanvas::kWidth, ListenCanvas::kHeight);
        {
            wxMemoryDC dc(bitmap);
            dialog.m_canvas->PaintListen(dc);
        }
        const wxImage picture = bitmap.ConvertToImage();
        SaveScreenshot(picture, "listen-list-chunk.png");
        auto at = [&](int x, int y) {
            return wxColour(picture.GetRed(x, y), picture.GetGreen(x, y), picture.GetBlue(x, y));
        };
        const wxColour red(221, 57, 33);
        EXPECT_EQ(at(105, 18), red);  // full scale
        EXPECT_EQ(at(50, 188), red);  // silence
        EXPECT_EQ(at(50, 18), *wxWHITE);
        EXPECT_EQ(at(310, 100), *wxBLACK);  // the marker
        Press(dialog.m_cancelButton);
    }));
}

TEST_F(ListenDialogTest, AnUnreadableSideShowsTheMessageAndPlaysSilence) {
    MakeSide(Side::One, {30, 100, 180});
    frame->Controls().i_textCtrl1->SetValue(dir / "missing.wav");
    EXPECT_TRUE(OpenByClick(Side::One, 0.5f, [&](ListenDialog& dialog) {
        EXPECT_FALSE(dialog.m_canvas->Load());
        const ListenAudio& audio = dialog.m_canvas->Audio();
        EXPECT_TRUE(std::all_of(audio.left.begin(), audio.left.end(), [](int v) { return !v; }));
        Press(dialog.m_listenEnd);  // plays silence, nothing breaks
        Press(dialog.m_okButton);
    }));
    EXPECT_EQ(Cuts(Side::One), (std::vector<std::int32_t>{30, 100, 180}));
}

// (While a job runs the bands open nothing either: WaveformEndToEndTest.)
TEST_F(ListenDialogTest, BandClicksOpenNothingWithoutCuts) {
    MakeSide(Side::One, {30, 100, 180});
    frame->SideAt(Side::One).cutCount = 0;
    EXPECT_FALSE(OpenByClick(
        Side::One, 0.5f, [](ListenDialog& dialog) { dialog.Close(); }, false));
}

}  // namespace
