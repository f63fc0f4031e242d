#pragma once
// The application object: builds and shows the main window, the splash screen, and
// applies the command line. GUI thread only.

#include <wx/app.h>
#include <wx/toplevel.h>

#include "app/CommandLine.h"

class MyFrame;

class MyApp : public wxApp {
  public:
    explicit MyApp(CommandLine options) : m_options(std::move(options)) {}
    bool OnInit() override;
    int OnExit() override;

  private:
    CommandLine m_options;
};

namespace app {

/// The command line's settings file, then its side files (made absolute, checked as
/// "Locate..." checks them). A refused side stays empty; its "Wrong format" message and
/// a failed settings file's message are shown on `frame`.
void ApplyCommandLine(MyFrame& frame, const CommandLine& options);

/// Sets the program's icon on a top-level window.
void SetProgramIcon(wxTopLevelWindow& window);

}  // namespace app
