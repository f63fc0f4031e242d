#pragma once
// The slice writer: cuts one side's WAV file into numbered WAV files, one per song, and
// treats every frame on the way (treble filter, Normalize, fade in and out).
// Runs on the job's thread; reaches settings, progress and stops through WorkControl.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "album/TrackNames.h"
#include "model/SideState.h"
#include "sidefile/WaveHeader.h"
#include "slice/FilterAhead.h"

class WorkControl;
struct TrebleFilter;

/// Why a side got the slices it got.
enum class SliceOutcome {
    Written,             ///< every slice was written
    NoCuts,              ///< the entries that count are all 0: no slice at all
    Unreadable,          ///< the side's file cannot be opened, or its header is refused
    NoAudio,             ///< the file holds no sample frames
    ReadFailed,          ///< the file could not be read to its end; the slices so far stand
    Stopped,             ///< a stop was requested; the slice being written is closed valid
    CannotWrite,         ///< a slice file could not be created or written (see message)
    WouldOverwriteSide,  ///< a slice name is one of the side recordings: nothing written
};

struct SliceRequest {
    std::string sidePath;                ///< the side's WAV file
    std::span<const std::int32_t> cuts;  ///< tenths of a second
    /// Entries of `cuts` that count, from the first: ten, or every one for Smart Sense.
    std::size_t cutsConsidered = kTypedTimesPerSide;
    std::string folder;   ///< slices go to folder/N.wav; "" is refused
    int firstNumber = 1;  ///< number of the first slice file
    /// Names the slice files (N.wav, or "NN - Title.wav" when the album has titles).
    SideTracks tracks;
    int progressStart = 0;  ///< Slicing gauge range, 0..100
    int progressEnd = 100;
    float peakLevel = 0;            ///< the side's peak; Normalize divides by it (0: no change)
    bool normalizeAllowed = false;  ///< the waves have been drawn, so peakLevel is known
    /// Files no slice may replace (the job's side recordings); sidePath is always included.
    std::vector<std::string> protectedPaths;
    /// Called with a slice's number as soon as its file is complete and closed (on the
    /// calling thread, before the next slice is begun); may be empty.
    std::function<void(int number)> sliceWritten;
    /// How the treble filter's work is shared with a second thread (see FilterAhead.h).
    FilterAheadSplit filterAhead;
    /// RIFF sizes above this make a slice RF64 (tests lower it).
    std::uint64_t riffLimit = kRiffSizeLimit;
    /// The side's frames the slices hold: [firstFrame, endFrame), cuts outside it ignored;
    /// endFrame 0 (or past the side) is the side's end. A lead-in and a run-out left out
    /// this way go into no file.
    std::uint64_t firstFrame = 0;
    std::uint64_t endFrame = 0;
    /// With no cut that counts: one slice of the whole range instead of none (a side known
    /// to hold one song).
    bool oneSliceWithoutCuts = false;
};

struct SliceResult {
    /// Complete slice files written (numbered firstNumber on); 0 after a stop, so that the
    /// job encodes nothing of a side it was told to stop.
    unsigned written = 0;
    SliceOutcome outcome = SliceOutcome::Written;
    /// For CannotWrite, WouldOverwriteSide and ReadFailed: a sentence naming the file.
    std::string message;
    /// Frames whose filtering the second thread did (for tests and benchmarks).
    std::uint64_t framesFilteredAhead = 0;
    /// With Repair on: the clicks repaired in each slice written, in order (a click counts
    /// for the slice it starts in). Empty with Repair off, and after a stop or a failure.
    std::vector<unsigned> repairedClicks{};
};

namespace slice {

/// Slice boundaries of a cut list: entries 0 to considered - 1 (tenths of a second; ten for
/// typed times, Auto Sense and its markers, every entry for Smart Sense) without zeros and
/// negative values, as frame positions sampleRate * cut / 10, sorted, without duplicates
/// and without positions at or beyond `frames`. Slices are [0, P1), [P1, P2), ... [Plast,
/// frames).
std::vector<std::uint64_t> SliceBoundaries(std::span<const std::int32_t> cuts,
                                           std::uint32_t sampleRate, std::uint64_t frames,
                                           std::size_t considered = kTypedTimesPerSide);

/// Writes the slices of one side, in the side's own format (rate, channels, sample
/// encoding; a slice over 4 GB as RF64), or as CD audio when Processing().cdAudio is set
/// as the side begins (each slice resampled to 44.1 kHz by libsoxr at its very high
/// quality and dithered to 16-bit stereo; a 44.1 kHz 16-bit stereo side is unchanged). With
/// Processing().repairLevel above 0 as the side begins, the side's frames are read repaired
/// (RepairedReader) and Normalize divides by the peak of the repaired frames the slices
/// hold (RepairedPeak, measured in a pass of its own when Normalize first applies). Per frame:
/// read, treble filter (EQ level above 0), Normalize (checked, allowed and a peak above 0), fade,
/// write; the EQ level, the filter and Normalize are taken once per block (0.1 s: rate / 10
/// frames), the fade length once. A 16-bit side is treated in 16 bits as always; a finer
/// one in double precision, rounded to its encoding at the end; untreated, every sample is
/// copied as it is. On a long 16-bit side with the EQ on from its start, a second thread
/// filters ahead (FilterAhead); the bytes are the same. The Slicing gauge moves once per
/// block; StopRequested and TestDestroy are checked there too, and a stop closes the slice
/// being written with its header patched to the frames it holds. Every file left behind is
/// a valid WAV whose header matches its samples. Call on the job's thread.
SliceResult WriteSlices(WorkControl& control, TrebleFilter& treble, const SliceRequest& request);

}  // namespace slice
