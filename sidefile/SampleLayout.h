#pragma once
// Conversions between a side's stored samples (its own encoding, interleaved, as a WAV
// file's data holds them) and the two forms the processing works in: 16-bit stereo (the
// analysis, the waveform, listening) and double-precision stereo (treatments of sides
// finer than 16 bits). A mono side becomes stereo with both channels alike, and a stereo
// result goes back to mono as its left channel. Pure functions; any thread.

#include <cstddef>
#include <cstdint>

#include "sidefile/SideFormat.h"

namespace sidefile {

/// `frames` stored frames as 16-bit stereo: 24- and 32-bit samples keep their top 16 bits
/// (rounded down, so a 16-bit side stored in 24 bits gives its own samples back), float
/// samples times 32768 rounded down and held to the 16-bit range.
void ToStereo16(const std::uint8_t* stored, const SideFormat& format, std::size_t frames,
                std::int16_t* out);

/// `frames` stored frames as stereo doubles, full scale 1.0 (a sample / 2^(bits - 1);
/// float samples as they are).
void ToStereoDouble(const std::uint8_t* stored, const SideFormat& format, std::size_t frames,
                    double* out);

/// Stereo doubles back into `format`'s storage: integers rounded to the nearest and
/// saturated, floats as they are (a 32-bit float rounded once).
void FromStereoDouble(const double* in, std::size_t frames, const SideFormat& format,
                      std::uint8_t* stored);

/// 16-bit stereo into `format`'s storage when that is 16-bit (mono keeps the left channel).
void FromStereo16(const std::int16_t* in, std::size_t frames, const SideFormat& format,
                  std::uint8_t* stored);

}  // namespace sidefile
