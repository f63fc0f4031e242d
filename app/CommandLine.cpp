#include "app/CommandLine.h"

#include "settings/OptionTable.h"

namespace {

constexpr unsigned kWindow = 1;

const OptionRow<CommandLine> kOptions[] = {
    {"--no-splash", nullptr, kWindow, "start without the splash screen",
     [](CommandLine& line, const std::string&) {
         line.noSplash = true;
         return std::string();
     }},
    {"--settings", "FILE.lpx", kWindow, "apply a saved settings file first",
     [](CommandLine& line, const std::string& value) {
         if (value.empty()) return std::string("--settings needs a file");
         line.settingsFile = value;
         return std::string();
     }},
};

}  // namespace

std::string app::CommandLineUsage() {
    return settings::WrapUsageLine("Usage: velvane " +
                                       settings::OptionSynopsis<CommandLine>(kOptions, kWindow) +
                                       " [SIDE1.wav [SIDE2.wav]]",
                                   15) +
           settings::OptionHelp<CommandLine>(kOptions, kWindow) +
           settings::WrapHelpLine("  SIDE1.wav, SIDE2.wav", "the sides' 44.1 kHz stereo WAV files");
}

std::optional<CommandLine> app::ParseCommandLine(const std::vector<std::string>& args,
                                                 std::string& error) {
    CommandLine line;
    const ParsedArguments parsed =
        settings::ParseOptions<CommandLine>(kOptions, kWindow, args, line);
    if (!parsed.error.empty()) {
        error = parsed.error;
        return std::nullopt;
    }
    line.help = parsed.help;
    if (parsed.positional.size() > 2) {
        error = "more than two side files: " + parsed.positional[2];
        return std::nullopt;
    }
    line.sides = parsed.positional;
    return line;
}
