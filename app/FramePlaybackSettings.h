#pragma once
// What playback (the listen dialog's and the transport's) reads of the window: the menus'
// settings, atomics the audio callback may read, and the sides' peaks, read on the GUI
// thread when playback starts.

#include "app/FrameMenus.h"
#include "app/FrameSides.h"
#include "waveview/PlaybackCallback.h"

class FramePlaybackSettings : public PlaybackSettings {
  public:
    FramePlaybackSettings(const FrameMenus& menus, const FrameSides& sides)
        : menus_(menus), sides_(sides) {}
    ProcessingSettings Processing() const override { return menus_.Processing(); }
    float PeakLevel(Side side) const override { return sides_.At(side).peakLevel; }

  private:
    const FrameMenus& menus_;
    const FrameSides& sides_;
};
