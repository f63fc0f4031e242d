// Writes the fuzzers' starting corpora: WAV files of every layout the reader knows and
// settings files as the window writes them, plus a few damaged ones.

#include <cstdio>
#include <string>

#include "settings/SettingsFile.h"
#include "tests/support/TestWav.h"

namespace {

void Write(const std::string& path, const std::string& bytes) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: make-seeds WAV_DIR SETTINGS_DIR\n", stderr);
        return 2;
    }
    const std::string wavDir = argv[1], settingsDir = argv[2];
    const std::string samples = FramesToBytes(NoiseFrames(300, 0.5));

    int n = 0;
    const auto wav = [&](const WavLayout& layout, const std::string& data) {
        Write(wavDir + "/seed" + std::to_string(n++) + ".wav", MakeWavBytes(layout, data));
    };
    wav({}, samples);
    wav({}, "");
    WavLayout layout;
    layout.chunksBeforeData = {{"LIST", std::string("INFOISFT\x05\0\0\0abcde\0", 18)}};
    wav(layout, samples);
    layout = {};
    layout.chunksBeforeData = {{"junk", "odd"}, {"fact", std::string(4, '\0')}};
    wav(layout, samples);
    layout = {};
    layout.formatChunkBytes = 18;
    wav(layout, samples);
    layout.formatChunkBytes = 40;
    wav(layout, samples);
    layout.formatTag = 0xFFFE;
    wav(layout, samples);
    layout = {};
    layout.declaredDataBytes = 0xFFFFFFFFu;
    wav(layout, samples);
    layout.declaredDataBytes = 0;
    wav(layout, samples);
    layout.declaredDataBytes = 1u << 30;
    wav(layout, samples.substr(0, 101));
    layout = {};
    layout.sampleRate = 100;  // a tenth of a second is 10 frames: cuts fall inside the data
    wav(layout, samples);
    for (const WavLayout& odd :
         {WavLayout{.channels = 1}, WavLayout{.sampleRate = 48000}, WavLayout{.bitsPerSample = 24},
          WavLayout{.bitsPerSample = 8}, WavLayout{.formatTag = 3}})
        wav(odd, samples.substr(0, 64));
    Write(wavDir + "/short.wav", MakeWavBytes({}, samples).substr(0, 27));

    SettingsFields fields;
    Write(settingsDir + "/defaults.lpx", settings::FormatSettings(fields));
    fields.side1Path = "/home/a/side 1.wav";
    fields.side2Path = "/home/a/side 2.wav";
    fields.cutsHow = 1;
    fields.typedTimes[0] = "3.20.5";
    fields.typedTimes[2] = "7.02";
    fields.fadeId = 303;
    fields.eqId = 712;
    Write(settingsDir + "/typed.lpx", settings::FormatSettings(fields));
    std::string lines;
    for (char c : settings::FormatSettings(fields)) {
        lines += c;
        if (c == '>') lines += '\n';
    }
    Write(settingsDir + "/lines.lpx", lines);
    Write(settingsDir + "/long.lpx",
          std::string(1023, 'a') + "<>" + settings::FormatSettings(fields));
    Write(settingsDir + "/empty.lpx", "");
    return 0;
}
