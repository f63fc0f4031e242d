#pragma once
// "Locate..." for each side's WAV file and "Locate encoder...". GUI thread only.

#include <wx/string.h>

#include <optional>
#include <string>

#include "model/Side.h"

struct FrameControls;
class FrameSides;
class LastPath;
class Prompter;
class wxCommandEvent;
class wxFrame;

class LocateCommands {
  public:
    /// Binds the three Locate buttons on `frame`. A located side goes into its path field
    /// of `controls`, changes `sides` and becomes the last path.
    LocateCommands(wxFrame& frame, const FrameControls& controls, FrameSides& sides,
                   LastPath& lastPath, Prompter& prompts);

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

    wxFrame& frame_;
    const FrameControls& controls_;
    FrameSides& sides_;
    LastPath& lastPath_;
    Prompter& prompts_;
};
