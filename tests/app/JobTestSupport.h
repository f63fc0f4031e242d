#pragma once
// Running the window's jobs in tests: generated side files (kept between runs in the build
// tree, linked into each test's folder), waiting for a job to end, and the checks every
// job test makes on the buttons and the slice files.

#include <string>

#include "bench/SideGenerator.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/support/TempDir.h"

class wxButton;

class JobWindowTest : public FrameTest {
  protected:
    /// A quiet window: no voice messages and no encoding unless a test turns them on.
    void SetUp() override;

    /// Five songs in 2.5 minutes: auto sense finds four cuts.
    static sidegen::SideRecipe SmallSide(std::uint32_t seed);
    /// Ten minutes: long enough to press Stop while a job works on it.
    static sidegen::SideRecipe LongSide();

    /// The side of `recipe` as `folder`/`name` in this test's folder (made when missing).
    std::string PlaceSide(const std::string& name, const sidegen::SideRecipe& recipe);
    /// Makes `path` side 1's or 2's file, as "Locate..." does.
    void Locate(Side side, const std::string& path);

    void Press(wxButton* button) { Click(button); }
    /// Pumps events until no job runs (and its end has restored the window).
    bool WaitForJobEnd();
    /// Pumps until the running job has moved the slicing gauge past `value`.
    bool WaitForProgress(int value);
    wxString Status() const;

    /// Buttons enabled under their own labels, gauges at 0, no worker.
    void ExpectWindowRestored();

    TempDir dir;
};

/// Numbered WAV slices found in `folder` from `first` on without a gap.
int CountSlices(const std::string& folder, int first = 1);
/// The file is a canonical WAV whose header states exactly the samples it holds.
::testing::AssertionResult IsCompleteWave(const std::string& path);
