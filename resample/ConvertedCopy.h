#pragma once
// A WAV copy of a side or slice in another rate or sample encoding, for a program that
// cannot take the original (an encoder): resampled by libsoxr at its very high quality
// when the rate differs, rounded to 24 bits or dithered (TPDF) to 16. Any thread.

#include <cstdint>
#include <string>

#include "sidefile/SideFormat.h"

namespace resample {

/// Writes the file at `in` to `out` at `sampleRate` in `encoding` (channels as they are).
/// Returns "" or why it failed (`out` is then removed).
std::string WriteConvertedCopy(const std::string& in, const std::string& out,
                               std::uint32_t sampleRate, SampleEncoding encoding);

}  // namespace resample
