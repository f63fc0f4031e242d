#include "settings/OptionTable.h"

namespace {

constexpr std::size_t kHelpIndent = 24;
constexpr std::size_t kWidth = 80;

// Words of `text` after `line` (already `indent` wide at least), wrapped to kWidth.
std::string Wrap(std::string line, const std::string& text, std::size_t indent) {
    std::string out;
    bool lineHasWords = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t next = text.find(' ', at);
        if (next == std::string::npos) next = text.size();
        const std::string word = text.substr(at, next - at);
        if (lineHasWords && line.size() + 1 + word.size() > kWidth) {
            out += line + "\n";
            line = std::string(indent, ' ');
        } else if (lineHasWords) {
            line += ' ';
        }
        line += word;
        lineHasWords = true;
        at = next + 1;
    }
    return out + line + "\n";
}

}  // namespace

std::string settings::WrapHelpLine(std::string left, const std::string& text) {
    std::string out;
    if (left.size() + 2 > kHelpIndent) {
        out += left + "\n";
        left.clear();
    }
    left.resize(kHelpIndent, ' ');
    return out + Wrap(left, text, kHelpIndent);
}

std::string settings::WrapUsageLine(const std::string& line, std::size_t indent) {
    return Wrap("", line, indent);
}
