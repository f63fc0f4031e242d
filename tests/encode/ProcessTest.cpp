// Running a program without a shell: arguments, working folder, output capture, exit.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/Process.h"
#include "tests/encode/TestEnv.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

platform::ProcessResult Shell(const std::string& script, const std::string& cwd = "") {
    return platform::RunProcess({"/bin/sh", "-c", script}, cwd);
}

TEST(ProcessTest, ReportsExitStatusSignalAndOutput) {
    platform::ProcessResult run = Shell("echo out; echo err >&2; exit 7");
    EXPECT_TRUE(run.started);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 7);
    EXPECT_EQ(run.output, "out\nerr\n");
    EXPECT_FALSE(run.Succeeded());

    run = Shell("kill -9 $$");
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.exited);
    EXPECT_EQ(run.signal, 9);

    EXPECT_TRUE(platform::RunProcess({"/bin/cat"}, "").Succeeded());  // stdin is empty
}

TEST(ProcessTest, RunsInTheGivenFolderAndLeavesTheCallersAlone) {
    TempDir dir;
    const std::string folder = dir / "a \"b\"";
    fs::create_directory(folder);
    const auto before = fs::current_path();
    EXPECT_EQ(Shell("pwd", folder).output, folder + "\n");
    EXPECT_EQ(fs::current_path(), before);

    const platform::ProcessResult run = Shell("true", dir / "missing");
    EXPECT_FALSE(run.started);
    EXPECT_FALSE(run.error.empty());
}

// A program started while the job has its files open gets none of them.
TEST(ProcessTest, TheCallersOpenFilesStayWithTheCaller) {
    TempDir dir;
    const int fd = ::open((dir / "open.wav").c_str(), O_CREAT | O_WRONLY, 0644);  // no O_CLOEXEC
    ASSERT_GE(fd, 3);
    const platform::ProcessResult run = Shell("ls /proc/$$/fd");
    ::close(fd);
    EXPECT_EQ(run.output, "0\n1\n2\n");
}

TEST(ProcessTest, ArgumentsArriveExactlyAsGiven) {
    const platform::ProcessResult run = platform::RunProcess(
        {"/bin/sh", "-c", "printf '%s|' \"$@\"", "sh", "a b", "\"q\"", "it's", "", "$HOME *"}, "");
    EXPECT_EQ(run.output, "a b|\"q\"|it's||$HOME *|");
}

TEST(ProcessTest, LongOutputNeitherBlocksNorGrowsWithoutBound) {
    const platform::ProcessResult run =
        Shell("head -c 3000000 /dev/zero | tr '\\0' x; head -c 100000 /dev/zero >&2; printf END");
    EXPECT_TRUE(run.Succeeded());
    ASSERT_EQ(run.output.size(), platform::kProcessOutputTailBytes);
    EXPECT_EQ(run.output.substr(run.output.size() - 3), "END");
}

TEST(ProcessTest, MissingProgramIsNotStarted) {
    for (const std::vector<std::string>& argv :
         {std::vector<std::string>{"/no/such/program"}, std::vector<std::string>{}}) {
        const platform::ProcessResult run = platform::RunProcess(argv, "");
        EXPECT_FALSE(run.started);
        EXPECT_FALSE(run.error.empty());
    }
}

TEST(ProcessTest, FindOnPathTakesTheFirstExecutable) {
    TempDir dir;
    fs::create_directories(dir / "one");
    fs::create_directories(dir / "two");
    ASSERT_TRUE(WriteFileBytes(dir / "one/tool", "data"));  // not executable
    ASSERT_TRUE(WriteFileBytes(dir / "two/tool", "#!/bin/sh\n"));
    chmod((dir / "two/tool").c_str(), 0755);
    ScopedEnv path{"PATH", dir / "one" + ":" + dir / "two"};
    EXPECT_EQ(platform::FindOnPath("tool"), dir / "two/tool");
    EXPECT_EQ(platform::FindOnPath("other"), "");
    EXPECT_EQ(platform::FindOnPath("two/tool"), "");
    EXPECT_EQ(platform::FindOnPath(""), "");
}

TEST(ProcessTest, DescribeCommandQuotesWhatNeedsIt) {
    EXPECT_EQ(platform::DescribeCommand({"/bin/enc", "a b", "q\"x", "", "plain", "c:\\x"}),
              "/bin/enc \"a b\" \"q\\\"x\" \"\" plain \"c:\\\\x\"");
}

}  // namespace
