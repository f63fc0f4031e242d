#pragma once
// The sound libraries under PortAudio (ALSA, JACK) write to standard error while they probe
// cards and servers: that no JACK server runs, that card 0 does not exist. None of it
// concerns the user, who learns of a failure from the program itself. Every user of
// PortAudio calls this first; VELVANE_AUDIO_DEBUG in the environment keeps the messages.

namespace platform {

/// Silences them for the whole process. Any thread; does its work once.
void QuietenSoundLibraries();

}  // namespace platform
