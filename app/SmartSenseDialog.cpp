#include "app/SmartSenseDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include "model/SideState.h"

namespace {

constexpr int kLongestShortestSong = 600;  // seconds
constexpr int kBorder = 8;

}  // namespace

SmartSenseDialog::SmartSenseDialog(wxWindow* parent, std::optional<int> side1,
                                   std::optional<int> side2, int minSongSeconds, bool trim)
    : wxDialog(parent, wxID_ANY, "Smart Sense", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "dialog") {
    auto* grid = new wxFlexGridSizer(2, kBorder, kBorder);
    const auto row = [&](const char* label, int value, int min, int max, const char* name) {
        grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* spin = new wxSpinCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                    wxSP_ARROW_KEYS, min, max, value, name);
        grid->Add(spin);
        return spin;
    };
    constexpr int kMostSongs = static_cast<int>(kMaxCuts);
    m_songs[0] = row("Songs on side 1:", side1.value_or(0), 0, kMostSongs, "songs1");
    m_songs[1] = row("Songs on side 2:", side2.value_or(0), 0, kMostSongs, "songs2");
    m_minSong = row("Shortest song (seconds):", minSongSeconds, 1, kLongestShortestSong, "minSong");

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY,
                                 "Smart Sense finds the songs by itself. Where you know how\n"
                                 "many songs a side holds, give the number (0 = find out)."),
                0, wxALL, kBorder);
    column->Add(grid, 0, wxLEFT | wxRIGHT | wxBOTTOM, kBorder);
    m_trim = new wxCheckBox(this, wxID_ANY, "Trim lead-in and run-out", wxDefaultPosition,
                            wxDefaultSize, 0, wxDefaultValidator, "trim");
    m_trim->SetValue(trim);
    m_trim->SetToolTip(
        "Start the first slice where the music starts and end the last where it ends (half a "
        "second apart), so the needle drop, a tape's leader and the run-out go into no file.");
    column->Add(m_trim, 0, wxLEFT | wxRIGHT | wxBOTTOM, kBorder);
    column->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, kBorder);
    SetSizerAndFit(column);
    CentreOnParent();
}

std::optional<int> SmartSenseDialog::SongCount(Side side) const {
    const int n = m_songs[model::Index(side)]->GetValue();
    return n > 0 ? std::optional<int>(n) : std::nullopt;
}

int SmartSenseDialog::MinSongSeconds() const {
    return m_minSong->GetValue();
}

bool SmartSenseDialog::Trim() const {
    return m_trim->GetValue();
}
