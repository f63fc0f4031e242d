#include "app/TrackTitlesDialog.h"

#include <wx/checkbox.h>
#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "app/WxText.h"

namespace {

constexpr int kTitleColumn = 0;
constexpr int kArtistColumn = 1;
constexpr int kTitleWidth = 230;    // pixels, at least
constexpr int kArtistWidth = 150;   // pixels
constexpr int kRowLabelWidth = 40;  // pixels
constexpr int kVisibleRows = 12;
constexpr int kScrollBar = 20;  // pixels

// The title column takes the width the grid has beyond the other columns.
void FitTitleColumn(wxGrid* grid) {
    const int free = grid->GetClientSize().x - kRowLabelWidth - kArtistWidth - kScrollBar;
    grid->SetColSize(kTitleColumn, std::max(kTitleWidth, free));
}

}  // namespace

TrackTitlesDialog::TrackTitlesDialog(wxWindow* parent, const AlbumInfo& album,
                                     std::array<int, 2> rows)
    : wxDialog(parent, wxID_ANY, "Track titles", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "trackTitles") {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* fields = new wxFlexGridSizer(2, 4, 6, 8);
    fields->AddGrowableCol(1, 2);
    fields->AddGrowableCol(3, 1);
    auto field = [&](const char* label, const std::string& value, const char* name) {
        fields->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* text = new wxTextCtrl(this, wxID_ANY, app::FromUtf8(value), wxDefaultPosition,
                                    wxDefaultSize, 0, wxDefaultValidator, name);
        fields->Add(text, 1, wxEXPAND);
        return text;
    };
    artist = field("Album artist:", album.artist, "albumArtist");
    year = field("Year:", album.year, "albumYear");
    title = field("Album:", album.title, "albumTitle");
    genre = field("Genre:", album.genre, "albumGenre");
    top->Add(fields, 0, wxEXPAND | wxALL, 10);

    auto* sides = new wxBoxSizer(wxHORIZONTAL);
    for (int s = 0; s < 2; ++s) {
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(new wxStaticText(this, wxID_ANY, s == 0 ? "Side 1" : "Side 2"), 0, wxBOTTOM, 4);
        wxGrid* grid = new wxGrid(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS,
                                  s == 0 ? "side1Tracks" : "side2Tracks");
        const std::vector<TrackInfo>& known = album.sides[s];
        const int count = std::max(rows[s], static_cast<int>(known.size())) + 1;
        grid->CreateGrid(count, 2);
        grid->SetColLabelValue(kTitleColumn, "Title");
        grid->SetColLabelValue(kArtistColumn, "Track artist");
        grid->SetColSize(kTitleColumn, kTitleWidth);
        grid->SetColSize(kArtistColumn, kArtistWidth);
        grid->SetRowLabelSize(kRowLabelWidth);
        for (std::size_t k = 0; k < known.size(); ++k) {
            grid->SetCellValue(static_cast<int>(k), kTitleColumn, app::FromUtf8(known[k].title));
            grid->SetCellValue(static_cast<int>(k), kArtistColumn, app::FromUtf8(known[k].artist));
        }
        const int height = grid->GetColLabelSize() + kVisibleRows * grid->GetDefaultRowSize();
        grid->SetMinSize(wxSize(kRowLabelWidth + kTitleWidth + kArtistWidth + kScrollBar, height));
        grid->Bind(wxEVT_GRID_CELL_CHANGED, &TrackTitlesDialog::OnCellChanged, this);
        grid->Bind(wxEVT_SIZE, [grid](wxSizeEvent& event) {
            FitTitleColumn(grid);
            event.Skip();
        });
        tracks[s] = grid;
        LabelRows(model::SideOfIndex(static_cast<std::size_t>(s)));
        column->Add(grid, 1, wxEXPAND);
        sides->Add(column, 1, wxEXPAND | (s == 0 ? wxRIGHT : 0), 10);
    }
    top->Add(sides, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);
    keepCharacters = new wxCheckBox(this, wxID_ANY,
                                    "Keep characters that memory sticks refuse in file names "
                                    "(? : * \" < > |)",
                                    wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                    "keepTitleCharacters");
    keepCharacters->SetValue(album.keepTitleCharacters);
    top->Add(keepCharacters, 0, wxLEFT | wxRIGHT | wxTOP, 10);
    top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(top);
    for (wxGrid* grid : tracks) FitTitleColumn(grid);
    CentreOnParent();
}

void TrackTitlesDialog::LabelRows(Side side) {
    wxGrid* grid = tracks[model::Index(side)];
    for (int row = 0; row < grid->GetNumberRows(); ++row)
        grid->SetRowLabelValue(row,
                               wxString::Format("%c%d", side == Side::One ? 'A' : 'B', row + 1));
}

void TrackTitlesDialog::OnCellChanged(wxGridEvent& event) {
    // Typing into the last row opens another one: a side takes as many rows as typed.
    wxGrid* grid = static_cast<wxGrid*>(event.GetEventObject());
    if (event.GetRow() == grid->GetNumberRows() - 1 &&
        !grid->GetCellValue(event.GetRow(), event.GetCol()).empty()) {
        grid->AppendRows(1);
        LabelRows(grid == tracks[0] ? Side::One : Side::Two);
    }
    event.Skip();
}

AlbumInfo TrackTitlesDialog::Album() const {
    AlbumInfo album;
    album.artist = app::ToUtf8(artist->GetValue());
    album.title = app::ToUtf8(title->GetValue());
    album.year = app::ToUtf8(year->GetValue());
    album.genre = app::ToUtf8(genre->GetValue());
    album.keepTitleCharacters = keepCharacters->GetValue();
    for (int s = 0; s < 2; ++s) {
        wxGrid* grid = tracks[s];
        if (grid->IsCellEditControlEnabled()) grid->SaveEditControlValue();
        std::vector<TrackInfo>& side = album.sides[s];
        for (int row = 0; row < grid->GetNumberRows(); ++row)
            side.push_back({app::ToUtf8(grid->GetCellValue(row, kTitleColumn)),
                            app::ToUtf8(grid->GetCellValue(row, kArtistColumn))});
        while (!side.empty() && side.back() == TrackInfo{}) side.pop_back();
    }
    return album;
}
