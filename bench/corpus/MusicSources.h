#pragma once
// The music the corpus is built from: tracks decoded to raw 44.1 kHz 16-bit stereo files
// (make-corpus.sh decodes the Debian packages' tracks). Each track is mapped, not read, and
// split into usable stretches: stretches with no near-silence inside, so that the only
// gaps of a side are the ones the corpus puts there and writes down.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sidefile/WaveFile.h"

namespace corpus {

constexpr std::uint32_t kRate = kSampleRate;

/// Frames [begin, end) of one track that hold music throughout.
struct Stretch {
    std::size_t track = 0;
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    double Seconds() const { return static_cast<double>(end - begin) / kRate; }
};

class MusicSources {
  public:
    /// Maps every *.raw file of `folder` (sorted by name). Stretches shorter than
    /// `minSeconds` are left out. Empty when the folder holds no track.
    MusicSources(const std::string& folder, double minSeconds);
    ~MusicSources();
    MusicSources(const MusicSources&) = delete;
    MusicSources& operator=(const MusicSources&) = delete;

    const std::vector<Stretch>& Stretches() const { return stretches_; }
    const std::string& TrackName(std::size_t track) const;
    /// Interleaved samples of frame `frame` of `track` (left, right).
    const std::int16_t* Frame(std::size_t track, std::uint64_t frame) const;
    /// Mean square of both channels over [begin, end), full scale 1.
    double MeanSquare(std::size_t track, std::uint64_t begin, std::uint64_t end) const;

  private:
    struct Track;
    std::vector<std::unique_ptr<Track>> tracks_;
    std::vector<Stretch> stretches_;
};

}  // namespace corpus
