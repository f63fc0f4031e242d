#pragma once
// What the window tells of a recording: the status texts, and the message that closes a
// recording, worded from the recorder's summary.

#include <string>

#include "audio/Recorder.h"

constexpr const char* kRecordingStatusText =
    "Recording - Click on the stop button to stop recording!";
constexpr const char* kFinishedRecordingText = "Finished recording!";
constexpr const char* kAudioRecordedCaption = "Audio Recorded";
constexpr const char* kAudioRecordedText = "The audio was recorded and saved to disk.";
constexpr const char* kInvalidInputCaption = "Invalid Input!";
constexpr const char* kInvalidInputText =
    "Couldn't open the input as a stereo input for recording\nat 44.1 kHz. You may change the "
    "input in the menu. \n\nPlease choose an input stream which can record in stereo\nat 44.1 "
    "kHz.\n\nMaybe you selected a mono input (e.g. a mic input) or the \ninput cannot record at "
    "44.1 kHz.";
constexpr const char* kRecordingStoppedCaption = "Recording Stopped";
constexpr const char* kNotSlicedCaption = "Not sliced";
constexpr const char* kCannotCreateCaption = "Couldn't create the file!";
/// Followed by the path and kCannotCreateAdvice.
constexpr const char* kCannotCreateText = "The file for the recording couldn't be created:\n";
constexpr const char* kCannotCreateAdvice =
    "\n\nPlease choose a folder where files can be written.";

/// The message shown when a recording ends (caption, text, exclamation icon or not).
struct RecordingMessage {
    std::string caption;
    std::string text;
    bool exclamation = false;
};

namespace app {

/// The message for `summary`: "Audio Recorded" with notes on lost samples, the size limit,
/// or a failed write with how much of the recording the file holds.
RecordingMessage RecordedMessage(const RecordingSummary& summary);

/// Whether the end of a recording needs that message: always, but for an ordinary end
/// (Stop, the length asked for, the automatic stop) without lost audio when automatic
/// slicing follows, which needs no message to be answered.
bool NeedsRecordedMessage(const RecordingSummary& summary, bool autoSlice);

}  // namespace app
