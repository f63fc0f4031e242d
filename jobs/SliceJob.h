#pragma once
// The three jobs of the worker, by the value the window and the command line start them with.

enum class SliceJob { DrawWaveforms = 0, SliceByMarkers = 1, SliceAutoOrTyped = 2 };
