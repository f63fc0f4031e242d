#pragma once
// Driving the main window in-process under an X server: pumping the event loop, sending
// menu and button commands, a prompter with scripted answers, and a fixture that builds a
// fresh frame for each test.

#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/string.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// The window and every part of it, for the tests to reach.
#include "app/FrameAlbum.h"
#include "app/FrameJobs.h"
#include "app/FrameMenus.h"
#include "app/FrameRecording.h"
#include "app/FrameWaveforms.h"
#include "app/LocateCommands.h"
#include "app/MyFrame.h"
#include "app/Prompter.h"
#include "app/SettingsCommands.h"
#include "app/SmartSenseChoice.h"
#include "waveview/MyCanvas.h"

class wxButton;
class wxWindow;

/// Pumps events until `done` holds; false when `timeout` passed first.
bool RunUntil(const std::function<bool()>& done,
              std::chrono::milliseconds timeout = std::chrono::seconds(10));

/// Set by the test main: while > 0, modal dialogs may really run.
struct AllowRealDialogs {
    AllowRealDialogs();
    ~AllowRealDialogs();
};

struct ShownMessage {
    wxString text;
    wxString caption;
    long style;
};

/// Answers file dialogs and modal dialogs from queues and records every question. A
/// question without a queued answer fails the test (and is answered with "cancel").
class ScriptedPrompter : public Prompter {
  public:
    wxString ChooseFile(wxWindow* parent, FileRequest& request) override;
    int Message(wxWindow* parent, const wxString& text, const wxString& caption,
                long style) override;
    int RunModal(wxDialog& dialog) override;
    void OpenUrl(const wxString& url) override;

    std::deque<wxString> files;  ///< "" = the user cancels
    /// The file type chosen with the next file in `files` (default: as the dialog offers).
    std::deque<int> filterIndexes;
    /// Answers to questions (wxYES_NO messages), in turn; wxYES when none is queued.
    std::deque<int> answers;
    std::deque<int> modalResults;
    /// Called with a modal dialog before its answer is given (e.g. to fill it in).
    std::function<void(wxDialog&)> onModal;
    std::vector<FileRequest> fileRequests;
    std::vector<ShownMessage> messages;
    /// Called while a message is "open", after it was recorded (e.g. to press Stop).
    std::function<void(const ShownMessage&)> onMessage;
    std::vector<wxString> dialogTitles;
    std::vector<wxString> urls;
};

class FrameTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    /// Handles a menu command as a click on the item would.
    void Menu(int id);
    /// Handles a button click.
    void Click(wxButton* button);

    MyFrame* frame = nullptr;
    ScriptedPrompter* prompts = nullptr;  ///< owned by the frame
};

/// The client area of `window` with its children as shown on screen (wxClientDC blit).
wxImage CaptureClientArea(wxWindow* window);
/// The whole top-level window, menu bar and status bar included (screen blit).
wxImage CaptureScreenRect(wxWindow* window);
/// Saves a PNG under VELVANE_SCREENSHOT_DIR (made when missing); returns the path.
std::string SaveScreenshot(const wxImage& image, const std::string& name);
