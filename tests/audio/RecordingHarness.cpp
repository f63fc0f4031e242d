#include "tests/audio/RecordingHarness.h"

#include "tests/support/TempDir.h"

std::vector<std::int16_t> CallbackBlock(const std::vector<Frame>& frames, std::size_t first) {
    std::vector<std::int16_t> block(2 * kCallbackFrames, 0);
    for (std::size_t i = 0; i < kCallbackFrames && first + i < frames.size(); ++i) {
        block[2 * i] = frames[first + i].left;
        block[2 * i + 1] = frames[first + i].right;
    }
    return block;
}

std::size_t Feed(RecordingState& state, const std::vector<Frame>& frames, std::size_t calls) {
    for (std::size_t call = 0; call < calls; ++call) {
        const auto block = CallbackBlock(frames, call * kCallbackFrames);
        if (audio::InputCallback(block.data(), state, false) == kCallbackStop) return call + 1;
    }
    return calls;
}

RecordedFile ReadRecordedFile(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    RecordedFile file;
    if (bytes.size() < 44) return file;
    const auto le32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(bytes[at + i]);
        return v;
    };
    const auto le16 = [&](std::size_t at) {
        return static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                         static_cast<std::uint8_t>(bytes[at + 1]) << 8);
    };
    file.riffSize = le32(4);
    file.dataSize = le32(40);
    for (std::size_t at = 44; at + 4 <= bytes.size(); at += 4)
        file.frames.push_back({le16(at), le16(at + 2)});
    return file;
}
