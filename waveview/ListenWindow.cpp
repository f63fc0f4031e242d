#include "waveview/ListenWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/File.h"
#include "sidefile/SampleLayout.h"
#include "sidefile/SideReader.h"
#include "slice/RepairedReader.h"
#include "waveview/CutEditing.h"

namespace {

constexpr int kLastColumn = kListenColumns - 1;
constexpr std::int16_t kMaxPeak = 32767;

// Columns the marker can reach; the canvas delivers only these, but a stray position must
// never reach past the window's arrays.
std::uint32_t MarkerFrame(int markerX, std::uint32_t sampleRate) {
    const auto column = static_cast<std::uint64_t>(std::clamp(markerX, 0, kLastColumn));
    return static_cast<std::uint32_t>(column * waveview::ListenFrames(sampleRate) / kListenColumns);
}

}  // namespace

int waveview::ListenCutIndex(const SideState& side, float r) {
    const float T = static_cast<float>(side.levelCount / 10.0);
    if (!(T > 0)) return FindNearestCut(side, 0);
    float x = r * T;
    if (x < kListenMarginSeconds) x = kListenMarginSeconds;
    if (x > T - kListenMarginSeconds) x = T - kListenMarginSeconds;
    return FindNearestCut(side, x / T);
}

std::uint32_t waveview::ListenRate(const std::string& path) {
    const std::unique_ptr<SideReader> side = SideReader::Open(path);
    return side ? side->Format().sampleRate : kCdFormat.sampleRate;
}

std::uint32_t waveview::ListenStartFrame(std::int32_t cut, std::uint32_t sampleRate) {
    if (cut <= 0) return 0;
    const std::uint64_t cutFrame = std::uint64_t{static_cast<std::uint32_t>(cut)} * sampleRate / 10;
    const std::uint64_t half = ListenFrames(sampleRate) / 2;
    return cutFrame > half ? static_cast<std::uint32_t>(cutFrame - half) : 0;
}

bool waveview::LoadListenWindow(const std::string& path, std::uint32_t startFrame,
                                ListenAudio& audio, repair::RepairStrength strength) {
    const auto silence = [&audio](std::uint32_t rate) {
        audio.sampleRate = rate;
        audio.left.assign(ListenFrames(rate), 0);
        audio.right.assign(ListenFrames(rate), 0);
        audio.columnPeaks.fill(0);
    };
    silence(kCdFormat.sampleRate);
    const std::unique_ptr<SideReader> side = SideReader::Open(path);
    if (!side) return false;
    const SideFormat& format = side->Format();
    silence(format.sampleRate);
    const std::uint64_t dataFrames = side->Frames();
    if (startFrame >= dataFrames) return true;  // nothing of the side lies in the window
    const std::uint64_t windowFrames =
        std::min<std::uint64_t>(ListenFrames(format.sampleRate), dataFrames - startFrame);
    std::vector<std::int16_t> frames;
    if (strength != repair::RepairStrength::Off) {
        RepairedReader reader(*side, strength, startFrame, windowFrames, ChunkForm::Stereo16);
        for (std::span<std::uint8_t> chunk = reader.NextStored(); !chunk.empty();
             chunk = reader.NextStored()) {
            const auto* samples = reinterpret_cast<const std::int16_t*>(chunk.data());
            frames.insert(frames.end(), samples, samples + chunk.size() / 2);
        }
    } else {
        if (!side->Seek(startFrame)) return false;
        std::vector<std::uint8_t> stored(windowFrames * format.BytesPerFrame());
        const std::size_t got = side->Read(stored.data(), windowFrames);
        frames.resize(2 * got);
        if (got > 0) sidefile::ToStereo16(stored.data(), format, got, frames.data());
    }

    // Frames not read (a short file, a read error) stay silent, their columns empty.
    const std::uint32_t columnFrames = ListenFrames(format.sampleRate) / kListenColumns;
    const std::size_t got = frames.size() / 2;
    std::uint32_t at = 0;
    for (int column = 0; column < kListenColumns && at < got; ++column) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(columnFrames, got - at));
        const std::int16_t* frame = &frames[2 * std::size_t{at}];
        int lowest = 0, highest = 0;
        for (std::uint32_t i = 0; i < n; ++i, ++at) {
            const std::int16_t l = frame[2 * i];
            const std::int16_t r = frame[2 * i + 1];
            audio.left[at] = l;
            audio.right[at] = r;
            const int mid = (int{l} + int{r}) / 2;
            lowest = std::min(lowest, mid);
            highest = std::max(highest, mid);
        }
        const int peak = highest > -lowest ? highest : -lowest;
        audio.columnPeaks[column] = static_cast<std::int16_t>(std::min<int>(peak, kMaxPeak));
    }
    return true;
}

ListenStretch waveview::EndOfSongStretch(int markerX, std::uint32_t sampleRate) {
    return {0, MarkerFrame(markerX, sampleRate)};
}

ListenStretch waveview::BeginningOfSongStretch(int markerX, std::uint32_t sampleRate) {
    const std::uint32_t first = MarkerFrame(markerX, sampleRate);
    return {first, ListenFrames(sampleRate) - first};
}

int waveview::CutShiftForMarker(int markerX) {
    const int column = std::clamp(markerX, 0, kLastColumn);
    if (column <= kListenCentreColumn) {
        const auto part = static_cast<float>((kListenCentreColumn - column) / 310.0);
        return static_cast<int>(std::trunc(static_cast<float>(part * -50.0)));
    }
    const auto part = static_cast<float>((column - kListenCentreColumn) / 310.0);
    return static_cast<int>(std::trunc(static_cast<float>(part * 50.0)));
}

bool waveview::ShiftCutIfStill(SideState& side, int index, std::int32_t opened, int shift) {
    if (index < 0 || static_cast<std::uint32_t>(index) >= std::min(side.cutCount, kMaxCuts) ||
        side.cuts[index] != opened)
        return false;
    ShiftCut(side, index, shift);
    return true;
}
