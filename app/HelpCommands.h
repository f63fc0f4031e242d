#pragma once
// File > About... and the Help menu: Basic Help, the manual, the home page and the encoder
// download pages. GUI thread only.

class Prompter;
class wxCommandEvent;
class wxFrame;

class HelpCommands {
  public:
    /// Binds About (File menu) and the Help menu's items on `frame`; asks through `prompts`.
    HelpCommands(wxFrame& frame, Prompter& prompts);

  private:
    void OnAbout(wxCommandEvent& event);
    void OnBasicHelp(wxCommandEvent& event);
    void OnManual(wxCommandEvent& event);
    void OnHomePage(wxCommandEvent& event);
    void OnDownload(wxCommandEvent& event);

    wxFrame& frame_;
    Prompter& prompts_;
};
