#pragma once
// What a job of the window works with: the parts of the window it reads and updates, and
// what it shares with the part that runs it (FrameJobs).

#include <atomic>

#include "album/Album.h"
#include "slice/TrebleFilter.h"

struct FrameControls;
class FrameMenus;
class FrameSides;
class Prompter;
class SmartSenseChoice;
class wxFrame;

/// The parts of the window a job reads and updates. GUI thread; the job reaches them
/// through its context only.
struct JobWindow {
    wxFrame& frame;  ///< the status line; the parent of messages
    const FrameControls& controls;
    const FrameMenus& menus;
    Prompter& prompts;
    FrameSides& sides;
    const SmartSenseChoice& smartSense;
    const AlbumInfo& album;
};

/// What a running job shares with the part that runs it (FrameJobs).
struct JobShared {
    /// The treble boost filter, whose history carries from slice to slice and side to side.
    /// While a job runs it is the worker's (the job makes it follow the EQ level at each
    /// block); else the GUI thread's.
    TrebleFilter treble;
    std::atomic<bool> slicing{false};        ///< a slicing job runs; set by the worker
    std::atomic<bool> stopRequested{false};  ///< Stop pressed on a slicing job; GUI thread sets
};
