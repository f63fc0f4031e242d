// The "Track titles..." command: its dialog shows a row per slice of each side, and what is
// typed there becomes the window's album, which the jobs read.

#include <wx/grid.h>
#include <wx/textctrl.h>

#include "app/FrameAlbum.h"
#include "app/TrackTitlesDialog.h"
#include "tests/app/GuiTestSupport.h"

namespace {

using TrackTitlesTest = FrameTest;

TEST_F(TrackTitlesTest, TypedTitlesBecomeTheWindowsAlbum) {
    // Side 1 drawn with cuts at 10 s and 30 s of 60 s: three slices.
    SideState& side = frame->m_sides[0];
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
    };
    prompts->modalResults.push_back(wxID_OK);
    Menu(kIdTrackTitles);

    EXPECT_EQ(rows[0], 4);  // three slices and a row to type more
    EXPECT_EQ(rows[1], 1);  // nothing known of side 2
    const AlbumInfo& album = frame->m_album->Album();
    EXPECT_EQ(album.artist, "The Band");
    EXPECT_EQ(album.year, "1979");
    EXPECT_EQ(album.sides[0], (std::vector<TrackInfo>{
                                  {"One", ""}, {"", ""}, {"Thr\xC3\xA9\x65", "Guest"}}));
    EXPECT_EQ(album.sides[1], (std::vector<TrackInfo>{{"Four", ""}}));

    // Cancel keeps the album as it was.
    prompts->onModal = [](wxDialog& dialog) {
        dynamic_cast<TrackTitlesDialog&>(dialog).artist->ChangeValue("Other");
    };
    prompts->modalResults.push_back(wxID_CANCEL);
    Menu(kIdTrackTitles);
    EXPECT_EQ(frame->m_album->Album().artist, "The Band");
}

}  // namespace
