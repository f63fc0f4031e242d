#pragma once
// "Locate..." for each side's WAV file and "Locate encoder...". GUI thread only.

#include <wx/string.h>

#include <optional>
#include <string>

#include "model/Side.h"

class MyFrame;
class wxCommandEvent;

class LocateCommands {
  public:
    /// Binds the three Locate buttons on `frame`.
    explicit LocateCommands(MyFrame& frame);

    /// Makes `path` the side's file if it is a 44.1 kHz stereo WAV file. Returns the "Wrong
    /// format" message text when it is not (nothing changed then), else nullopt.
    std::optional<wxString> LocateSide(Side side, const std::string& path);
    /// Shows the "Wrong format" message box with `text`.
    void ShowWrongFormat(const wxString& text);
    /// Sets the path of the encoder and selects its kind when the path names one.
    void LocateEncoder(const std::string& path);

  private:
    void OnLocateSide(wxCommandEvent& event);
    void OnLocateEncoder(wxCommandEvent& event);

    MyFrame& frame_;
};
