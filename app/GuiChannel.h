#pragma once
// The road from the worker thread to the GUI thread. Updates (gauges, status texts,
// labels, repaints) are posted and run on the GUI thread in the order issued; reads of
// controls and messages are asked for and the worker waits for their result. No wait of
// the worker can outlast a stop, so the GUI thread may wait for the worker to end without
// a deadlock:
//   - InterruptPrompts (Stop pressed): a message that waits or is queued is released and
//     never shown; later messages are not shown at all.
//   - InterruptAll (the thread is asked to end): every wait is released, and later reads
//     answer nothing at once.
// Updates always run, also after a stop, so the job's last words reach the window.
//
// No toolkit header: the GUI thread's event loop is reached through `Schedule`, which must
// run its argument later on the GUI thread (the frame's CallAfter).

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class GuiChannel : public std::enable_shared_from_this<GuiChannel> {
  public:
    using Task = std::function<void()>;
    using Schedule = std::function<void(Task)>;

    static std::shared_ptr<GuiChannel> Create(Schedule schedule);

    // --- Worker thread ---
    /// Queues `update`; it runs on the GUI thread after everything queued before it.
    void Post(Task update);

    /// Runs `read` on the GUI thread after everything queued before it and returns its
    /// result; nullopt when the thread was asked to end first.
    template <class R>
    std::optional<R> Ask(std::function<R()> read) {
        auto answer = std::make_shared<std::optional<R>>();
        const bool answered =
            Wait(Kind::Read, [answer, read = std::move(read)] { *answer = read(); });
        if (!answered) return std::nullopt;
        return std::move(*answer);
    }

    /// Runs `show` (a modal message) on the GUI thread in order and waits until it has
    /// returned. False, without showing it, after a stop.
    bool Prompt(Task show) { return Wait(Kind::Prompt, std::move(show)); }

    // --- Any thread ---
    void InterruptPrompts();
    void InterruptAll();
    bool PromptsInterrupted() const;

    // --- GUI thread ---
    /// Runs what is queued, in order (skipping released reads and messages).
    void RunPending();
    /// Blocks until something is queued or `timeout` passed.
    void WaitForWork(std::chrono::milliseconds timeout);

  private:
    enum class Kind { Update, Read, Prompt };
    struct Item {
        Kind kind;
        Task task;
        std::shared_ptr<bool> done;  ///< set when it ran; null for updates
    };

    explicit GuiChannel(Schedule schedule) : schedule_(std::move(schedule)) {}
    /// Queues the item and waits for it; false when released by a stop.
    bool Wait(Kind kind, Task task);
    bool Released(Kind kind) const;  // under mutex_
    /// Queues under mutex_ and wakes the GUI thread when no wake is on its way.
    void Enqueue(Item item, std::unique_lock<std::mutex>& lock);

    Schedule schedule_;
    mutable std::mutex mutex_;
    std::condition_variable answered_;  ///< the worker waits on it
    std::condition_variable queued_;    ///< WaitForWork waits on it
    std::deque<Item> queue_;
    bool wakePending_ = false;
    bool promptsInterrupted_ = false;
    bool allInterrupted_ = false;
};
