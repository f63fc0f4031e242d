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
    "If you want to encode MP3, Ogg or FLAC files, then you need an encoder program such as\n"
    "lame, oggenc or flac. Install it with your package manager (or see the Help menu), then\n"
    "click on \"Locate encoder...\" and browse to the encoder (for example /usr/bin/lame), so\n"
    "Velvane knows where your encoder is located.";
#endif

const char* const kBasicHelpText =
    "Record the two sides of the record (or one side of the cassette) using this\n"
    "software, by clicking on \"Rec...\" or if you have already recorded the music using some\n"
    "other software, then locate the recording(s) by clicking on \"Locate...\".\n\n"
    "Note that if you use this software to record the record (or cassette) then you don't have\n"
    "to wait in front of the computer - Intead the software can stop recording automatically \n"
    "when one side has been recorded.\n\n"
    "Then you can let the computer slice the recordings into individual songs or you can\n"
    "do the slicing yourself by clicking in the waveform display. If you want to do it yourself\n"
    "then first draw the waveforms by clicking on the button which does it. Mark by left- and\n"
    "right clicking with the mouse. Then click on the slice button.\n\n"
    "If you want the computer to decide where the slicing should occur, then choose Auto Sense\n"
    "and it will look for silent passages in the recording and split the recording into songs\n"
    "when it detects silence. If you want to let the computer do this, then just click on the\n"
    "button which slices according to auto sense.\n\n"
    "Or you can type in exactly when (in time) the slicing should be done. Then select \"Typed \n"
    "Times\" under CUTS.\n\n"
    "If you want to create MP3 or Ogg files from the slices, then just select that option.\n\n";

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
    return wxFileName::FileNameToURL(wxFileName(FromUtf8(resource::Path(name))));
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
