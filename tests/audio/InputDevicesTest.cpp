// Which devices the Input menu offers, and the texts of its items.

#include "audio/InputDevices.h"

#include <gtest/gtest.h>

namespace {

struct ListCase {
    const char* name;
    std::vector<DeviceInfo> devices;
    std::vector<int> acceptingStereo;  // devices whose 2-channel open would work
    std::vector<int> expected;         // device indices listed
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.name;
}

class StereoInputs : public ::testing::TestWithParam<ListCase> {};

TEST_P(StereoInputs, Listed) {
    const ListCase& c = GetParam();
    std::vector<int> asked;
    const auto inputs = audio::ChooseStereoInputs(c.devices, [&](int i) {
        asked.push_back(i);
        return std::find(c.acceptingStereo.begin(), c.acceptingStereo.end(), i) !=
               c.acceptingStereo.end();
    });
    std::vector<int> listed;
    for (const StereoInput& input : inputs) {
        listed.push_back(input.device);
        EXPECT_EQ(input.name, c.devices[input.device].name);
    }
    EXPECT_EQ(listed, c.expected);
    for (int i : asked) EXPECT_GT(c.devices[i].maxInputChannels, 2);  // only servers asked
}

std::vector<DeviceInfo> TenStereo() {
    std::vector<DeviceInfo> d;
    for (int i = 0; i < 10; ++i) d.push_back({"Line " + std::to_string(i), 2});
    return d;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, StereoInputs,
    ::testing::Values(
        ListCase{"MonoStereoOutputStereo",
                 {{"mic", 1}, {"line", 2}, {"speakers", 0}, {"line 2", 2}},
                 {},
                 {1, 3}},
        ListCase{"FourChannelInterfaceLeftOut", {{"quad", 4}, {"line", 2}}, {0}, {1}},
        ListCase{"SoundServerAfterTheStereoDevices",
                 {{"pulse", 32}, {"hw", 2}, {"pipewire", 64}, {"default", 32}, {"line", 2}},
                 {0, 2, 3},
                 {1, 4, 0, 2, 3}},
        ListCase{"SoundServerThatRefusesStereo", {{"default", 32}, {"line", 2}}, {}, {1}},
        ListCase{"SoundServerWithTwoChannelsListedOnce", {{"default", 2}}, {0}, {0}},
        ListCase{"NoDevices", {}, {}, {}},
        ListCase{"TenStereoAllListed", TenStereo(), {}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StereoInputs, AtMost256) {
    std::vector<DeviceInfo> devices(300, DeviceInfo{"x", 2});
    devices.push_back({"default", 32});
    const auto inputs = audio::ChooseStereoInputs(devices, [](int) { return true; });
    ASSERT_EQ(inputs.size(), kMaxStereoInputs);
    EXPECT_EQ(inputs.back().device, 255);
}

TEST(InputMenu, Texts) {
    EXPECT_EQ(audio::InputMenuLabel("Virtual Line In"), "Virtual Line In (stereo in)");
    EXPECT_EQ(audio::InputMenuHelp(0), " Audio Device 1");
    EXPECT_EQ(audio::InputMenuHelp(7), " Audio Device 8");
}

}  // namespace
