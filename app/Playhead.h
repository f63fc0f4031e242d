#pragma once
// Where playback starts and, while it plays, where it is: a side and a time. Set by a click
// in a ruler (or Shift+click in the waveform), the cut list, the transport's cut buttons
// and playback itself; read by the transport to play and by the waveform view to draw it.
// GUI thread only.

#include <functional>
#include <optional>
#include <vector>

#include "model/Side.h"

struct PlayheadPlace {
    Side side = Side::One;
    double seconds = 0;  ///< from the side's start
};

class Playhead {
  public:
    /// Who moved it: the user (a click, a key, the cut list) or playback running on.
    enum class Cause { User, Playback };
    using Listener = std::function<void(Cause)>;

    const std::optional<PlayheadPlace>& Place() const { return place_; }
    /// Moves it (a negative time becomes the side's start) and tells the listeners.
    void Set(PlayheadPlace place, Cause cause) {
        if (place.seconds < 0) place.seconds = 0;
        place_ = place;
        for (const Listener& listener : listeners_) listener(cause);
    }
    void OnMoved(Listener listener) { listeners_.push_back(std::move(listener)); }

  private:
    std::optional<PlayheadPlace> place_;
    std::vector<Listener> listeners_;
};
