#pragma once
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/threads.h"

namespace verdan {

// Runs fn(worker, begin, end) over every i below `count` on a few helper threads, in small
// batches of consecutive i, while the caller does something else; finish() lends the caller's hand
// to what is left and waits. `worker` tells the threads apart, so that each may keep things of
// its own: helper h is h, the caller is `helpers`.
class SharedRun {
public:
    using Batch = std::function<void(std::size_t, std::size_t, std::size_t)>;
    SharedRun(std::size_t count, Batch fn, std::size_t helpers)
        : m_count(count), m_fn(std::move(fn)), m_caller(helpers) {
        // Room first: a thread started and then not kept would end the program.
        m_helpers.reserve(helpers);
        for (std::size_t h = 0; h < helpers && h * kBatch < count; ++h) {
            try {
                m_helpers.push_back(platform::startThread([this, h] { work(h); }));
            } catch (const std::system_error&) {
                break; // no thread to be had: the caller does the rest
            }
        }
    }
    ~SharedRun() {
        try {
            finish();
        } catch (...) {
            // Already leaving through another exception.
        }
    }
    SharedRun(const SharedRun&) = delete;
    SharedRun& operator=(const SharedRun&) = delete;

    void finish() {
        work(m_caller);
        for (auto& helper : m_helpers) helper.join();
        m_helpers.clear();
        if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
    }

private:
    static constexpr std::size_t kBatch = 64;

    void work(std::size_t worker) {
        for (;;) {
            const std::size_t begin = m_next.fetch_add(kBatch);
            if (begin >= m_count) return;
            try {
                m_fn(worker, begin, std::min(m_count, begin + kBatch));
            } catch (...) {
                std::lock_guard lock(m_failureMutex);
                if (!m_failure) m_failure = std::current_exception();
                m_next = m_count;
                return;
            }
        }
    }

    const std::size_t m_count;
    const Batch m_fn;
    const std::size_t m_caller;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_failureMutex;
    std::exception_ptr m_failure;
    std::vector<std::thread> m_helpers;
};

// A thread joined however its scope is left.
class JoinedThread {
public:
    template <class Fn>
    explicit JoinedThread(Fn&& fn) : m_thread(platform::startThread(std::forward<Fn>(fn))) {}
    ~JoinedThread() {
        if (m_thread.joinable()) m_thread.join();
    }
    JoinedThread(const JoinedThread&) = delete;
    JoinedThread& operator=(const JoinedThread&) = delete;

private:
    std::thread m_thread;
};

} // namespace verdan
