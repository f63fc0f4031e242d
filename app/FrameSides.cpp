#include "app/FrameSides.h"

void FrameSides::Publish(Side side, const SideState& state, unsigned generation) {
    if (generation == generation_) sides_[Index(side)] = state;
}

void FrameSides::SetWavesDrawn(bool drawn, unsigned generation) {
    if (generation == 0 || generation == generation_) wavesDrawn_ = drawn;
}

void FrameSides::Changed() {
    ++generation_;
    wavesDrawn_ = false;  // the waveforms on display belong to the previous files
}
