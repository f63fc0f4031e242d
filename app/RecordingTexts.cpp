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
        notes += "\n\nThe disk was too slow: " +
                 audio::SecondsText(summary.framesLost, summary.sampleRate) +
                 " of audio could not be saved.";
    return notes;
}

}  // namespace

RecordingMessage app::RecordedMessage(const RecordingSummary& summary) {
    RecordingMessage message{kAudioRecordedCaption, "", false};
    switch (summary.cause) {
        case StopCause::SizeLimit:
            message.text =
                "The recording reached the largest size a wave file can hold (2 GB, about "
                "3 h 22 min) and was stopped.\n";
            message.text += kAudioRecordedText;
            break;
        case StopCause::WriteError:
            message.caption = kRecordingStoppedCaption;
            message.exclamation = true;
            message.text =
                "The recording could not be written to disk (is it full?) and was stopped.\n"
                "The file holds the first ";
            message.text += audio::SecondsText(summary.framesWritten, summary.sampleRate);
            message.text += " of the recording.";
            break;
        case StopCause::Button:
        case StopCause::Length:
        case StopCause::Quiet:
            message.text = kAudioRecordedText;
            break;
    }
    message.text += Notes(summary);
    return message;
}

bool app::NeedsRecordedMessage(const RecordingSummary& summary, bool autoSlice) {
    const bool lost = summary.inputOverflows > 0 || summary.framesLost > 0;
    const bool ordinary = summary.cause == StopCause::Button ||
                          summary.cause == StopCause::Length || summary.cause == StopCause::Quiet;
    return !autoSlice || !ordinary || lost;
}
