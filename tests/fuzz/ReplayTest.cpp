// Replays the inputs kept in tests/fuzz/regressions/<target>/ through a fuzz target, so
// every finding stays fixed in the normal test run.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "tests/support/TempDir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(REPLAY_SUITE, EveryKeptInputPasses) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(REGRESSION_DIR)) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().string());
        const std::string bytes = ReadFileBytes(entry.path().string());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
