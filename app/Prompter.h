#pragma once
// Every question the window asks the user goes through this seam: file dialogs, message
// boxes, modal dialogs and web pages. The program uses WxPrompter; tests script answers.
// GUI thread only.

#include <wx/string.h>

class wxDialog;
class wxWindow;

/// What an open or save dialog shows.
struct FileRequest {
    wxString message;      ///< the dialog's title
    wxString defaultDir;   ///< "" = the toolkit's choice
    wxString defaultFile;  ///< the name proposed in the dialog; "" = none
    wxString wildcard;     ///< "Desc (*.x)|*.x|..." or a bare pattern
    int filterIndex = 0;   ///< the wildcard entry selected at first; the one chosen after
    bool save = false;     ///< save dialog instead of open (ChooseSaveFile asks to replace)
};

class Prompter {
  public:
    virtual ~Prompter() = default;
    /// The chosen full path, or "" when the user cancelled; request.filterIndex is set to
    /// the file type chosen.
    virtual wxString ChooseFile(wxWindow* parent, FileRequest& request) = 0;
    /// A message box as wxMessageBox shows it; returns wxOK, wxYES, wxNO or wxCANCEL.
    virtual int Message(wxWindow* parent, const wxString& text, const wxString& caption,
                        long style) = 0;
    /// Shows `dialog` modally; returns its modal result.
    virtual int RunModal(wxDialog& dialog) = 0;
    /// Shows a web page or a local file:// page in the default browser. Failures are silent.
    virtual void OpenUrl(const wxString& url) = 0;
};

/// The real dialogs and the default browser.
class WxPrompter : public Prompter {
  public:
    wxString ChooseFile(wxWindow* parent, FileRequest& request) override;
    int Message(wxWindow* parent, const wxString& text, const wxString& caption,
                long style) override;
    int RunModal(wxDialog& dialog) override;
    void OpenUrl(const wxString& url) override;
};

namespace app {

/// True when nothing is at `path`, or the user says an existing file there may be replaced.
bool MayReplace(Prompter& prompter, wxWindow* parent, const wxString& path);

/// A save dialog that never replaces a file unasked (MayReplace). The path, or "" when the
/// user cancelled or would not replace it.
wxString ChooseSaveFile(Prompter& prompter, wxWindow* parent, FileRequest& request);

}  // namespace app
