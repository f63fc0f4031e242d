#pragma once
// The window's command line: velvane [--no-splash] [--settings FILE.lpx] [SIDE1.wav [SIDE2.wav]]
// Parsed before the toolkit starts, so a wrong call needs no display. (--help is noted, and
// wins over what follows it.)

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    bool noSplash = false;
    bool help = false;               ///< --help / -h: print the usage and exit 0
    std::string settingsFile;        ///< applied first; "" = none
    std::vector<std::string> sides;  ///< at most two: side 1, side 2 (as given)
};

namespace app {

/// The usage text, made from the same option table as the parser; ends in a newline.
std::string CommandLineUsage();

/// Parses the arguments after the program name. Nullopt with `error` set for an unknown
/// option, a missing option value or more than two side files. "--" ends the options.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error);

}  // namespace app
