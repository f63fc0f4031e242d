#pragma once
// Ctrl+C for velvane-cli: the first SIGINT (or SIGTERM) asks the running job or recording
// to stop (so every file written so far is closed valid); a second one ends the program
// at once.

/// Installs the SIGINT handler. Call once from main before a job starts.
void InstallInterruptHandler();

/// True once SIGINT or SIGTERM has arrived. Safe from any thread.
bool Interrupted();
