#pragma once
// A command line described by one table: each row names an option, the value it takes,
// the commands that accept it, its help line and how it changes the options. The parser,
// the help lines and the usage lines are all made from the table, so they cannot drift
// apart. Used by velvane-cli and by the window's own command line. Any thread.

#include <span>
#include <string>
#include <vector>

/// One option of a table over `Options`.
template <class Options>
struct OptionRow {
    const char* name;       ///< "--settings"
    const char* valueName;  ///< "FILE.lpx"; nullptr for a flag
    unsigned commands;      ///< bit set of the commands that accept it
    const char* help;       ///< one sentence, wrapped by OptionHelp
    /// Applies the value ("" for a flag); returns "" or a usage error.
    std::string (*apply)(Options&, const std::string& value);
};

/// What ParseOptions found besides the options it applied.
struct ParsedArguments {
    std::vector<std::string> positional;  ///< the arguments that are no option, in order
    bool help = false;                    ///< --help or -h was given
    std::string error;                    ///< a usage error, one line; "" when none
};

namespace settings {

/// Parses `args` for `command` (one bit of the rows' sets): "--opt VALUE" and "--opt=VALUE"
/// both work, "--" ends the options, "-" alone is an argument. Stops at the first error
/// (an unknown option is named followed by `where`, e.g. " for slice") and at --help or -h.
template <class Options>
ParsedArguments ParseOptions(std::span<const OptionRow<Options>> rows, unsigned command,
                             const std::vector<std::string>& args, Options& options,
                             const std::string& where = "") {
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            return parsed;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionRow<Options>* row = nullptr;
        for (const OptionRow<Options>& r : rows)
            if (name == r.name && (r.commands & command)) row = &r;
        if (!row) {
            parsed.error = "unknown option " + name + where;
            return parsed;
        }
        std::string value;
        if (row->valueName) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                parsed.error = name + " needs a value (" + row->valueName + ")";
                return parsed;
            }
        } else if (equals != std::string::npos) {
            parsed.error = name + " takes no value";
            return parsed;
        }
        parsed.error = row->apply(options, value);
        if (!parsed.error.empty()) return parsed;
    }
    return parsed;
}

/// `text` wrapped to 80 columns: the first line starts with `left` (padded to column 24,
/// or on a line of its own when longer), the rest indented to column 24.
std::string WrapHelpLine(std::string left, const std::string& text);

/// "  --name VALUE          help text..." for every row `command` accepts (0: every row),
/// each followed by `tag(row)` in its left column when the caller gives one.
template <class Options>
std::string OptionHelp(std::span<const OptionRow<Options>> rows, unsigned command,
                       std::string (*tag)(unsigned commands) = nullptr) {
    std::string text;
    for (const OptionRow<Options>& row : rows) {
        if (command != 0 && !(row.commands & command)) continue;
        std::string left = std::string("  ") + row.name;
        if (row.valueName) left += std::string(" ") + row.valueName;
        if (tag) left += tag(row.commands);
        text += WrapHelpLine(left, row.help);
    }
    return text;
}

/// "[--name VALUE] [--flag] ..." of the rows `command` accepts, in table order.
template <class Options>
std::string OptionSynopsis(std::span<const OptionRow<Options>> rows, unsigned command) {
    std::string text;
    for (const OptionRow<Options>& row : rows) {
        if (!(row.commands & command)) continue;
        if (!text.empty()) text += ' ';
        text += std::string("[") + row.name;
        if (row.valueName) text += std::string(" ") + row.valueName;
        text += ']';
    }
    return text;
}

/// `line` wrapped to 80 columns, continuation lines indented by `indent` spaces.
std::string WrapUsageLine(const std::string& line, std::size_t indent);

}  // namespace settings
