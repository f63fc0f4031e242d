#include "cli/Interrupt.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
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
    return g_interrupted != 0;
}
