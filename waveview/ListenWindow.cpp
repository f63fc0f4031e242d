#include "waveview/ListenWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/File.h"
#include "sidefile/WaveReader.h"
#include "waveview/CutEditing.h"

namespace {

constexpr int kLastColumn = kListenColumns - 1;
constexpr std::int16_t kMaxPeak = 32767;

// Columns the marker can reach; the canvas delivers only these, but a stray position must
// never reach past the window's arrays.
std::uint32_t MarkerFrame(int markerX) {
    const auto column = static_cast<std::uint32_t>(std::clamp(markerX, 0, kLastColumn));
    return column * kListenFrames / kListenColumns;
}

}  // namespace

int ListenCutIndex(const SideState& side, float r) {
    const float T = static_cast<float>(side.levelCount / 10.0);
    if (!(T > 0)) return FindNearestCut(side, 0);
    float x = r * T;
    if (x < kListenMarginSeconds) x = kListenMarginSeconds;
    if (x > T - kListenMarginSeconds) x = T - kListenMarginSeconds;
    return FindNearestCut(side, x / T);
}

std::uint32_t ListenStartFrame(std::int32_t cut) {
    if (cut <= 0) return 0;
    const std::uint64_t cutFrame = std::uint64_t{static_cast<std::uint32_t>(cut)} * 44100 / 10;
    return cutFrame > kListenHalfFrames ? static_cast<std::uint32_t>(cutFrame - kListenHalfFrames)
                                        : 0;
}

bool LoadListenWindow(const std::string& path, std::uint32_t startFrame, ListenAudio& audio) {
    audio.left.assign(kListenFrames, 0);
    audio.right.assign(kListenFrames, 0);
    audio.columnPeaks.fill(0);

    platform::FilePtr file = platform::OpenFile(path, "rb");
    if (!file) return false;
    WaveFile wave;
    if (!wave.ReadHeader(file.get())) return false;
    const std::uint64_t dataFrames = wave.dataBytes / kBytesPerFrame;
    if (startFrame >= dataFrames) return true;  // nothing of the side lies in the window
    WaveReader reader(file.get(), wave);
    if (!reader.SeekData(std::uint64_t{startFrame} * kBytesPerFrame)) return false;

    std::uint64_t available = dataFrames - startFrame;
    std::int16_t bytes[2 * kColumnFrames];
    std::uint32_t at = 0;
    for (int column = 0; column < kListenColumns && available > 0; ++column) {
        const auto wanted =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(kColumnFrames, available));
        const std::size_t got = reader.ReadBytes(bytes, wanted * kBytesPerFrame);
        const auto frames = static_cast<std::uint32_t>(got / kBytesPerFrame);
        int lowest = 0, highest = 0;
        for (std::uint32_t i = 0; i < frames; ++i, ++at) {
            // The file's bytes are little-endian, as is every machine the program runs on.
            const std::int16_t l = bytes[2 * i];
            const std::int16_t r = bytes[2 * i + 1];
            audio.left[at] = l;
            audio.right[at] = r;
            const int mid = (int{l} + int{r}) / 2;
            lowest = std::min(lowest, mid);
            highest = std::max(highest, mid);
        }
        const int peak = highest > -lowest ? highest : -lowest;
        audio.columnPeaks[column] = static_cast<std::int16_t>(std::min<int>(peak, kMaxPeak));
        if (frames < kColumnFrames) break;  // end of the file or a read error
        available -= frames;
    }
    return true;
}

ListenStretch EndOfSongStretch(int markerX) {
    return {0, MarkerFrame(markerX)};
}

ListenStretch BeginningOfSongStretch(int markerX) {
    const std::uint32_t first = MarkerFrame(markerX);
    return {first, kListenFrames - first};
}

int CutShiftForMarker(int markerX) {
    const int column = std::clamp(markerX, 0, kLastColumn);
    if (column <= kListenCentreColumn) {
        const auto part = static_cast<float>((kListenCentreColumn - column) / 310.0);
        return static_cast<int>(std::trunc(static_cast<float>(part * -50.0)));
    }
    const auto part = static_cast<float>((column - kListenCentreColumn) / 310.0);
    return static_cast<int>(std::trunc(static_cast<float>(part * 50.0)));
}

bool ShiftCutIfStill(SideState& side, int index, std::int32_t opened, int shift) {
    if (index < 0 || static_cast<std::uint32_t>(index) >= std::min(side.cutCount, kMaxCuts) ||
        side.cuts[index] != opened)
        return false;
    ShiftCut(side, index, shift);
    return true;
}
