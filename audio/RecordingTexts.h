#pragma once
// The texts the recording shows, shared by the window and velvane-cli.

constexpr const char* kRecordingStatusText =
    "Recording - Click on the stop button to stop recording!";
/// As long as the recording text: the "off" half of the blink.
constexpr const char* kRecordingBlankText =
    "                                                       ";
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
