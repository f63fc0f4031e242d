#pragma once
// What must not outlive the program when it ends abruptly (a second Ctrl+C, SIGHUP,
// SIGTERM in the window, a crash): the external programs it started, which run in process
// groups of their own and would go on writing after it, and the user's files it moved
// aside while one of them ran, which go back to their names. Normal runs undo both
// themselves; this is the last line when they cannot.
//
// Registration: any thread. EndNow and the handlers: async-signal-safe (fixed tables,
// atomics, kill and rename only).

#include <sys/types.h>
#include <string>

namespace platform {

/// The process group `group` (a started program's pid) runs until UnregisterProcessGroup.
void RegisterProcessGroup(pid_t group);
void UnregisterProcessGroup(pid_t group);

/// A user's file moved from `original` to `aside` while a program may write `original`.
/// Returns a handle for UnregisterAside; -1 when the table is full (then only the owner
/// can put it back).
int RegisterAside(const std::string& aside, const std::string& original);
void UnregisterAside(int handle);

/// Kills every registered process group (SIGKILL: nothing of theirs is worth keeping).
/// Async-signal-safe; also for a window that closes while programs run.
void StopRegisteredProcesses();

/// StopRegisteredProcesses, then every registered aside renamed back over its original
/// (replacing whatever a killed program left there). Async-signal-safe.
void EndNow();

/// For SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT and, when
/// `includingInterrupt`, SIGINT and SIGTERM (a program with no graceful stop of its own for
/// them): EndNow, then the signal's own default action. Call once, early in main.
void InstallEndingHandlers(bool includingInterrupt);

/// EndNow, then `signal`'s default action (for a handler of the caller's own, such as a
/// second Ctrl+C). Async-signal-safe; does not return.
[[noreturn]] void EndBySignal(int signal);

}  // namespace platform
