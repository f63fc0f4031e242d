#include "waveview/ListenWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/File.h"
#include "sidefile/SampleLayout.h"
#include "sidefile/SideReader.h"
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
                                ListenAudio& audio) {
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
    if (!side->Seek(startFrame)) return false;

    const std::uint32_t columnFrames = ListenFrames(format.sampleRate) / kListenColumns;
    std::uint64_t available = dataFrames - startFrame;
    std::vector<std::uint8_t> stored(std::size_t{columnFrames} * format.BytesPerFrame());
    std::vector<std::int16_t> frame(2 * std::size_t{columnFrames});
    std::uint32_t at = 0;
    for (int column = 0; column < kListenColumns && available > 0; ++column) {
        const auto wanted =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(columnFrames, available));
        const auto frames = static_cast<std::uint32_t>(side->Read(stored.data(), wanted));
        sidefile::ToStereo16(stored.data(), format, frames, frame.data());
        int lowest = 0, highest = 0;
        for (std::uint32_t i = 0; i < frames; ++i, ++at) {
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
        if (frames < columnFrames) break;  // end of the file or a read error
        available -= frames;
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
