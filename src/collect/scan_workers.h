#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace verdan {

class Ui;
struct ScanRun;

// The worker threads of the scans, with the scan that currently owns the found list.
class ScanWorkers {
public:
    ScanWorkers() = default;
    ~ScanWorkers();
    ScanWorkers(const ScanWorkers&) = delete;
    ScanWorkers& operator=(const ScanWorkers&) = delete;

    const std::shared_ptr<ScanRun>& current() const { return m_current; }
    void setCurrent(std::shared_ptr<ScanRun> run) { m_current = std::move(run); }
    // The current scan is stopped and loses the found list: what its workers still hand over is dropped.
    void abandonCurrent();

    // Throws std::system_error when no thread can be had.
    void launch(Ui& ui, std::function<void()> body);
    // Stops every scan and waits for all workers, running their hand-offs meanwhile.
    void stopAndWait();
    std::size_t liveWorkers() const;

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void reap();

    std::shared_ptr<ScanRun> m_current;
    std::vector<Worker> m_workers;
    Ui* m_ui = nullptr;
};

// How workers hand their lines over: what a worker found during `batchDelay` goes at once, so
// the list and its view change a few times a second however fast files come; `batchLines`
// only bounds what a worker holds.
struct ScanTuning {
    std::size_t batchLines = 1 << 16;
    std::chrono::milliseconds batchDelay{50};
};

} // namespace verdan
