#include <cstdio>

#include "cli/Commands.h"

int RunSlice(const CliOptions&) {
    std::fputs("velvane-cli: slice is not available yet\n", stderr);
    return kExitUsage;
}
