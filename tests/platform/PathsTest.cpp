#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/TempDir.h"

namespace {

TEST(SplitDirectory, KeepsTheFolderPart) {
    struct Case {
        const char* path;
        const char* folder;
    } cases[] = {
        {"/home/ann/Rec/side1.wav", "/home/ann/Rec"},
        {"/home/ann/My Records/Side 1.wav", "/home/ann/My Records"},
        {"relative/x.wav", "relative"},
        {"x.wav", "x.wav"},  // no separator: the path stays whole
        {"/x.wav", "/"},     // in the root: slices join back to "/1.wav"
        {"", ""},
        {"/a/b/", "/a/b"},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::SplitDirectory(c.path), c.folder) << c.path;
    EXPECT_EQ(platform::JoinPath(platform::SplitDirectory("/x.wav"), "1.wav"), "/1.wav");
    EXPECT_EQ(platform::JoinPath("/a b/c", "7.wav"), "/a b/c/7.wav");
}

TEST(FileSize, ReportsRegularFilesOnly) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "f", std::string(12345, 'x')));
    EXPECT_EQ(platform::FileSize(dir / "f"), 12345u);
    EXPECT_EQ(platform::FileSize(dir / "missing"), std::nullopt);
    EXPECT_EQ(platform::FileSize(dir.path()), std::nullopt);
}

TEST(MakeAbsolute, ResolvesAgainstTheWorkingDirectory) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(platform::MakeAbsolute("a/../b.wav"), cwd + "/b.wav");
    EXPECT_EQ(platform::MakeAbsolute("/x/./y.wav"), "/x/y.wav");
    EXPECT_EQ(platform::MakeAbsolute(""), "");
}

TEST(InstallFolder, PrefersVelvaneHome) {
    TempDir dir;
    ASSERT_EQ(setenv("VELVANE_HOME", (dir.path() + "/").c_str(), 1), 0);
    EXPECT_EQ(platform::InstallFolder(), dir.path());
    ASSERT_EQ(unsetenv("VELVANE_HOME"), 0);
    // Without it, the build tree's resources folder beside the test programs (or nothing).
    const std::string found = platform::InstallFolder();
    if (!found.empty()) {
        EXPECT_TRUE(std::filesystem::is_directory(found));
    }
}

}  // namespace
