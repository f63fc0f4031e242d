// velvane-cli: record, analyse and slice record sides from the command line.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"

int main(int argc, char** argv) {
    const ParseResult parsed =
        cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        if (argc == 1) {
            std::fputs(cli::ShortUsage().c_str(), stderr);
        } else {
            std::fprintf(stderr, "velvane-cli: %s\nTry 'velvane-cli --help'.\n",
                         parsed.error.c_str());
        }
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(cli::HelpText(parsed.options.command).c_str(), stdout);
        return kExitOk;
    }
    cli::InstallInterruptHandler();
    switch (parsed.options.command) {
        case CliCommand::Analyze:
            return cli::RunAnalyze(parsed.options);
        case CliCommand::Slice:
            return cli::RunSlice(parsed.options);
        case CliCommand::Record:
            return cli::RunRecord(parsed.options);
        case CliCommand::Declick:
            return cli::RunDeclick(parsed.options);
        case CliCommand::Help:
            break;
    }
    std::fputs(cli::HelpText().c_str(), stdout);
    return kExitOk;
}
