#include "app/HelpCommands.h"

#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>

#include "app/DownloadDialog.h"
#include "app/FrameMenus.h"
#include "app/Prompter.h"
#include "app/ResourceFiles.h"
#include "app/WxText.h"

namespace {

const char* const kAboutText =
    "Velvane, version 2.0\n\n"
    "Turns gramophone records and cassettes into one audio file per song.\n\n"
    "Free software under the MIT License.";

#ifdef _WIN32
const char* const kEncoderHelp =
    "If you want to encode MP3 files, then you must download one of the most common MP3 "
    "encoders.\nYou can do that from the Help menu. Put the .exe file (the encoder) in your "
    "Velvane folder\nand then click on \"Locate encoder...\" and browse to the encoder, so Velvane "
    "knows where\nyour MP3 encoder is located.";
#else
const char* const kEncoderHelp =
    "If you want MP3, Ogg or FLAC files made from the slices, tick that option and choose the\n"
    "encoder in the list beside \"Locate encoder...\". Velvane finds lame, oggenc and flac by\n"
    "itself once they are installed (your package manager has them; see also the Help menu);\n"
    "\"Locate encoder...\" is needed only for another encoder program.";
#endif

const char* const kBasicHelpText =
    "Record the two sides of the record (or one side of the cassette) using this\n"
    "software, by clicking on \"Rec...\" or if you have already recorded the music using some\n"
    "other software, then locate the recording(s) by clicking on \"Locate...\".\n"
    "While a side records, meters and its time show beside the Start buttons, and Velvane\n"
    "can stop by itself when the side has ended, so you need not wait by the computer.\n\n"
    "Then choose how the sides are cut into songs, under Cuts:\n"
    "- Auto Sense looks for silent passages between the songs.\n"
    "- Smart Sense is made for real records and tapes: it hears past clicks, crackle and\n"
    "  hiss and cuts in the middle of every gap (\"Smart Sense settings...\" takes the number\n"
    "  of songs on each side when you know it).\n"
    "- Typed Times cuts at the times you type below, as 3:25.5 or 3.25.5.\n"
    "- Or place the cuts yourself: click on \"Draw waveforms\", then left-click in a side's\n"
    "  waveform to add a cut and right-click to remove the nearest one, and slice with\n"
    "  \"Slice using waveform markers\".\n\n"
    "Listen before you slice: click in a side's ruler (or Shift+click in its waveform) to put\n"
    "the playhead there and press Play or the space bar; [ and ] play from the cut before or\n"
    "after it. A click in a side's yellow band lets you move a cut by ear. Zoom with Ctrl and\n"
    "the mouse wheel or the + and - keys; 0 shows the whole sides again.\n"
    "Edit > Undo (Ctrl+Z) takes back any change of the cuts, and Edit > Cut list... shows them\n"
    "with their times, to change them exactly.\n\n"
    "The Repair menu repairs clicks and crackle in every slice (Light, Medium or Strong);\n"
    "what you play and listen to is then repaired too, as the slices will be.\n\n"
    "File > Track titles... names the songs and gives the album's tags; File > Export cut\n"
    "list... and Import cut list... carry cuts and titles to and from CUE sheets and\n"
    "Audacity label files.\n\n";

// The encoders' public download pages.
const char* const kFastEncPage =
    "https://www.iis.fraunhofer.de/en/ff/amm/consumer-electronics/mp3.html";
const char* const kBladePage = "http://bladeenc.mp3.no/";
const char* const kL3EncPage =
    "https://www.iis.fraunhofer.de/en/ff/amm/consumer-electronics/mp3.html";
const char* const kOggVorbisPage = "https://xiph.org/downloads/";
const char* const kLamePage = "https://lame.sourceforge.io/download.php";
const char* const kFlacPage = "https://xiph.org/flac/download.html";

wxString ResourceUrl(const char* name) {
    return wxFileName::FileNameToURL(wxFileName(app::FromUtf8(resource::Path(name))));
}

}  // namespace

HelpCommands::HelpCommands(wxFrame& frame, Prompter& prompts) : frame_(frame), prompts_(prompts) {
    frame.Bind(wxEVT_MENU, &HelpCommands::OnAbout, this, kIdAbout);
    frame.Bind(wxEVT_MENU, &HelpCommands::OnHomePage, this, kIdHomePage);
    frame.Bind(wxEVT_MENU, &HelpCommands::OnBasicHelp, this, kIdBasicHelp);
    frame.Bind(wxEVT_MENU, &HelpCommands::OnManual, this, kIdManual);
    frame.Bind(wxEVT_MENU, &HelpCommands::OnDownload, this, kIdDownloadEncoder);
}

void HelpCommands::OnAbout(wxCommandEvent&) {
    prompts_.Message(&frame_, kAboutText, "About Velvane", wxOK | wxICON_INFORMATION);
}

void HelpCommands::OnBasicHelp(wxCommandEvent&) {
    prompts_.Message(&frame_, wxString(kBasicHelpText) + kEncoderHelp, "Basic Help",
                     wxOK | wxICON_EXCLAMATION);
}

void HelpCommands::OnManual(wxCommandEvent&) {
    prompts_.OpenUrl(ResourceUrl(resource::kManual));
}

void HelpCommands::OnHomePage(wxCommandEvent&) {
    prompts_.OpenUrl(ResourceUrl(resource::kHomePage));
}

void HelpCommands::OnDownload(wxCommandEvent&) {
    int result;
    {
        DownloadDialog dialog(&frame_);
        result = prompts_.RunModal(dialog);
    }
    const char* page = nullptr;
    switch (result) {
        case kDownloadFastEnc:
            page = kFastEncPage;
            break;
        case kDownloadBlade:
            page = kBladePage;
            break;
        case kDownloadL3Enc:
            page = kL3EncPage;
            break;
        case kDownloadOggVorbis:
            page = kOggVorbisPage;
            break;
        case kDownloadLame:
            page = kLamePage;
            break;
        case kDownloadFlac:
            page = kFlacPage;
            break;
        default:
            break;  // Cancel, or closed without a choice
    }
    if (page) prompts_.OpenUrl(page);
}
