#include <cstdio>

#include "audio/WaveFile.h"
#include "cli/Commands.h"

std::string RefusalReason(const std::string& path) {
    if (WaveFile::IsStereoWave(path, kSampleRate)) return "";
    return path + ": not a 44.1 kHz stereo wave file (" + WaveFile::Describe(path) + ")";
}

std::string FormatFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}
