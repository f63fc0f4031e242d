#include "model/EncoderKind.h"

const char* const kEncoderKindLabels[kEncoderKindCount] = {"L3Enc (MP3)",      "BladeEnc (MP3)",
                                                           "Ogg Vorbis (Ogg)", "FastEnc (MP3)",
                                                           "LAME (MP3)",       "FLAC (lossless)"};

bool model::MakesMp3(EncoderKind kind) {
    return kind == EncoderKind::L3Enc || kind == EncoderKind::BladeEnc ||
           kind == EncoderKind::FastEnc || kind == EncoderKind::Lame;
}

const char* model::EncodedExtension(EncoderKind kind) {
    return MakesMp3(kind) ? ".mp3" : kind == EncoderKind::Flac ? ".flac" : ".ogg";
}
