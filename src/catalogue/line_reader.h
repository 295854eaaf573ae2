#pragma once
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/files.h"

namespace verdan {

// Lines of a byte stream ended by CR LF, LF or CR alone, each cut to `maxLine` bytes, read in
// large blocks. A line longer than the block keeps its head and the rest is skipped, so a huge
// line never grows the memory. The next block is read on a helper thread while the lines of the
// current one are handed out; the helper touches only the input and the spare block. Without a
// thread to be had, each block is read here when it is needed.
class LineReader {
public:
    enum class Status { Line, End, Failed };

    LineReader(platform::InputFile& input, std::size_t maxLine, std::size_t blockSize = 1 << 20);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The line stays valid until the next call.
    Status next(std::string_view& line);
    // Lines handed out so far that lost more than tabs to the cut: a row saved with its empty
    // cells' tabs after a cut head runs past `maxLine` again, and loses nothing when read back.
    std::size_t cutLines() const { return m_cutLines; }
    // Line feeds read so far, wherever they stood (a file's line count, as a plain count of its
    // line feeds gives it, without a second reading).
    std::size_t lineFeeds() const { return m_lineFeeds; }

private:
    // Keeps [m_pos, m_end) and puts the next block behind it; false on a read error.
    bool fill();
    void requestRead();
    long long awaitRead();
    void readAhead();
    // Position of the first CR or LF in [m_pos, m_end), or m_end.
    std::size_t findLineEnd();
    bool onlyTabs(std::size_t from, std::size_t to) const;
    void consumeLineEnd(std::size_t at);

    platform::InputFile& m_input;
    std::size_t m_maxLine;
    std::size_t m_headroom; // room before a block for the unfinished line of the previous one
    std::vector<char> m_buffer;
    std::vector<char> m_spare;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    // First LF at or after m_pos, or m_end when there is none before it: a CR-only file would
    // otherwise search the whole block again for every line.
    std::size_t m_nextLf = 0;
    bool m_lfKnown = false;
    bool m_eof = false;
    bool m_skipLf = false;
    std::string m_long;
    std::size_t m_cutLines = 0;
    std::size_t m_lineFeeds = 0;

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_requested = false; // a read of the spare block is asked for or running
    bool m_stopping = false;
    bool m_alone = false; // no helper thread could be started
    static constexpr long long kPending = -2;
    long long m_got = 0; // bytes of the last read, -1 for an error, kPending while it runs
};

} // namespace verdan
