#include "audio/MeterScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kFullScale = 32768.0;

// One decimal, never "-0.0".
std::string Format(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, std::round(value * 10) / 10 + 0.0);
    return text;
}

}  // namespace

float audio::PeakDbfs(std::int32_t peak) {
    if (peak <= 0) return kMeterFloorDb;
    const auto db = static_cast<float>(20.0 * std::log10(peak / kFullScale));
    return std::max(db, kMeterFloorDb);
}

float audio::MeterFraction(float db) {
    return std::clamp((db - kMeterFloorDb) / -kMeterFloorDb, 0.0f, 1.0f);
}

std::int32_t audio::GainedPeak(std::int32_t peak, float gain) {
    const float gained = static_cast<float>(peak) * gain;
    return gained >= kClipPeak ? kClipPeak : std::max(0, static_cast<std::int32_t>(gained));
}

void MeterChannel::Update(std::int32_t peak, double seconds) {
    level_ = std::clamp(peak, 0, kClipPeak);
    if (level_ >= hold_ || seconds - holdSince_ > kPeakHoldSeconds) {
        hold_ = level_;
        holdSince_ = seconds;
    }
    if (level_ >= kClipPeak) clipped_ = true;
}

std::string audio::HeadroomText(std::int32_t holdPeak) {
    if (holdPeak >= kClipPeak) return "Headroom: CLIP";
    const float db = PeakDbfs(holdPeak);
    if (db <= kMeterFloorDb) return "Headroom: over 60 dB";
    return Format("Headroom: %.1f dB", -db);
}

std::string audio::DbfsText(std::int32_t peak) {
    const float db = PeakDbfs(peak);
    if (db <= kMeterFloorDb) return "-60 dBFS or less";
    return Format("%.1f dBFS", db);
}

std::string audio::ElapsedText(std::uint64_t frames, std::uint32_t rate) {
    const std::uint64_t seconds = rate > 0 ? frames / rate : 0;
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%llu:%02llu",
                      static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    return text;
}

std::string audio::SizeText(std::uint64_t bytes) {
    return Format("%.1f MB", static_cast<double>(bytes) / 1e6);
}

std::string audio::TimeLeftText(std::uint64_t freeBytes, std::uint32_t bytesPerSecond) {
    const std::uint64_t minutes = bytesPerSecond > 0 ? freeBytes / bytesPerSecond / 60 : 0;
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

std::string audio::RecordingProgressLine(std::uint64_t frames, std::uint32_t rate,
                                         std::int32_t left, std::int32_t right, bool clipped) {
    std::string line =
        ElapsedText(frames, rate) + "  L " + DbfsText(left) + "  R " + DbfsText(right);
    if (clipped) line += "  CLIP";
    return line;
}
