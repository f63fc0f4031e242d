#pragma once
// Keeps PortAudio initialised for the owner's lifetime (it counts its initialisations, so
// sessions nest). The window holds one from construction to exit, each open stream one.
// Thread: the owner's (GUI or main thread).

class PortAudioSession {
  public:
    PortAudioSession();
    ~PortAudioSession();
    PortAudioSession(const PortAudioSession&) = delete;
    PortAudioSession& operator=(const PortAudioSession&) = delete;
    /// False when Pa_Initialize failed; nothing else of PortAudio may be used then.
    bool Ok() const { return ok_; }

  private:
    bool ok_ = false;
};
