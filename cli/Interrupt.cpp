#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

#include "platform/EndingCleanup.h"

namespace {
// Set by the signal handler, read by the job's thread: lock-free, so safe in both places.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int signal) {
    // The second one ends the program at once, without leaving encoders running or the
    // user's earlier files aside.
    if (g_interrupted.exchange(true, std::memory_order_relaxed)) platform::EndBySignal(signal);
}
}  // namespace

void cli::InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);  // a service manager's stop ends a recording cleanly
    platform::InstallEndingHandlers(false);
}

bool cli::Interrupted() {
    return g_interrupted.load(std::memory_order_relaxed);
}
