#include "engine/EncoderKind.h"

#include <utility>

#include "engine/Utf8Text.h"

const char* const kEncoderKindLabels[kEncoderKindCount] = {"L3Enc (MP3)",      "BladeEnc (MP3)",
                                                           "Ogg Vorbis (Ogg)", "FastEnc (MP3)",
                                                           "LAME (MP3)",       "FLAC (lossless)"};

std::optional<EncoderKind> RecognizeEncoderKind(const std::string& path) {
    static const std::pair<const char*, EncoderKind> kWords[] = {
        {"l3enc", EncoderKind::L3Enc},      {"blade", EncoderKind::BladeEnc},
        {"oggenc", EncoderKind::OggVorbis}, {"fastenc", EncoderKind::FastEnc},
        {"lame", EncoderKind::Lame},        {"flac", EncoderKind::Flac}};
    const std::string lower = LowerCase(path);
    for (const auto& [word, kind] : kWords)
        if (lower.find(word) != std::string::npos) return kind;
    return std::nullopt;
}

bool MakesMp3(EncoderKind kind) {
    return kind == EncoderKind::L3Enc || kind == EncoderKind::BladeEnc ||
           kind == EncoderKind::FastEnc || kind == EncoderKind::Lame;
}

const char* EncodedExtension(EncoderKind kind) {
    return MakesMp3(kind) ? ".mp3" : kind == EncoderKind::Flac ? ".flac" : ".ogg";
}
