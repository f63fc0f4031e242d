#pragma once
// Keeps PortAudio initialised for the owner's lifetime (it counts its initialisations, so
// sessions nest). The window holds one from construction to exit, each open stream one.
// Each session first keeps the sound libraries' probing chatter off standard error.
//
// PortAudio's front end keeps its initialisation count and its list of open streams
// without a lock, and the voice messages play from a thread of their own while the GUI
// thread opens and closes streams. So every PortAudio call outside the audio callbacks
// holds Lock(): sessions, AudioStream and the device list do. Any thread.

#include <mutex>

class PortAudioSession {
  public:
    PortAudioSession();
    ~PortAudioSession();
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;
    /// False when Pa_Initialize failed; nothing else of PortAudio may be used then.
    bool Ok() const { return ok_; }

    /// Held around every PortAudio call made outside an audio callback. Not recursive.
    static std::unique_lock<std::mutex> Lock();

  private:
    bool ok_ = false;
};
