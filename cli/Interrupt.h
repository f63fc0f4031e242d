#pragma once
// Ctrl+C for velvane-cli: the first SIGINT (or SIGTERM) asks the running job or recording
// to stop (so every file written so far is closed valid); a second one ends the program
// at once, stopping the encoders it started and putting the user's files they would have
// replaced back (platform/EndingCleanup.h), as SIGHUP and a crash do.

namespace cli {

/// Installs the handlers. Call once from main before a job starts.
void InstallInterruptHandler();

/// True once SIGINT or SIGTERM has arrived. Safe from any thread.
bool Interrupted();

}  // namespace cli
