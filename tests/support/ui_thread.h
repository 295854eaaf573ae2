#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "support/fake_ui.h"

namespace verdan::test {

// A FakeUi whose user-interface thread is the test's own: workers' hand-offs wait in a queue
// until the test pumps it, so they really cross threads as they do in the program.
class ThreadedFakeUi : public FakeUi {
public:
    void runOnUiThread(const std::function<void()>& fn) override {
        if (std::this_thread::get_id() == m_uiThread) {
            fn();
            return;
        }
        Task task{&fn};
        std::unique_lock lock(m_mutex);
        m_queue.push_back(&task);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return task.done; });
    }

    void processEvents() override {
        FakeUi::processEvents();
        drain();
    }

    // Runs the waiting hand-offs, at most `limit` of them; returns how many ran.
    int drain(int limit = -1) {
        int ran = 0;
        for (; limit < 0 || ran < limit;) {
            Task* task = nullptr;
            {
                std::lock_guard lock(m_mutex);
                if (m_queue.empty()) return ran;
                task = m_queue.front();
                m_queue.pop_front();
            }
            (*task->fn)();
            ++ran;
            std::lock_guard lock(m_mutex);
            task->done = true;
            m_changed.notify_all();
        }
        return ran;
    }

    // Pumps until the condition holds; false after the timeout.
    bool pumpUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            // One hand-off at a time, so that the test sees every state in between.
            while (drain(1) > 0)
                if (condition()) return true;
            if (runPosted() > 0 && condition()) return true;
            if (condition()) return true;
            if (std::chrono::steady_clock::now() > end) return false;
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, std::chrono::milliseconds(1), [&] { return !m_queue.empty(); });
        }
    }

    // Waits, without running anything, until a worker waits for this thread.
    bool waitForHandOff(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return !m_queue.empty(); });
    }

    std::size_t waiting() {
        std::lock_guard lock(m_mutex);
        return m_queue.size();
    }

private:
    struct Task {
        const std::function<void()>* fn;
        bool done = false;
    };
    std::thread::id m_uiThread = std::this_thread::get_id();
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Task*> m_queue;
};

} // namespace verdan::test
