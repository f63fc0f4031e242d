#pragma once
// The window's transport: playing a side from the playhead with "Play", "Pause" and "Stop"
// (and the space bar), playing from the cut before or after it, the playhead's time, and
// the zoom buttons beside them. Playback goes through SidePlayer, treated as the slices are
// (treble boost and Normalize as chosen in the menus), so what one hears is what a slice
// will hold. GUI thread only; a timer follows playback and moves the playhead.

#include <wx/timer.h>

#include <functional>
#include <memory>
#include <optional>

#include "app/Playhead.h"
#include "waveview/SidePlayer.h"

struct FrameControls;
class FrameMenus;
class FrameSides;
class FramePlaybackSettings;
class StopHooks;
class wxCommandEvent;
class wxFrame;

class FrameTransport {
  public:
    /// Makes the transport's panel and buttons on `frame` (into `controls`), plays the sides
    /// whose paths `controls` name, and registers a stop hook that ends playback.
    FrameTransport(wxFrame& frame, FrameControls& controls, const FrameSides& sides,
                   const FrameMenus& menus, Playhead& playhead, StopHooks& stopHooks);
    ~FrameTransport();
    FrameTransport(const FrameTransport&) = delete;
    FrameTransport& operator=(const FrameTransport&) = delete;

    /// Plays from the playhead; without one, from the start of the first side located.
    /// Nothing when already playing. A side that cannot be played is said in the status line.
    void Play();
    /// Stops where it is: the playhead stays there, and Play goes on from it.
    void Pause();
    /// Stops, and the playhead goes back to where playing started.
    void Stop();
    /// The space bar: Pause while playing, else Play.
    void PlayPause();
    /// The playhead to the cut before it (more than a second before, so that a second press
    /// steps back again; the side's start when none), and play from there.
    void PlayFromPreviousCut();
    /// The playhead to the next cut after it, and play from there; nothing when none.
    void PlayFromNextCut();
    bool IsPlaying() const { return player_.IsPlaying(); }
    const SidePlayer& Player() const { return player_; }

    /// The zoom buttons' commands (the waveform view's); set by the window.
    std::function<void(double factor)> zoom;
    std::function<void()> zoomToFit;

  private:
    class FollowTimer : public wxTimer {
      public:
        explicit FollowTimer(FrameTransport& owner) : m_owner(owner) {}
        void Notify() override { m_owner.Follow(); }

      private:
        FrameTransport& m_owner;
    };

    void BuildControls();
    void OnButton(wxCommandEvent& event);
    /// Playback has moved on: the playhead follows; at the side's end playback stops.
    void Follow();
    void StartAt(const PlayheadPlace& place);
    void Halt();
    void ShowPlace();
    PlayheadPlace PlaceOrStart() const;

    wxFrame& frame_;
    FrameControls& controls_;
    const FrameSides& sides_;
    Playhead& playhead_;
    std::unique_ptr<FramePlaybackSettings> settings_;
    std::optional<PlayheadPlace> playedFrom_;  ///< where Stop returns the playhead
    FollowTimer timer_{*this};
    SidePlayer player_;  // last: stopped first
};
