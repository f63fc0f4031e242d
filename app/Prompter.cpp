#include "app/Prompter.h"

#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

wxString WxPrompter::ChooseFile(wxWindow* parent, const FileRequest& request) {
    const long style = request.save ? wxFD_SAVE : wxFD_OPEN | wxFD_FILE_MUST_EXIST;
    wxFileDialog dialog(parent, request.message, request.defaultDir, request.defaultFile,
                        request.wildcard, style, wxDefaultPosition, wxDefaultSize, "filedlg");
    dialog.SetFilterIndex(request.filterIndex);
    if (dialog.ShowModal() != wxID_OK) return wxString();
    // wxGTK 3.2 fills GetPath() after a real acceptance, but only directory and name
    // when the dialog was answered without being shown.
    wxString path = dialog.GetPath();
    if (path.empty() && !dialog.GetFilename().empty())
        path = dialog.GetDirectory() + wxFILE_SEP_PATH + dialog.GetFilename();
    return path;
}

int WxPrompter::Message(wxWindow* parent, const wxString& text, const wxString& caption,
                        long style) {
    return wxMessageBox(text, caption, style, parent);
}

int WxPrompter::RunModal(wxDialog& dialog) {
    return dialog.ShowModal();
}

void WxPrompter::OpenUrl(const wxString& url) {
    wxLaunchDefaultBrowser(url);
}
