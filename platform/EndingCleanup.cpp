#include "platform/EndingCleanup.h"

#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <atomic>

namespace platform {
namespace {

// As many programs as velvane-cli lets run at once, and then some.
constexpr int kSlots = 96;

std::atomic<pid_t> g_groups[kSlots];

// A slot is written only while Filling, read by EndNow only while Ready.
enum AsideState : int { kFree = 0, kFilling = 1, kReady = 2 };
struct AsideSlot {
    std::atomic<int> state{kFree};
    char aside[PATH_MAX];
    char original[PATH_MAX];
};
AsideSlot g_asides[kSlots];

static_assert(std::atomic<pid_t>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnEndingSignal(int signal) {
    EndBySignal(signal);
}

}  // namespace

void RegisterProcessGroup(pid_t group) {
    for (std::atomic<pid_t>& slot : g_groups) {
        pid_t none = 0;
        if (slot.compare_exchange_strong(none, group)) return;
    }
}

void UnregisterProcessGroup(pid_t group) {
    for (std::atomic<pid_t>& slot : g_groups) {
        pid_t expected = group;
        if (slot.compare_exchange_strong(expected, 0)) return;
    }
}

int RegisterAside(const std::string& aside, const std::string& original) {
    if (aside.size() >= PATH_MAX || original.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int free = kFree;
        if (!g_asides[i].state.compare_exchange_strong(free, kFilling)) continue;
        std::memcpy(g_asides[i].aside, aside.c_str(), aside.size() + 1);
        std::memcpy(g_asides[i].original, original.c_str(), original.size() + 1);
        g_asides[i].state.store(kReady);
        return i;
    }
    return -1;
}

void UnregisterAside(int handle) {
    if (handle >= 0 && handle < kSlots) g_asides[handle].state.store(kFree);
}

void StopRegisteredProcesses() {
    for (std::atomic<pid_t>& slot : g_groups)
        if (const pid_t group = slot.load(); group > 0) ::kill(-group, SIGKILL);
}

void EndNow() {
    StopRegisteredProcesses();
    for (AsideSlot& slot : g_asides) {
        int ready = kReady;
        // Taken once, so a second signal meanwhile cannot put a file back twice.
        if (slot.state.compare_exchange_strong(ready, kFree))
            std::rename(slot.aside, slot.original);
    }
}

void EndBySignal(int signal) {
    EndNow();
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);  // a signal whose default is to be ignored
}

void InstallEndingHandlers(bool includingInterrupt) {
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (const int signal : {SIGHUP, SIGQUIT}) sigaction(signal, &action, nullptr);
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Under a sanitizer a crash is the sanitizer's to report.
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(signal, &action, nullptr);
#endif
    if (includingInterrupt)
        for (const int signal : {SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
}

}  // namespace platform
