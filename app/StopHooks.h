#pragma once
// Work to stop before the window goes away (a job, a recording, a playback), registered by
// the parts that start it and run by the window's close handler. GUI thread only.

#include <functional>
#include <vector>

class StopHooks {
  public:
    void Add(std::function<void()> stop) { hooks_.push_back(std::move(stop)); }
    /// Runs the hooks in registration order; each runs once, however often this is called.
    void RunOnce() {
        std::vector<std::function<void()>> hooks;
        hooks.swap(hooks_);
        for (const auto& stop : hooks) stop();
    }

  private:
    std::vector<std::function<void()>> hooks_;
};
