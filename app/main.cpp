// velvane: the window. The command line is checked before the toolkit starts.

#include <wx/app.h>

#include <iostream>

#include "app/CommandLine.h"
#include "app/MyApp.h"
#include "platform/EndingCleanup.h"

int main(int argc, char** argv) {
    std::string error;
    const std::optional<CommandLine> options =
        app::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "velvane: " << error << "\n" << app::CommandLineUsage();
        return 2;
    }
    if (options->help) {
        std::cout << app::CommandLineUsage();
        return 0;
    }
    // An abrupt end (Ctrl+C in the terminal that started it, a hang-up, a crash) takes the
    // encoders with it and puts the user's files they would have replaced back.
    platform::InstallEndingHandlers(true);
    wxApp::SetInstance(new MyApp(*options));
    int toolkitArgc = 1;
    return wxEntry(toolkitArgc, argv);
}
