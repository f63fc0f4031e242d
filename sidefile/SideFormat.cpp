#include "sidefile/SideFormat.h"

#include <cstdio>

std::uint32_t SideFormat::BytesPerSample() const {
    switch (encoding) {
        case SampleEncoding::Int16:
            return 2;
        case SampleEncoding::Int24:
            return 3;
        case SampleEncoding::Int32:
        case SampleEncoding::Float32:
            return 4;
        case SampleEncoding::Float64:
            return 8;
    }
    return 2;
}

std::string SideFormat::Text() const {
    char rate[16];
    if (sampleRate % 1000 == 0)
        std::snprintf(rate, sizeof rate, "%u", sampleRate / 1000);
    else
        std::snprintf(rate, sizeof rate, "%.2f", sampleRate / 1000.0);
    std::string text = rate;
    while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.'))
        text.pop_back();
    text += " kHz " + std::to_string(BitsPerSample()) + "-bit";
    if (IsFloat()) text += " float";
    return text + (channels == 1 ? " mono" : " stereo");
}
