#include "app/CommandLine.h"

const char* const kCommandLineUsage =
    "Usage: velvane [--no-splash] [--settings FILE.lpx] [SIDE1.wav [SIDE2.wav]]\n"
    "  --no-splash        start without the splash screen\n"
    "  --settings FILE    apply a saved settings file first\n"
    "  SIDE1.wav, SIDE2.wav  the sides' 44.1 kHz stereo WAV files\n";

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (line.sides.size() == 2) {
                error = "more than two side files: " + arg;
                return std::nullopt;
            }
            line.sides.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--no-splash") {
            line.noSplash = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--settings") {
            if (i + 1 == args.size()) {
                error = "--settings needs a file";
                return std::nullopt;
            }
            line.settingsFile = args[++i];
        } else if (arg.rfind("--settings=", 0) == 0 && arg.size() > 11) {
            line.settingsFile = arg.substr(11);
        } else {
            error = "unknown option: " + arg;
            return std::nullopt;
        }
    }
    return line;
}
