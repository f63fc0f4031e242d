#include "app/MyApp.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/splash.h>

#include "app/ImageFile.h"
#include "app/LocateCommands.h"
#include "app/MyFrame.h"
#include "app/ResourceFiles.h"
#include "app/SettingsCommands.h"
#include "app/WxText.h"
#include "platform/Paths.h"
#include "velvane_icon.xpm"

namespace {

constexpr int kSplashMilliseconds = 5500;

void ShowSplash(MyFrame* frame) {
    const wxImage picture =
        app::LoadImageFile(resource::Path(resource::kSplash), wxBITMAP_TYPE_BMP);
    if (!picture.IsOk()) return;
    auto* splash = new wxSplashScreen(
        wxBitmap(picture), wxSPLASH_CENTRE_ON_PARENT | wxSPLASH_TIMEOUT, kSplashMilliseconds, frame,
        wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSIMPLE_BORDER | wxSTAY_ON_TOP);
    app::SetProgramIcon(*splash);
}

}  // namespace

void app::SetProgramIcon(wxTopLevelWindow& window) {
    window.SetIcon(wxIcon(velvane_icon_xpm));
}

void app::ApplyCommandLine(MyFrame& frame, const CommandLine& options) {
    if (!options.settingsFile.empty()) frame.Settings().Load(options.settingsFile);
    for (std::size_t i = 0; i < options.sides.size(); ++i) {
        const std::string path = platform::MakeAbsolute(options.sides[i]);
        if (const std::optional<wxString> problem =
                frame.Locate().LocateSide(model::SideOfIndex(i), path))
            frame.Locate().ShowWrongFormat(FromUtf8(path) + "\n" + *problem);
    }
}

bool MyApp::OnInit() {
    // A log window would stop an unattended run; nothing is logged on purpose anyway.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxInitAllImageHandlers();
    auto* frame = new MyFrame(kProgramTitle, wxPoint(20, 40), wxSize(902, 340));
    app::SetProgramIcon(*frame);
    frame->Show(true);
    SetTopWindow(frame);
    if (!m_options.noSplash) ShowSplash(frame);
    // Messages about the command line's files appear over the window, once it is up.
    frame->CallAfter([frame, options = m_options] { app::ApplyCommandLine(*frame, options); });
    return true;
}

int MyApp::OnExit() {
    return wxApp::OnExit();
}
