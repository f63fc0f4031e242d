#pragma once
// The encoder kinds the program can drive, as the window's encoder choice lists them.

#include <optional>
#include <string>

enum class EncoderKind : int {
    L3Enc = 0,      // "L3Enc (MP3)"
    BladeEnc = 1,   // "BladeEnc (MP3)"
    OggVorbis = 2,  // "Ogg Vorbis (Ogg)"
    FastEnc = 3,    // "FastEnc (MP3)"
    Lame = 4,       // "LAME (MP3)"
    Flac = 5,       // "FLAC (lossless)"
};
constexpr int kEncoderKindCount = 6;

/// The choice's label of each kind, in selection order.
extern const char* const kEncoderKindLabels[kEncoderKindCount];

namespace model {

/// The kind of a choice's selection (a settings file's field 27, an option); nullopt for
/// -1 (none chosen) and any number that names no kind.
constexpr std::optional<EncoderKind> EncoderKindOf(int selection) {
    if (selection < 0 || selection >= kEncoderKindCount) return std::nullopt;
    return static_cast<EncoderKind>(selection);
}

/// The kind writes MP3 files (L3Enc, BladeEnc, FastEnc, LAME).
bool MakesMp3(EncoderKind kind);

/// Extension of the files the kind writes, dot included: ".mp3", ".ogg" or ".flac".
const char* EncodedExtension(EncoderKind kind);

}  // namespace model
