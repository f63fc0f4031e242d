#pragma once
// A file size limit for this process while the object lives: writes past it fail (root's
// too) as on a full disk, and SIGXFSZ is ignored so that they fail instead of killing us.

#include <sys/resource.h>

#include <csignal>

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        if (getrlimit(RLIMIT_FSIZE, &old_) != 0) return;
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        set_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        if (set_) setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    /// The limit holds.
    bool Set() const { return set_; }

  private:
    void (*oldHandler_)(int);
    rlimit old_{};
    bool set_ = false;
};
