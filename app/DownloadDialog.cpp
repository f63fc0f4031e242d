#include "app/DownloadDialog.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include "app/CompactStyle.h"

DownloadDialog::DownloadDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Download Encoder", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "dialog") {
    // Two lines of the default font need 36 pixels here; the buttons keep their places.
    new wxStaticText(this, wxID_ANY,
                     "Click on the appropriate button to get to the web page\n"
                     "where the encoder may be downloaded.",
                     wxPoint(20, 10), wxSize(300, 36), 0, "staticText");
    auto button = [this](const char* label, int y, int width) {
        auto* b = new wxButton(this, wxID_ANY, label, wxPoint(20, y), wxSize(width, 24), 0,
                               wxDefaultValidator, "button");
        UseCompactStyle(b);
        return b;
    };
    m_fastEnc = button("Download the FastEnc MP3 encoder", 50, 300);
    m_blade = button("Download the Blade MP3 encoder", 90, 300);
    m_oggVorbis = button("Download the Ogg Vorbis encoder", 130, 300);
    m_l3Enc = button("Download the L3Enc MP3 encoder (limited availability)", 170, 300);
    m_lame = button("Download the LAME MP3 encoder", 210, 300);
    m_flac = button("Download the FLAC encoder", 250, 300);
    m_cancel = button("Cancel", 290, 50);
    SetClientSize(340, 330);
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
