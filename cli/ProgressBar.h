#pragma once
// The progress bar velvane-cli draws on standard error, only when that is a terminal.

#include <string>

class ProgressBar {
  public:
    /// `enabled` false (--quiet, or standard error is not a terminal) draws nothing.
    explicit ProgressBar(bool enabled);
    ~ProgressBar();

    /// Redraws the line when the percentage (0..100) or the status text changed.
    void Update(int percent, const std::string& status);
    /// Clears the line so that a following message starts at column 0.
    void Clear();

    /// True when standard error is a terminal.
    static bool StderrIsTerminal();

  private:
    bool enabled_;
    bool drawn_ = false;
    int percent_ = -1;
    std::string status_;
};
