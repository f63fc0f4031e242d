#pragma once
// Root may write any file, so tests of permission rules drop to "nobody" for a while.

#include <unistd.h>

class Unprivileged {
  public:
    Unprivileged() {
        if (geteuid() != 0) return;
        dropped_ = setegid(kNobody) == 0 && seteuid(kNobody) == 0;
    }
    ~Unprivileged() {
        if (dropped_ && seteuid(0) == 0) (void)setegid(0);
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

  private:
    static constexpr uid_t kNobody = 65534;
    bool dropped_ = false;
};
