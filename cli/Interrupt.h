#pragma once
// Ctrl+C for velvane-cli: the first SIGINT asks the running job to stop (so every file
// written so far is closed valid); a second one ends the program at once.

/// Installs the SIGINT handler. Call once from main before a job starts.
void InstallInterruptHandler();

/// True once SIGINT has arrived. Safe from any thread.
bool Interrupted();
