#include "audio/InputDevices.h"

#include <portaudio.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "audio/PortAudioSession.h"

namespace {

constexpr std::array<std::string_view, 3> kSoundServerDevices = {"default", "pulse", "pipewire"};

bool IsSoundServerDevice(const std::string& name) {
    return std::find(kSoundServerDevices.begin(), kSoundServerDevices.end(), name) !=
           kSoundServerDevices.end();
}

bool FormatSupported(int device, const SideFormat& format) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (!info) return false;
    PaStreamParameters input{};
    input.device = device;
    input.channelCount = 2;
    input.sampleFormat = format.encoding == SampleEncoding::Int24 ? paInt24 : paInt16;
    input.suggestedLatency = info->defaultLowInputLatency;
    return Pa_IsFormatSupported(&input, nullptr, format.sampleRate) == paFormatIsSupported;
}

bool AcceptsStereoInput(int device) {
    return FormatSupported(device, kCdFormat);
}

}  // namespace

bool audio::InputTakesFormat(int device, const SideFormat& format) {
    const auto lock = PortAudioSession::Lock();
    return device >= 0 && device < Pa_GetDeviceCount() && FormatSupported(device, format);
}

std::vector<StereoInput> audio::ChooseStereoInputs(const std::vector<DeviceInfo>& devices,
                                                   const std::function<bool(int)>& acceptsStereo) {
    std::vector<StereoInput> inputs;
    const auto add = [&](int i) {
        if (inputs.size() < kMaxStereoInputs) inputs.push_back({i, devices[i].name});
    };
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].maxInputChannels == 2) add(static_cast<int>(i));
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].maxInputChannels > 2 && IsSoundServerDevice(devices[i].name) &&
            acceptsStereo(static_cast<int>(i)))
            add(static_cast<int>(i));
    return inputs;
}

std::vector<StereoInput> audio::ListStereoInputs() {
    const auto lock = PortAudioSession::Lock();
    const int count = Pa_GetDeviceCount();
    std::vector<DeviceInfo> devices;
    for (int i = 0; i < count; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        devices.push_back(info ? DeviceInfo{info->name ? info->name : "", info->maxInputChannels}
                               : DeviceInfo{});
    }
    return ChooseStereoInputs(devices, AcceptsStereoInput);
}

std::string audio::InputMenuLabel(const std::string& deviceName) {
    return deviceName + " (stereo in)";
}

std::string audio::InputMenuHelp(std::size_t index) {
    return " Audio Device " + std::to_string(index + 1);
}
