#pragma once
// The virtual sound card of tests/support/virtual-audio (set up by setup.sh, which
// scripts/test.sh sources). Each test case runs in its own process, so a case chooses its
// profile and capture files by setting the environment before PortAudio starts.

#include <string>

/// Points ALSA at `profile` ("basic", "mixed", "many", "none"). False when setup.sh has
/// not run in this environment (the caller skips).
bool UseVirtualAudio(const std::string& profile);

/// What the inputs deliver from now on: a WAV or raw file ("" = silence). `second`: the
/// file of "Virtual Line In 2" (mixed profile). `fast`: as fast as the program reads.
void SetVirtualCapture(const std::string& path, bool fast, const std::string& second = "");
