#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace rastix {

// The thread a row sink may work on beside the loader's, with the state the two share and the
// way they stop: the loader ends the picture (or gives up), the worker finishes what it was
// handed and returns.
class SinkWorker {
public:
    SinkWorker() = default;
    SinkWorker(const SinkWorker&) = delete;
    SinkWorker& operator=(const SinkWorker&) = delete;
    ~SinkWorker() { finish(false); }

    // Runs work on a thread of its own; false when no thread can be had, and the owner then
    // does the work on the loader's thread.
    bool start(std::function<void()> work) {
        try {
            m_thread = std::thread(std::move(work));
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }
    bool running() const { return m_thread.joinable(); }
    // No more rows: marks the end, a failure unless allRows, and waits for the worker to return.
    void finish(bool allRows) {
        {
            std::lock_guard lock(mutex);
            ended = true;
            failed = failed || !allRows;
        }
        changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    // Guards what the loader's thread and the worker share, these flags included.
    std::mutex mutex;
    std::condition_variable changed;
    bool ended = false;
    bool failed = false;

private:
    std::thread m_thread;
};

} // namespace rastix
