#include "app/RecordingTexts.h"

namespace {

// What went missing on the way to the disk.
std::string Notes(const RecordingSummary& summary) {
    std::string notes;
    if (summary.inputOverflows > 0)
        notes += "\n\nThe input overflowed " + std::to_string(summary.inputOverflows) +
                 " times: the sound card delivered samples faster than they were taken, and "
                 "some were lost.";
    if (summary.framesLost > 0)
        notes += "\n\nThe disk was too slow: " + SecondsText(summary.framesLost) +
                 " of audio could not be saved.";
    return notes;
}

}  // namespace

RecordingMessage RecordedMessage(const RecordingSummary& summary) {
    switch (summary.cause) {
        case StopCause::SizeLimit:
            return {kAudioRecordedCaption,
                    std::string("The recording reached the largest size a wave file can hold "
                                "(2 GB, about 3 h 22 min) and was stopped.\n") +
                        kAudioRecordedText + Notes(summary),
                    false};
        case StopCause::WriteError:
            return {kRecordingStoppedCaption,
                    "The recording could not be written to disk (is it full?) and was "
                    "stopped.\nThe file holds the first " +
                        SecondsText(summary.framesWritten) + " of the recording." + Notes(summary),
                    true};
        case StopCause::Button:
        case StopCause::Length:
        case StopCause::Quiet:
            break;
    }
    return {kAudioRecordedCaption, kAudioRecordedText + Notes(summary), false};
}
