#include "app/LocateCommands.h"

#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/FrameControls.h"
#include "app/FrameSides.h"
#include "app/LastPath.h"
#include "app/Prompter.h"
#include "app/WxText.h"
#include "encode/Encoder.h"
#include "model/EncoderKind.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "sidefile/SideReader.h"

namespace {

constexpr const char* kSidesTaken =
    "Sides are WAV, FLAC, AIFF, RF64 or Wave64 files, mono or stereo, 16 to 32 bits or "
    "float, 22.05 to 192 kHz.";

// GTK's pattern "*.*" only matches names with a dot, and encoders here have none.
#ifdef _WIN32
const char* const kAllFiles = "All Files (*.*)|*.*";
constexpr int kEncoderFilter = 0;  // "Executable (*.exe)"
#else
const char* const kAllFiles = "All Files (*)|*";
constexpr int kEncoderFilter = 1;  // "All Files"
#endif

}  // namespace

LocateCommands::LocateCommands(wxFrame& frame, const FrameControls& controls, FrameSides& sides,
                               LastPath& lastPath, Prompter& prompts)
    : frame_(frame), controls_(controls), sides_(sides), lastPath_(lastPath), prompts_(prompts) {
    frame.Bind(wxEVT_BUTTON, &LocateCommands::OnLocateSide, this, kIdLocateSide1, kIdLocateSide2);
    frame.Bind(wxEVT_BUTTON, &LocateCommands::OnLocateEncoder, this, kIdLocateEncoder);
}

std::optional<wxString> LocateCommands::LocateSide(Side side, const std::string& path) {
    // A file that is not there is not there, whatever format it might have had.
    if (!platform::OpenFile(path, "rb"))
        return app::FromUtf8("The file \"" + path + "\" cannot be opened.");
    if (const std::string problem = sidefile::SideProblem(path); !problem.empty())
        return wxString("This is not a side Velvane can read!\n(") + app::FromUtf8(problem) +
               ")\n" + kSidesTaken;
    controls_.SidePathField(side)->ChangeValue(app::FromUtf8(path));
    sides_.Changed();
    lastPath_.Set(path);
    if (const std::string shortfall = sidefile::SideShortfall(path); !shortfall.empty())
        prompts_.Message(&frame_,
                         app::FromUtf8("Side " + model::NumberText(side) + ": " + shortfall +
                                       ".\nOnly what it holds will be used."),
                         "Shorter than its header", wxOK | wxICON_INFORMATION);
    return std::nullopt;
}

void LocateCommands::ShowWrongFormat(const wxString& text) {
    prompts_.Message(&frame_, text, "Wrong format", wxOK | wxICON_INFORMATION);
}

void LocateCommands::OnLocateSide(wxCommandEvent& event) {
    const Side side = event.GetId() == kIdLocateSide1 ? Side::One : Side::Two;
    FileRequest request;
    request.message = wxString::Format("Locate the wave file for side %d.", model::Number(side));
    request.defaultDir = lastPath_.Folder();
    request.wildcard = wxString("Wave Files (*.wav)|*.wav|") + kAllFiles;
    const wxString path = prompts_.ChooseFile(&frame_, request);
    if (path.empty()) return;
    if (const std::optional<wxString> problem = LocateSide(side, app::ToUtf8(path)))
        ShowWrongFormat(*problem);
}

void LocateCommands::LocateEncoder(const std::string& path) {
    controls_.m_textCtrl1->ChangeValue(app::FromUtf8(path));
    if (const std::optional<EncoderKind> kind = encode::RecognizeEncoderKind(path))
        controls_.m_choice1->SetSelection(static_cast<int>(*kind));
}

void LocateCommands::OnLocateEncoder(wxCommandEvent&) {
    FileRequest request;
    request.message = "Locate the MP3 (or Ogg) encoder.";
    request.wildcard = wxString("Executable (*.exe)|*.exe|") + kAllFiles;
    request.filterIndex = kEncoderFilter;
    const wxString path = prompts_.ChooseFile(&frame_, request);
    if (!path.empty()) LocateEncoder(app::ToUtf8(path));
}
