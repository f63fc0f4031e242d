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
        : m_menus(menus), m_sides(sides) {}
    ProcessingSettings Processing() const override { return m_menus.Processing(); }
    float PeakLevel(Side side) const override { return m_sides.At(side).peakLevel; }

  private:
    const FrameMenus& m_menus;
    const FrameSides& m_sides;
};
