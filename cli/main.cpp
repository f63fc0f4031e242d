// velvane-cli: analyse and slice record sides from the command line.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliOptions.h"

int main(int argc, char** argv) {
    const ParseResult parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "velvane-cli: %s\nTry 'velvane-cli --help'.\n", parsed.error.c_str());
        return kExitUsage;
    }
    std::fputs(HelpText().c_str(), stdout);
    return kExitOk;
}
