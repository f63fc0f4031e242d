#include "cli/ProgressBar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {
int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}
}  // namespace

ProgressBar::ProgressBar(bool enabled) : enabled_(enabled) {}

ProgressBar::~ProgressBar() {
    Clear();
}

bool ProgressBar::StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void ProgressBar::Update(int percent, const std::string& status) {
    if (!enabled_) return;
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_ && status == status_) return;
    percent_ = percent;
    status_ = status;
    constexpr int kBarWidth = 30;
    const int filled = percent * kBarWidth / 100;
    std::string line = "\r[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') +
                       "] " + std::to_string(percent) + "% ";
    line.resize(std::max<std::size_t>(line.size(), 1 + kBarWidth + 2 + 5), ' ');
    line += status;
    const std::size_t columns = static_cast<std::size_t>(TerminalColumns());
    if (line.size() > columns) line.resize(columns);  // the '\r' takes no column
    std::fputs(line.c_str(), stderr);
    std::fputs("\x1b[K", stderr);  // erase what a longer previous line left
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::Clear() {
    if (!drawn_) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
    percent_ = -1;
    status_.clear();
}
