#pragma once
// The level meters in dB below full scale (dBFS): a channel's latest peak, the loudest peak
// of the last two seconds (the peak hold, which also gives the headroom) and a clip lamp
// that stays lit until it is reset; the scale's marks; and the texts the window and
// velvane-cli show of a recording (headroom, level line, elapsed time, size, time left).
// Pure; called on the owner's thread (the window's GUI thread, velvane-cli's main thread)
// with peaks the audio callback published.

#include <array>
#include <cstdint>
#include <string>

constexpr float kMeterFloorDb = -60.0f;    ///< the meter's left end; quieter reads as this
constexpr double kPeakHoldSeconds = 2.0;   ///< how long the hold shows a peak
constexpr std::int32_t kClipPeak = 32767;  ///< a gained peak this high has saturated
/// The scale's marks, dBFS, loudest first.
constexpr std::array<int, 9> kMeterMarks = {0, -3, -6, -12, -18, -24, -36, -48, -60};

namespace audio {

/// A peak |sample| (0 .. 32768) in dBFS: 20 log10(peak / 32768), held to kMeterFloorDb.
float PeakDbfs(std::int32_t peak);
/// Where `db` lies along a meter: 0 at kMeterFloorDb, 1 at full scale, held to 0 .. 1.
float MeterFraction(float db);
/// `peak` (|sample| as received) times `gain`, as the recording would hold it: truncated and
/// held to kClipPeak.
std::int32_t GainedPeak(std::int32_t peak, float gain);

}  // namespace audio

/// One channel of a meter.
class MeterChannel {
  public:
    /// A reading taken at `seconds` (any steady clock): the channel's peak |sample| since
    /// the last one, after the gain, 0 .. kClipPeak.
    void Update(std::int32_t peak, double seconds);
    float LevelDb() const { return audio::PeakDbfs(level_); }  ///< the latest peak
    float HoldDb() const { return audio::PeakDbfs(hold_); }    ///< the loudest in kPeakHoldSeconds
    std::int32_t Level() const { return level_; }
    std::int32_t Hold() const { return hold_; }
    /// A peak reached kClipPeak since the lamp was last reset.
    bool Clipped() const { return clipped_; }
    void ResetClip() { clipped_ = false; }

  private:
    std::int32_t level_ = 0;
    std::int32_t hold_ = 0;
    double holdSince_ = 0;
    bool clipped_ = false;
};

namespace audio {

/// "Headroom: 6.0 dB": how far the louder held peak (`holdPeak`, 0 .. kClipPeak) lies below
/// full scale; "Headroom: CLIP" when it saturated; "Headroom: over 60 dB" below the floor.
std::string HeadroomText(std::int32_t holdPeak);
/// "-12.3 dBFS", or "-60 dBFS or less" (silence included).
std::string DbfsText(std::int32_t peak);
/// "12:34" of `frames` at `rate` frames a second, "1:02:03" past an hour.
std::string ElapsedText(std::uint64_t frames, std::uint32_t rate);
/// "212.4 MB" (decimal megabytes, as file managers show them).
std::string SizeText(std::uint64_t bytes);
/// "5 h 10 min" of recording that `freeBytes` hold at `bytesPerSecond`.
std::string TimeLeftText(std::uint64_t freeBytes, std::uint32_t bytesPerSecond);
/// velvane-cli record's progress line: "12:34  L -12.3 dBFS  R -60 dBFS or less", with
/// "  CLIP" after it once `clipped`.
std::string RecordingProgressLine(std::uint64_t frames, std::uint32_t rate, std::int32_t left,
                                  std::int32_t right, bool clipped);

}  // namespace audio
