// The album commands of the File menu: the "Track titles..." dialog shows a row per slice of
// each side and what is typed there becomes the window's album, which the jobs read; an
// imported cut list sets the markers and titles of the side the user names.

#include <wx/choice.h>
#include <wx/grid.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <filesystem>

#include "app/FrameAlbum.h"
#include "app/TrackTitlesDialog.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

using TrackTitlesTest = FrameTest;

TEST_F(TrackTitlesTest, TypedTitlesBecomeTheWindowsAlbum) {
    // Side 1 drawn with cuts at 10 s and 30 s of 60 s: three slices.
    SideState& side = frame->SideAt(Side::One);
    side.levelCount = 600;
    side.cuts[0] = 100;
    side.cuts[1] = 300;
    side.cutCount = 2;
    int rows[2] = {0, 0};
    prompts->onModal = [&rows](wxDialog& dialog) {
        auto& titles = dynamic_cast<TrackTitlesDialog&>(dialog);
        rows[0] = titles.tracks[0]->GetNumberRows();
        rows[1] = titles.tracks[1]->GetNumberRows();
        titles.artist->ChangeValue("The Band");
        titles.year->ChangeValue("1979");
        titles.tracks[0]->SetCellValue(0, 0, "One");
        titles.tracks[0]->SetCellValue(2, 0, wxString::FromUTF8("Thr\xC3\xA9\x65"));
        titles.tracks[0]->SetCellValue(2, 1, "Guest");
        titles.tracks[1]->SetCellValue(0, 0, "Four");
        titles.keepCharacters->SetValue(true);
    };
    prompts->modalResults.push_back(wxID_OK);
    Menu(kIdTrackTitles);

    EXPECT_EQ(rows[0], 4);  // three slices and a row to type more
    EXPECT_EQ(rows[1], 1);  // nothing known of side 2
    const AlbumInfo& album = frame->Album().Album();
    EXPECT_EQ(album.artist, "The Band");
    EXPECT_EQ(album.year, "1979");
    EXPECT_EQ(album.sides[0],
              (std::vector<TrackInfo>{{"One", ""}, {"", ""}, {"Thr\xC3\xA9\x65", "Guest"}}));
    EXPECT_EQ(album.sides[1], (std::vector<TrackInfo>{{"Four", ""}}));
    EXPECT_TRUE(album.keepTitleCharacters);

    // Cancel keeps the album as it was.
    prompts->onModal = [](wxDialog& dialog) {
        dynamic_cast<TrackTitlesDialog&>(dialog).artist->ChangeValue("Other");
    };
    prompts->modalResults.push_back(wxID_CANCEL);
    Menu(kIdTrackTitles);
    EXPECT_EQ(frame->Album().Album().artist, "The Band");

    // Smart Sense's cuts all count, past ten: twelve cuts on side 2 give thirteen slices.
    frame->Controls().m_cutsHow->SetSelection(2);
    SideState& two = frame->SideAt(Side::Two);
    two.levelCount = 1300;
    for (int k = 0; k < 12; ++k) two.cuts[k] = 100 * (k + 1);
    two.cutCount = 12;
    prompts->onModal = [&rows](wxDialog& dialog) {
        rows[1] = dynamic_cast<TrackTitlesDialog&>(dialog).tracks[1]->GetNumberRows();
    };
    prompts->modalResults.push_back(wxID_CANCEL);
    Menu(kIdTrackTitles);
    EXPECT_EQ(rows[1], 14);  // thirteen slices and a row to type more
}

}  // namespace

namespace {

TEST_F(TrackTitlesTest, AnImportedLabelFileSetsTheChosenSidesMarkersAndTitles) {
    TempDir dir;
    for (const char* name : {"one.wav", "two.wav"})
        ASSERT_TRUE(WriteWav(dir / name, std::vector<Frame>(60 * 44100)));  // 60 s each
    ASSERT_FALSE(frame->Locate().LocateSide(Side::One, dir / "one.wav"));
    ASSERT_FALSE(frame->Locate().LocateSide(Side::Two, dir / "two.wav"));
    frame->SetWavesDrawn(true);
    ASSERT_TRUE(WriteFileBytes(dir / "cuts.txt", "0\t10\tA\n20.04\t30\tB\n70\t80\tC\n"));
    prompts->files.push_back(wxString::FromUTF8((dir / "cuts.txt").c_str()));
    prompts->modalResults.push_back(wxID_NO);  // "Side 2"
    Menu(kIdImportCutList);

    const SideState& two = frame->SideAt(Side::Two);
    EXPECT_EQ(two.cutCount, 1u);
    EXPECT_EQ(two.cuts[0], 200);
    EXPECT_EQ(frame->SideAt(Side::One).cutCount, 0u);
    EXPECT_EQ(frame->Album().Album().sides[1], (std::vector<TrackInfo>{{"A", ""}, {"B", ""}}));
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].text,
              "Side 2: the cut at 1:10.0 lies outside the side and was left out.");
}

}  // namespace

namespace {

// Export honours the file type chosen (the name's extension follows it), asks before it
// replaces a file, and never writes over a recording; import keeps what a label file does
// not carry (the artists typed for the side).
TEST_F(TrackTitlesTest, ExportTakesTheChosenTypeAndImportKeepsTheArtists) {
    TempDir dir;
    ASSERT_TRUE(WriteWav(dir / "one.wav", std::vector<Frame>(60 * 44100)));
    ASSERT_FALSE(frame->Locate().LocateSide(Side::One, dir / "one.wav"));
    SideState& side = frame->SideAt(Side::One);
    side.cuts[0] = 200;
    side.cutCount = 1;

    prompts->files.push_back(wxString::FromUTF8(dir / "list.cue"));
    prompts->filterIndexes.push_back(1);  // "Audacity labels"
    Menu(kIdExportCutList);
    EXPECT_FALSE(std::filesystem::exists(dir / "list.cue"));
    EXPECT_EQ(ReadFileBytes(dir / "list.txt").rfind("0.000000\t20.000000\t", 0), 0u);

    prompts->files.push_back(wxString::FromUTF8(dir / "list.txt"));
    prompts->filterIndexes.push_back(1);
    prompts->answers.push_back(wxNO);
    ASSERT_TRUE(WriteFileBytes(dir / "list.txt", "kept"));
    Menu(kIdExportCutList);
    ASSERT_FALSE(prompts->messages.empty());
    EXPECT_EQ(prompts->messages.back().caption, "Replace file?");
    EXPECT_EQ(ReadFileBytes(dir / "list.txt"), "kept");

    const std::string recording = ReadFileBytes(dir / "one.wav");
    prompts->files.push_back(wxString::FromUTF8(dir / "one.wav"));
    prompts->filterIndexes.push_back(0);
    Menu(kIdExportCutList);  // named one.wav.cue: asks nothing, replaces nothing
    EXPECT_EQ(ReadFileBytes(dir / "one.wav"), recording);

    frame->SetWavesDrawn(true);
    prompts->onModal = [](wxDialog& dialog) {
        auto& titles = dynamic_cast<TrackTitlesDialog&>(dialog);
        titles.tracks[0]->SetCellValue(0, 1, "Guest");
    };
    prompts->modalResults.push_back(wxID_OK);
    Menu(kIdTrackTitles);
    ASSERT_TRUE(WriteFileBytes(dir / "cuts.txt", "0\t10\tA\n20\t30\tB\n"));
    prompts->files.push_back(wxString::FromUTF8(dir / "cuts.txt"));
    Menu(kIdImportCutList);
    EXPECT_EQ(frame->Album().Album().sides[0], (std::vector<TrackInfo>{{"A", "Guest"}, {"B", ""}}));
}

// "Which side?" answers from the keyboard: the key 2 chooses side 2.
TEST_F(TrackTitlesTest, WhichSideAnswersToTheKeys) {
    TempDir dir;
    ASSERT_TRUE(WriteWav(dir / "one.wav", std::vector<Frame>(44100)));
    ASSERT_TRUE(WriteWav(dir / "two.wav", std::vector<Frame>(44100)));
    ASSERT_FALSE(frame->Locate().LocateSide(Side::One, dir / "one.wav"));
    ASSERT_FALSE(frame->Locate().LocateSide(Side::Two, dir / "two.wav"));
    ASSERT_TRUE(RunUntil([this] { return frame->IsShownOnScreen(); }));
    prompts->onModal = [this](wxDialog& dialog) {
        AllowRealDialogs allow;
        wxTimer keys;
        keys.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            if (!dialog.IsShownOnScreen()) return;
            keys.Stop();
            wxUIActionSimulator().Char('2');
        });
        keys.Start(20);
        prompts->modalResults.push_front(dialog.ShowModal());
    };
    prompts->files.push_back("");  // then cancels the file dialog
    Menu(kIdExportCutList);
    EXPECT_EQ(prompts->dialogTitles.back(), "Which side?");
    ASSERT_EQ(prompts->fileRequests.size(), 1u);
    EXPECT_EQ(prompts->fileRequests[0].defaultFile, "two.cue");
}

}  // namespace
