#include "catalogue/chunk_writer.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include "catalogue/list_backup.h"
#include "platform/threads.h"
#include "util/error.h"

namespace verdan {

namespace {

std::unique_ptr<platform::FileSink> makeSink(const std::string& path, ChunkWriter::Target target,
                                             std::string backup) {
    if (target == ChunkWriter::Target::Scratch) return std::make_unique<platform::ScratchFileWriter>(path);
    return std::make_unique<platform::AtomicFileWriter>(path, true, listBackupRotation(std::move(backup)));
}

} // namespace

ChunkWriter::ChunkWriter(std::string path, Target target, std::size_t blockSize, Transform transform,
                         std::string backup)
    : m_path(std::move(path)), m_writer(makeSink(m_path, target, std::move(backup))), m_blockSize(blockSize),
      m_transform(std::move(transform)) {}

ChunkWriter::~ChunkWriter() {
    stop();
}

void ChunkWriter::fail() const {
    throw VerdanError(msg::cannotCreate(m_path));
}

void ChunkWriter::open() {
    if (m_writer->open() != platform::WriteResult::Ok) fail();
    try {
        m_thread = platform::startThread([this] { run(); });
    } catch (const std::system_error&) {
        // No helper to be had: each full block is written here, the rows wait meanwhile.
    }
}

void ChunkWriter::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_pending >= 0 || m_stopping; });
        if (m_pending < 0) return;
        const std::string_view bytes(m_blocks[m_pending].get(), m_pendingSize);
        lock.unlock();
        const bool ok = m_writer->write(m_transform ? m_transform(bytes) : bytes);
        lock.lock();
        if (!ok) m_failed = true;
        m_pending = -1;
        m_changed.notify_all();
    }
}

void ChunkWriter::waitIdle(std::unique_lock<std::mutex>& lock) {
    m_changed.wait(lock, [this] { return m_pending < 0; });
    if (m_failed) fail();
}

void ChunkWriter::handOver() {
    if (m_used == 0) return;
    if (!m_thread.joinable()) {
        const std::string_view bytes(m_blocks[m_current].get(), m_used);
        if (!m_writer->write(m_transform ? m_transform(bytes) : bytes)) fail();
        m_used = 0;
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    waitIdle(lock);
    m_pending = m_current;
    m_pendingSize = m_used;
    m_changed.notify_all();
    m_current = 1 - m_current;
    m_used = 0;
}

char* ChunkWriter::room(std::size_t bytes) {
    if (m_used + bytes > m_capacity[m_current]) {
        handOver();
        if (bytes > m_capacity[m_current]) {
            // The block not being written can be replaced at will.
            m_capacity[m_current] = std::max(bytes, m_blockSize);
            m_blocks[m_current].reset(new char[m_capacity[m_current]]);
        }
    }
    return m_blocks[m_current].get() + m_used;
}

void ChunkWriter::commit() {
    handOver();
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        waitIdle(lock);
    }
    stop();
    if (m_writer->commit() != platform::WriteResult::Ok) fail();
}

void ChunkWriter::stop() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

} // namespace verdan
