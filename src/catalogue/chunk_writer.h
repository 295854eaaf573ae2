#pragma once
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/files.h"

namespace verdan {

// Writes a file through a temporary one renamed over it at commit, in blocks filled by the caller.
// Full blocks go to the system on a helper thread while the caller fills the next one, so that
// a million-row list is converted and written at the same time. The helper touches nothing but
// the block it is given and the writer; it ends before commit returns or the object goes. Without
// a thread to be had, the caller writes each block itself.
// Any failure throws VerdanError("Impossible de créer le fichier <path>").
class ChunkWriter {
public:
    // Turns a full block into the bytes to write, on the helper thread; what it returns stays
    // valid until its next call.
    using Transform = std::function<std::string_view(std::string_view block)>;

    // Saved: written whole to disk beside the file, then renamed over it. Scratch: a working copy
    // nobody reads back, written over the previous one in place (see platform::ScratchFileWriter).
    enum class Target { Saved, Scratch };

    // With a backup path, the file replaced at commit becomes the backup (see listBackupRotation).
    ChunkWriter(std::string path, Target target, std::size_t blockSize, Transform transform = {},
                std::string backup = {});
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    void open();
    // Room for `bytes` at the end of the current block; hands the block over first when it is full.
    char* room(std::size_t bytes);
    void advance(const char* end) { m_used = static_cast<std::size_t>(end - m_blocks[m_current].get()); }
    void commit();

private:
    void handOver();
    void waitIdle(std::unique_lock<std::mutex>& lock);
    void stop();
    void run();
    [[noreturn]] void fail() const;

    std::string m_path;
    std::unique_ptr<platform::FileSink> m_writer;
    std::size_t m_blockSize;
    Transform m_transform;
    std::unique_ptr<char[]> m_blocks[2];
    std::size_t m_capacity[2] = {0, 0};
    int m_current = 0;
    std::size_t m_used = 0;

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_pending = -1; // block waiting for the helper or being written
    std::size_t m_pendingSize = 0;
    bool m_stopping = false;
    bool m_failed = false;
};

} // namespace verdan
