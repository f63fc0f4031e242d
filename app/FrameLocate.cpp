// "Locate..." for each side's WAV file and "Locate encoder...".

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "app/MyFrame.h"
#include "app/Prompter.h"
#include "app/WxText.h"
#include "engine/EncoderKind.h"
#include "platform/Paths.h"
#include "wav/WaveFile.h"

namespace {

// GTK's pattern "*.*" only matches names with a dot, and encoders here have none.
#ifdef _WIN32
const char* const kAllFiles = "All Files (*.*)|*.*";
constexpr int kEncoderFilter = 0;  // "Executable (*.exe)"
#else
const char* const kAllFiles = "All Files (*)|*";
constexpr int kEncoderFilter = 1;  // "All Files"
#endif

}  // namespace

wxString MyFrame::LastFolder() const {
    // m_lastPath usually names the file chosen last; the dialogs want its folder.
    std::error_code ec;
    if (m_lastPath.empty() || std::filesystem::is_directory(m_lastPath, ec))
        return FromUtf8(m_lastPath);
    const std::string folder = platform::SplitDirectory(m_lastPath);
    if (folder.empty() && m_lastPath[0] == platform::kPathSeparator)
        return wxString(platform::kPathSeparator);  // a file in the root folder
    return FromUtf8(folder);
}

std::optional<wxString> MyFrame::LocateSide(int side, const std::string& path) {
    if (!WaveFile::IsStereoWave(path, kSampleRate))
        return wxString("This is not a 44.1 kHz stereo wave file!\n(") +
               FromUtf8(WaveFile::Describe(path)) + ")";
    (side == 1 ? i_textCtrl1 : i_textCtrl2)->ChangeValue(FromUtf8(path));
    m_wavesDrawn = false;  // the waveforms on display belong to the previous file
    SetLastPath(path);
    return std::nullopt;
}

void MyFrame::ShowWrongFormat(const wxString& text) {
    m_prompter->Message(this, text, "Wrong format", wxOK | wxICON_INFORMATION);
}

void MyFrame::OnLocateSide(wxCommandEvent& event) {
    const int side = event.GetId() == kIdLocateSide1 ? 1 : 2;
    FileRequest request;
    request.message = wxString::Format("Locate the wave file for side %d.", side);
    request.defaultDir = LastFolder();
    request.wildcard = wxString("Wave Files (*.wav)|*.wav|") + kAllFiles;
    const wxString path = m_prompter->ChooseFile(this, request);
    if (path.empty()) return;
    if (const std::optional<wxString> problem = LocateSide(side, ToUtf8(path)))
        ShowWrongFormat(*problem);
}

void MyFrame::LocateEncoder(const std::string& path) {
    m_textCtrl1->ChangeValue(FromUtf8(path));
    if (const std::optional<EncoderKind> kind = RecognizeEncoderKind(path))
        m_choice1->SetSelection(static_cast<int>(*kind));
}

void MyFrame::OnLocateEncoder(wxCommandEvent&) {
    FileRequest request;
    request.message = "Locate the MP3 (or Ogg) encoder.";
    request.wildcard = wxString("Executable (*.exe)|*.exe|") + kAllFiles;
    request.filterIndex = kEncoderFilter;
    const wxString path = m_prompter->ChooseFile(this, request);
    if (!path.empty()) LocateEncoder(ToUtf8(path));
}
