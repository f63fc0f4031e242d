#pragma once
// The encoder runs of the slicing jobs: one external encoder run per WAV slice, the
// command line of each run, how a run is judged, the bit rate of the Rate menu, and the
// deletion of the slices that were encoded. Runs on the job's thread; no toolkit headers.

#include <optional>
#include <string>
#include <vector>

#include "album/TrackNames.h"
#include "model/EncoderKind.h"
#include "model/Side.h"
#include "platform/Process.h"

/// One encoder run: the argument vector (argv[0] = the encoder) and the files it reads and
/// writes.
struct EncoderCommand {
    std::vector<std::string> argv;
    std::string input;   ///< folder/N.wav
    std::string output;  ///< folder/A1.mp3, folder/7.ogg, ...
};

/// One side's slices to encode.
struct SideSlices {
    Side side = Side::One;
    std::string folder;      ///< where the slices lie; the encoded files go there too
    int firstNumber = 1;     ///< WAV number of the side's first slice (N1 + 1 on side 2)
    int count = 0;           ///< slices of this side; EncodingQueue: < 0 while not yet known
    bool bothSides = false;  ///< the other side is part of the job too (gauge range)
    /// Names and tags of the side's files; none: the names without titles, no tags.
    std::optional<SideTracks> tracks = std::nullopt;
};

/// What the encoder runs of one job came to, carried from side to side and reported once at
/// the end of the job.
struct EncodeTally {
    int failedSlices = 0;
    int failedNumber = 0;       ///< slice number of the run reported (the lowest that failed)
    std::string encoder;        ///< the encoder of the first failed run
    std::string failedCommand;  ///< that run, as one line
    std::string failureReason;  ///< "exit status 2", "no output file", "cannot start: ..."
    std::string failureOutput;  ///< the last of what it wrote
};

/// An output file of the same name left by an earlier run. It is moved aside while the
/// encoder runs, so that only a file this run writes counts (times cannot tell: flac gives
/// its output the input's time), and put back when the owner goes unless Discard was called.
/// The aside is "OUTPUT.velvane-earlier" (or "-2", "-3", ... when that name is taken: a
/// file already aside is never replaced), and is registered so that an abrupt end of the
/// program puts it back too (platform/EndingCleanup.h).
class EarlierOutput {
  public:
    explicit EarlierOutput(const std::string& output);
    ~EarlierOutput();
    EarlierOutput(EarlierOutput&& other) noexcept;
    EarlierOutput& operator=(EarlierOutput&&) = delete;
    EarlierOutput(const EarlierOutput&) = delete;
    EarlierOutput& operator=(const EarlierOutput&) = delete;

    /// It could not be moved: a run's file could not be told from it.
    bool InTheWay() const { return present_ && !movedAside_; }
    /// The run made a new file: the earlier one goes.
    void Discard();
    /// Where the earlier file waits ("" when there is none).
    const std::string& Aside() const { return aside_; }

  private:
    void Release();

    std::string output_;
    std::string aside_;
    bool present_ = false;
    bool movedAside_ = false;
    int registration_ = -1;  ///< EndingCleanup's handle
};

/// Caption of the message that reports failed runs (its text: encode::EncodeFailureText).
constexpr const char* kEncodeFailedCaption = "Encoding failed";

namespace encode {

/// Builds the run of one slice with the `chosen` encoder kind; `sliceNumber` the WAV file's
/// number; `index` the slice's 1-based index within its side; `bitRate` in bit/s (given to
/// MP3 encoders in bit/s, to oggenc and lame in kbit/s). Returns an empty argv when no kind
/// is chosen.
EncoderCommand BuildEncoderCommand(std::optional<EncoderKind> chosen, EncodeNaming naming,
                                   Side side, const std::string& encoderPath,
                                   const std::string& folder, int sliceNumber, int index,
                                   int bitRate);
/// The same with the side's track names (input and output named as `tracks` says).
EncoderCommand BuildEncoderCommand(std::optional<EncoderKind> chosen, EncodeNaming naming,
                                   const SideTracks& tracks, const std::string& encoderPath,
                                   const std::string& folder, int sliceNumber, int index,
                                   int bitRate);

/// The encoder program to run: `path` when not empty (made absolute; a bare name is looked
/// up on PATH). Empty `path` for Ogg Vorbis, LAME or FLAC: "oggenc", "lame" or "flac" in the
/// install folder, else found on PATH. Returns "" when nothing is found. Any thread.
std::string ResolveEncoderPath(std::optional<EncoderKind> chosen, const std::string& path);

/// The kind named by the path (folders included, case ignored), testing "l3enc", "blade",
/// "oggenc", "fastenc", "lame", "flac" in that order; nullopt when none matches (the user
/// then picks the kind by hand).
std::optional<EncoderKind> RecognizeEncoderKind(const std::string& path);

/// Whether the chosen encoder can be run at all (the slicing jobs' precondition): a path is
/// given, or the fall-back of an empty path finds the program.
bool EncoderAvailable(std::optional<EncoderKind> chosen, const std::string& path);

/// The Debian package that brings the kind's usual program ("vorbis-tools", "lame",
/// "flac"); nullptr for the kinds the user must always locate.
const char* EncoderPackage(EncoderKind kind);

/// "Converting side N slices to MP3/Ogg files...".
std::string ConvertingStatus(Side side);

/// Why a run did not produce a usable file at `output`: "cannot start: ...", "ended by
/// signal 9", "exit status 2", "no output file", "empty output file"; "" when it did.
std::string RunFailure(const platform::ProcessResult& run, const std::string& output);

/// Counts a failed run of slice `number` in `tally`; the lowest number's failure is the one
/// reported, whatever order the runs ended in.
void NoteFailure(EncodeTally& tally, int number, const std::string& encoder,
                 const std::vector<std::string>& argv, const std::string& reason,
                 const std::string& output);

/// Removes the slice file of each number (folder/N.wav, or as `tracks` names it, the side's
/// first slice being `firstNumber`); failures are ignored. Returns how many went.
int DeleteSlices(const std::string& folder, const std::vector<int>& numbers,
                 const SideTracks& tracks = SideTracks(), int firstNumber = 1);

/// The text of the message that reports failed runs (its caption: kEncodeFailedCaption).
std::string EncodeFailureText(const EncodeTally& tally);

}  // namespace encode
