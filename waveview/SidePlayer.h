#pragma once
// Playing a side from any point, as the window's transport does: a reader thread moves the
// side's frames from its file into a ring, and the audio callback takes them from there and
// treats them as the slice writer treats a slice (treble boost as chosen, Normalize), so
// what one hears is what a slice will hold (fades aside: they belong to a slice's edges).
// With Repair on as playback starts, the reader thread reads the side through the click
// repairer (RepairedReader), never the callback.
// The samples are read through SideReader, as 16-bit stereo, and played at the side's own
// sample rate. No toolkit headers.
//
// Threads: the owner's thread (the GUI thread) calls every member. The reader thread only
// fills the ring, the audio callback only empties it; the ring's two counters (atomics)
// are all they share: no lock, no allocation and no file access in the callback.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "audio/AudioStream.h"
#include "model/Side.h"
#include "repair/RepairStrength.h"
#include "waveview/PlaybackCallback.h"

class SideReader;

class SidePlayer {
  public:
    /// `settings` must outlive the player.
    explicit SidePlayer(const PlaybackSettings& settings);
    ~SidePlayer();  ///< stops first
    SidePlayer(const SidePlayer&) = delete;
    SidePlayer& operator=(const SidePlayer&) = delete;

    /// Stops any playback, then plays the side at `path` (UTF-8) from `startSeconds` on (the
    /// frame nearest to it at the file's rate) through the default output, as `side` (whose
    /// peak, for Normalize, is taken now), with a clean treble filter. Returns once the first
    /// frames are ready to play. False when the file cannot be read or no output stream
    /// opens: nothing plays then.
    bool Play(const std::string& path, double startSeconds, Side side);
    /// Stops playback and returns once the callback has run for the last time and the
    /// reader has ended. Harmless when nothing plays.
    void Stop();

    bool IsPlaying() const { return stream_.IsOpen(); }
    /// The frame of the side the output has been given up to: the start frame plus the
    /// frames played. Meaningful while playing and after a stop.
    std::uint64_t Position() const;
    /// Position() in seconds of the side.
    double PositionSeconds() const;
    /// Frames per second of the side playing, or played last.
    std::uint32_t SampleRate() const { return sampleRate_; }
    /// Every frame from the start frame to the side's end has gone to the output.
    bool ReachedEnd() const;

  private:
    static constexpr std::uint64_t kRingFrames = std::uint64_t{1} << 17;  // about 3 s
    static constexpr std::uint64_t kReadFrames = 8192;

    /// Audio callback: 64 treated frames from the ring, silence once it is empty.
    static int Callback(std::int16_t* out, void* user);
    /// Reader thread: `frames` frames of the file from startFrame_ into the ring, through
    /// the click repairer unless `strength` is Off.
    void ReadAhead(SideReader& reader, std::uint64_t frames, repair::RepairStrength strength);
    /// Reader thread: waits until the ring has room for `frames`; false once told to quit.
    bool WaitForRoom(std::uint64_t frames);
    /// Reader thread: `count` 16-bit stereo frames into the ring as room frees; false once
    /// told to quit.
    bool Put(const std::int16_t* frames, std::size_t count);

    const PlaybackSettings& settings_;
    std::unique_ptr<std::int16_t[]> ring_;   ///< kRingFrames interleaved frames
    std::atomic<std::uint64_t> written_{0};  ///< frames put in the ring; reader thread writes
    std::atomic<std::uint64_t> taken_{0};    ///< frames taken out; audio callback writes
    std::atomic<bool> readerDone_{false};    ///< the reader has put in its last frame
    std::atomic<bool> quit_{false};          ///< set by the owner: the reader ends
    std::uint64_t startFrame_ = 0;
    std::uint32_t sampleRate_ = 0;
    float peakLevel_ = 0;  ///< read by the callback; set while no stream runs
    TrebleFilter treble_;  ///< the callback's while a stream runs
    std::thread reader_;
    AudioStream stream_;  // last: closed first
};
