#pragma once
// What a processor (the analysis, the slice writer, the encoder runs) needs from whoever
// runs it: the processing settings as they are now, a place to show its progress, and the
// two ways a stop reaches it. The jobs hand their job context over as this; tests and
// benchmarks give a small one of their own.
//
// Every member is called on the processor's own thread (the job's thread).

#include "settings/ProcessingSettings.h"

enum class Gauge { Slicing = 0, Encoding = 1 };  ///< the window's two gauges; 0..100

class WorkControl {
  public:
    virtual ~WorkControl() = default;

    /// The processing settings the user has chosen now; read at block boundaries, so a
    /// change made during the work takes hold at the next block.
    virtual ProcessingSettings Processing() = 0;
    /// Shows `value` (0..100) on `gauge`.
    virtual void SetGauge(Gauge gauge, int value) = 0;
    /// The thread was asked to end (the analysis and the encoder runs check it).
    virtual bool TestDestroy() = 0;
    /// The Stop button of a slicing job was pressed (the slice writer checks it).
    virtual bool StopRequested() = 0;
    /// Either of the two: slicing goes no further.
    bool SlicingStopped() { return StopRequested() || TestDestroy(); }
};
