#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

namespace {
// Set by the signal handler, read by the job's thread: lock-free, so safe in both places.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    g_interrupted.store(true, std::memory_order_relaxed);
}
}  // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // the second Ctrl+C takes the default way out
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);  // a service manager's stop ends a recording cleanly
}

bool Interrupted() {
    return g_interrupted.load(std::memory_order_relaxed);
}
