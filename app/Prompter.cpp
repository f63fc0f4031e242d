#include "app/Prompter.h"

#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

wxString WxPrompter::ChooseFile(wxWindow* parent, FileRequest& request) {
    const long style = request.save ? wxFD_SAVE : wxFD_OPEN | wxFD_FILE_MUST_EXIST;
    wxFileDialog dialog(parent, request.message, request.defaultDir, request.defaultFile,
                        request.wildcard, style, wxDefaultPosition, wxDefaultSize, "filedlg");
    dialog.SetFilterIndex(request.filterIndex);
    if (dialog.ShowModal() != wxID_OK) return wxString();
    request.filterIndex = dialog.GetFilterIndex();
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

bool app::MayReplace(Prompter& prompter, wxWindow* parent, const wxString& path) {
    if (!wxFileExists(path)) return true;
    return prompter.Message(
               parent,
               wxString::Format("A file named \"%s\" already exists.\nDo you want to replace it?",
                                wxFileName(path).GetFullName()),
               "Replace file?", wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION) == wxYES;
}

wxString app::ChooseSaveFile(Prompter& prompter, wxWindow* parent, FileRequest& request) {
    request.save = true;
    const wxString path = prompter.ChooseFile(parent, request);
    return path.empty() || MayReplace(prompter, parent, path) ? path : wxString();
}
