#pragma once
// The "Download Encoder" dialog: one button per encoder whose download page the program
// can open. Its modal result says which (DownloadChoice). GUI thread only.

#include <wx/dialog.h>

class wxButton;

/// Modal results. The numbers are fixed (they do not follow the order on screen).
enum DownloadChoice : int {
    kDownloadNone = 0,
    kDownloadFastEnc = 1,
    kDownloadBlade = 2,
    kDownloadL3Enc = 3,
    kDownloadOggVorbis = 4,
    kDownloadLame = 5,
    kDownloadFlac = 6,
};

class DownloadDialog : public wxDialog {
  public:
    explicit DownloadDialog(wxWindow* parent);

    wxButton* m_fastEnc;
    wxButton* m_blade;
    wxButton* m_l3Enc;
    wxButton* m_oggVorbis;
    wxButton* m_lame;
    wxButton* m_flac;
    wxButton* m_cancel;

  private:
    void OnButton(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
};
