#pragma once
// A WorkControl for tests: the menus' settings as plain id fields, every gauge update
// recorded in order, stops triggered from a hook. FakeControlOf<Base, Self> adds the same to
// any interface that extends WorkControl (the job context's fake builds on it). Header-only.

#include <functional>
#include <utility>
#include <vector>

#include "settings/MenuSettings.h"
#include "settings/WorkControl.h"
#include "slice/TrebleFilter.h"

template <class Base, class Self>
class FakeControlOf : public Base {
  public:
    FakeControlOf() { slice::TuneTreble(treble, 0); }

    /// Checks an EQ item and re-tunes the filter, as the EQ menu command does.
    void SetEq(int id) {
        eqId = id;
        slice::TuneTreble(treble, menu::BoostLevelForEqId(id));
    }

    // --- Settings (set by the test): menu ids, as the window's menus hold them ---
    int fadeId = menu::kFadeDefault;
    int volumeId = menu::kVolumeKeep;
    int eqId = menu::kEqDefault;
    int rateId = menu::kRateDefault;
    bool cdAudio = false;  ///< "Write slices as CD audio"
    int repairLevel = 0;   ///< Repair: 0 off .. 3 strong
    /// The filter a test hands to the processors, as a front end hands its own.
    TrebleFilter treble;

    // --- What the work did, in order ---
    std::vector<std::pair<Gauge, int>> gauges;

    // --- Stops ---
    bool destroy = false;        ///< what TestDestroy answers
    bool stopRequested = false;  ///< what StopRequested answers
    /// Called on every gauge update: a test sets a stop from here at a chosen point.
    std::function<void(Self&, Gauge, int)> onGauge;
    /// Called each time the settings are read (once per block): a test changes a setting
    /// from here, as a user changes a menu during the work.
    std::function<void(Self&)> onProcessing;

    ProcessingSettings Processing() override {
        if (onProcessing) onProcessing(static_cast<Self&>(*this));
        ProcessingSettings settings = settings::ProcessingFromIds(rateId, fadeId, volumeId, eqId);
        settings.cdAudio = cdAudio;
        settings.repairLevel = repairLevel;
        return settings;
    }
    void SetGauge(Gauge gauge, int value) override {
        gauges.emplace_back(gauge, value);
        if (onGauge) onGauge(static_cast<Self&>(*this), gauge, value);
    }
    bool TestDestroy() override { return destroy; }
    bool StopRequested() override { return stopRequested; }
};

class FakeWorkControl final : public FakeControlOf<WorkControl, FakeWorkControl> {};
