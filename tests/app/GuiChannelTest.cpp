// The worker-to-GUI road without a toolkit: the test thread plays the GUI thread and runs
// the queue only when the case says so, which is how a GUI thread that waits for the
// worker looks to it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "app/GuiChannel.h"

namespace {

using namespace std::chrono_literals;

class GuiChannelTest : public testing::Test {
  protected:
    std::atomic<int> wakes{0};
    std::shared_ptr<GuiChannel> channel = GuiChannel::Create([this](GuiChannel::Task) { ++wakes; });

    // Runs the queue until `done` is ready; false after 5 s.
    template <class T>
    bool RunUntilReady(std::future<T>& done) {
        for (int i = 0; i < 2500; ++i) {
            channel->RunPending();
            if (done.wait_for(2ms) == std::future_status::ready) return true;
        }
        return false;
    }
};

TEST_F(GuiChannelTest, UpdatesRunInOrderAndEachReadSeesExactlyThoseBeforeIt) {
    std::vector<int> shown;  // GUI thread only
    auto worker = std::async(std::launch::async, [&] {
        std::vector<std::size_t> seen;
        for (int i = 0; i < 300; ++i) {
            channel->Post([&shown, i] { shown.push_back(i); });
            if (i % 50 == 49)
                seen.push_back(*channel->Ask<std::size_t>([&] { return shown.size(); }));
        }
        return seen;
    });
    ASSERT_TRUE(RunUntilReady(worker));
    const std::vector<std::size_t> seen = worker.get();
    EXPECT_EQ(seen, (std::vector<std::size_t>{50, 100, 150, 200, 250, 300}));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(shown[i], i);
    EXPECT_GE(wakes.load(), 1);
}

// The GUI thread waits for the worker and runs nothing: the worker's read and message must
// still end, or the wait would never end.
TEST_F(GuiChannelTest, AnEndRequestReleasesAReadNobodyAnswers) {
    auto worker = std::async(std::launch::async, [&] {
        return channel->Ask<std::string>([] { return std::string("text"); });
    });
    EXPECT_EQ(worker.wait_for(50ms), std::future_status::timeout);
    channel->InterruptAll();
    ASSERT_EQ(worker.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(worker.get().has_value());
    // Later reads answer nothing at once; updates still run.
    EXPECT_FALSE(channel->Ask<int>([] { return 1; }).has_value());
    bool updated = false;
    channel->Post([&] { updated = true; });
    channel->RunPending();
    EXPECT_TRUE(updated);
}

TEST_F(GuiChannelTest, StopReleasesAWaitingMessageWhichIsThenNeverShown) {
    int shownMessages = 0;
    auto worker = std::async(std::launch::async, [&] {
        const bool shown = channel->Prompt([&] { ++shownMessages; });
        // Reads go on after Stop until the thread is asked to end.
        return std::make_pair(shown, channel->Ask<int>([] { return 7; }));
    });
    EXPECT_EQ(worker.wait_for(50ms), std::future_status::timeout);
    channel->InterruptPrompts();
    ASSERT_TRUE(RunUntilReady(worker));
    const auto [shown, read] = worker.get();
    EXPECT_FALSE(shown);
    EXPECT_EQ(read, 7);
    EXPECT_EQ(shownMessages, 0);
    EXPECT_FALSE(channel->Prompt([&] { ++shownMessages; }));
    channel->RunPending();
    EXPECT_EQ(shownMessages, 0);
}

TEST_F(GuiChannelTest, AMessageHoldsTheWorkerUntilItIsClosed) {
    std::atomic<bool> closed{false};
    auto worker = std::async(std::launch::async, [&] {
        channel->Prompt([&] {
            std::this_thread::sleep_for(30ms);
            closed = true;
        });
        return closed.load();
    });
    ASSERT_TRUE(RunUntilReady(worker));
    EXPECT_TRUE(worker.get());
}

}  // namespace
