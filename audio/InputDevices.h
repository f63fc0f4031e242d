#pragma once
// The stereo input devices the Input menu offers, and the texts of its items.
//
// The list holds, in enumeration order, the devices with exactly 2 input channels; then
// the sound server's devices ("default", "pulse", "pipewire"), which report many channels
// but record stereo well, when they accept a 2-channel 16-bit 44.1 kHz input stream.
// Every other device with more channels (a 4-channel interface) stays out.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "sidefile/SideFormat.h"

constexpr std::size_t kMaxStereoInputs = 256;
constexpr std::size_t kMaxInputMenuItems = 8;

/// What the enumeration tells of one device.
struct DeviceInfo {
    std::string name;
    int maxInputChannels = 0;
};

/// One entry of the stereo input list.
struct StereoInput {
    int device = 0;  ///< PortAudio device index
    std::string name;
    bool operator==(const StereoInput&) const = default;
};

namespace audio {

/// The list rule over an enumeration (`devices[i]` is device i). `acceptsStereo(i)` is
/// asked only for the sound server's devices. At most kMaxStereoInputs entries.
std::vector<StereoInput> ChooseStereoInputs(const std::vector<DeviceInfo>& devices,
                                            const std::function<bool(int)>& acceptsStereo);

/// The list from PortAudio, which the caller keeps initialised (PortAudioSession) for as
/// long as it uses the device indices. Empty when PortAudio lists no device.
std::vector<StereoInput> ListStereoInputs();

/// Whether PortAudio says `device` can record 2 channels in `format` (16-bit, or 24-bit
/// packed, at its rate). The caller keeps PortAudio initialised (PortAudioSession).
bool InputTakesFormat(int device, const SideFormat& format);

/// "NAME (stereo in)": the Input menu item's text.
std::string InputMenuLabel(const std::string& deviceName);
/// " Audio Device N" for entry `index` 0..7 (N = index + 1): the item's help text.
std::string InputMenuHelp(std::size_t index);

}  // namespace audio
