#include "tests/support/VirtualAudio.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

bool UseVirtualAudio(const std::string& profile) {
    std::string variable = "VELVANE_VA_" + profile;
    std::transform(variable.begin(), variable.end(), variable.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const char* config = std::getenv(variable.c_str());
    if (!config || !*config) return false;
    setenv("ALSA_CONFIG_PATH", config, 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    return true;
}

void SetVirtualCapture(const std::string& path, bool fast, const std::string& second) {
    setenv("VELVANE_VA_CAPTURE", path.c_str(), 1);
    setenv("VELVANE_VA_CAPTURE_2", second.c_str(), 1);
    setenv("VELVANE_VA_REALTIME", fast ? "0" : "1", 1);
}
