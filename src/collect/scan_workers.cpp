#include "collect/scan_workers.h"

#include "collect/scan_walk.h"
#include "platform/threads.h"
#include "util/ui.h"

#include <algorithm>

namespace verdan {

ScanWorkers::~ScanWorkers() {
    stopAndWait();
}

void ScanWorkers::abandonCurrent() {
    if (!m_current) return;
    m_current->stopRequested.store(true);
    m_current.reset();
}

void ScanWorkers::launch(Ui& ui, std::function<void()> body) {
    reap();
    m_ui = &ui;
    auto done = std::make_shared<std::atomic<bool>>(false);
    // Room first: a thread started and then not kept would end the program.
    m_workers.reserve(m_workers.size() + 1);
    std::thread t = platform::startThread([body = std::move(body), done] {
        body();
        done->store(true);
    });
    m_workers.push_back({std::move(t), std::move(done)});
}

std::size_t ScanWorkers::liveWorkers() const {
    return static_cast<std::size_t>(
        std::count_if(m_workers.begin(), m_workers.end(), [](const Worker& w) { return !w.done->load(); }));
}

void ScanWorkers::reap() {
    auto finished =
        std::partition(m_workers.begin(), m_workers.end(), [](const Worker& w) { return !w.done->load(); });
    for (auto it = finished; it != m_workers.end(); ++it) it->thread.join();
    m_workers.erase(finished, m_workers.end());
}

void ScanWorkers::stopAndWait() {
    abandonCurrent();
    // Workers may be waiting for the user-interface thread, which is this one.
    while (liveWorkers() > 0) {
        if (m_ui) m_ui->processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    reap();
}

} // namespace verdan
