#pragma once
// What each encoder is given: the slice itself when it takes the slice's format, else a
// converted copy beside it, made just before the run and removed after it. flac keeps every
// integer format and rate (its bits and rate come from the file) and gets 24-bit integers
// for float samples; oggenc takes 32-bit float and every rate up to 48 kHz (its bit-rate
// modes, which the Rate menu chooses, go no higher), and gets 32-bit float for 64-bit;
// lame gets its own rates (up to 48 kHz) as they are. Rates above what they take are
// resampled by libsoxr (to 48 kHz from its multiples, else 44.1 kHz) rather than by the
// encoder. Any thread.

#include <optional>
#include <string>

#include "model/EncoderKind.h"
#include "sidefile/SideFormat.h"

namespace encode {

/// The rate and encoding of the copy `kind` needs of a slice in `slice`; nullopt when it
/// takes the slice as it is.
std::optional<SideFormat> EncoderCopyFormat(EncoderKind kind, const SideFormat& slice);

/// Where a slice's copy for the encoder goes: beside it, "N.wav.encoder.wav".
std::string EncoderCopyPath(const std::string& slicePath);

}  // namespace encode
