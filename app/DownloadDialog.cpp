#include "app/DownloadDialog.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include <algorithm>

#include "app/CompactStyle.h"

DownloadDialog::DownloadDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Download Encoder", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "dialog") {
    const char* const introLines[] = {"Click on the appropriate button to get to the web page",
                                      "where the encoder may be downloaded."};
    const char* const labels[] = {
        "Download the FastEnc MP3 encoder", "Download the Blade MP3 encoder",
        "Download the Ogg Vorbis encoder",  "Download the L3Enc MP3 encoder (limited availability)",
        "Download the LAME MP3 encoder",    "Download the FLAC encoder"};
    // The layout is 300 pixels wide for a small font; wider when this font needs it.
    int width = 300;
    for (const char* line : introLines) width = std::max(width, GetTextExtent(line).x + 4);
    for (const char* label : labels) width = std::max(width, GetTextExtent(label).x + 24);

    new wxStaticText(this, wxID_ANY, wxString(introLines[0]) + "\n" + introLines[1],
                     wxPoint(20, 10), wxSize(width, std::max(28, 2 * GetCharHeight() + 2)), 0,
                     "staticText");
    auto button = [this](const char* label, int y, int w) {
        auto* b = new wxButton(this, wxID_ANY, label, wxPoint(20, y), wxSize(w, 24), 0,
                               wxDefaultValidator, "button");
        app::UseCompactStyle(b);
        return b;
    };
    m_fastEnc = button(labels[0], 50, width);
    m_blade = button(labels[1], 90, width);
    m_oggVorbis = button(labels[2], 130, width);
    m_l3Enc = button(labels[3], 170, width);
    m_lame = button(labels[4], 210, width);
    m_flac = button(labels[5], 250, width);
    m_cancel = button("Cancel", 290, std::max(50, GetTextExtent("Cancel").x + 16));
    SetClientSize(width + 40, 330);
    Bind(wxEVT_BUTTON, &DownloadDialog::OnButton, this);
    Bind(wxEVT_CLOSE_WINDOW, &DownloadDialog::OnClose, this);
}

void DownloadDialog::OnButton(wxCommandEvent& event) {
    const std::pair<const wxButton*, DownloadChoice> results[] = {
        {m_fastEnc, kDownloadFastEnc},     {m_blade, kDownloadBlade}, {m_l3Enc, kDownloadL3Enc},
        {m_oggVorbis, kDownloadOggVorbis}, {m_lame, kDownloadLame},   {m_flac, kDownloadFlac},
        {m_cancel, kDownloadNone}};
    for (const auto& [button, result] : results) {
        if (event.GetEventObject() == button) {
            EndModal(result);
            return;
        }
    }
    event.Skip();
}

// Closing through the title bar (or Escape) opens no page.
void DownloadDialog::OnClose(wxCloseEvent&) {
    EndModal(kDownloadNone);
}
