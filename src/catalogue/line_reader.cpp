#include "catalogue/line_reader.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "platform/threads.h"

namespace verdan {

LineReader::LineReader(platform::InputFile& input, std::size_t maxLine, std::size_t blockSize)
    : m_input(input), m_maxLine(maxLine), m_headroom(maxLine + 1), m_buffer(m_headroom + blockSize),
      m_spare(m_buffer.size()) {
    m_pos = m_end = m_nextLf = m_headroom;
}

LineReader::~LineReader() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

void LineReader::readAhead() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return (m_requested && m_got == kPending) || m_stopping; });
        if (m_stopping) return;
        lock.unlock();
        const long long got = m_input.read(m_spare.data() + m_headroom, m_spare.size() - m_headroom);
        lock.lock();
        m_got = got;
        m_changed.notify_all();
    }
}

void LineReader::requestRead() {
    if (!m_thread.joinable() && !m_alone) {
        try {
            m_thread = platform::startThread([this] { readAhead(); });
        } catch (const std::system_error&) {
            m_alone = true; // no helper to be had: each block is read when it is needed
        }
    }
    if (m_alone) {
        m_requested = true;
        m_got = kPending;
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requested = true;
    m_got = kPending;
    m_changed.notify_all();
}

long long LineReader::awaitRead() {
    if (m_alone) {
        m_requested = false;
        return m_input.read(m_spare.data() + m_headroom, m_spare.size() - m_headroom);
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_got != kPending; });
    m_requested = false;
    return m_got;
}

bool LineReader::fill() {
    if (!m_requested) requestRead();
    const long long got = awaitRead();
    if (got < 0) return false;
    // The unfinished line goes in front of the new block; it is shorter than a kept line, or the
    // caller would have cut it already.
    const std::size_t tail = m_end - m_pos;
    const std::size_t start = m_headroom - tail;
    std::memcpy(m_spare.data() + start, m_buffer.data() + m_pos, tail);
    // The LF found ahead stays known only when it lies in the bytes kept; "none" held only up to
    // the old end, and an LF already passed is of no use.
    if (m_lfKnown && m_nextLf >= m_pos && m_nextLf < m_end) {
        m_nextLf = m_nextLf - m_pos + start;
    } else {
        m_lfKnown = false;
    }
    m_buffer.swap(m_spare);
    m_pos = start;
    m_end = m_headroom + static_cast<std::size_t>(got);
    if (got == 0) {
        m_eof = true;
    } else {
        requestRead(); // into the block just left, while this one is being split
    }
    return true;
}

bool LineReader::onlyTabs(std::size_t from, std::size_t to) const {
    return std::all_of(m_buffer.data() + from, m_buffer.data() + to, [](char c) { return c == '\t'; });
}

std::size_t LineReader::findLineEnd() {
    if (!m_lfKnown || m_nextLf < m_pos) {
        const void* lf = std::memchr(m_buffer.data() + m_pos, '\n', m_end - m_pos);
        m_nextLf = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - m_buffer.data()) : m_end;
        m_lfKnown = true;
    }
    const void* cr = std::memchr(m_buffer.data() + m_pos, '\r', m_nextLf - m_pos);
    return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - m_buffer.data()) : m_nextLf;
}

void LineReader::consumeLineEnd(std::size_t at) {
    m_skipLf = m_buffer[at] == '\r';
    m_lineFeeds += !m_skipLf;
    m_pos = at + 1;
}

LineReader::Status LineReader::next(std::string_view& line) {
    for (;;) {
        if (m_pos == m_end && !m_eof && !fill()) return Status::Failed;
        if (m_skipLf && m_pos < m_end) {
            if (m_buffer[m_pos] == '\n') {
                ++m_pos;
                ++m_lineFeeds;
            }
            m_skipLf = false;
            continue;
        }
        if (m_pos == m_end) {
            if (m_eof) return Status::End;
            continue;
        }
        const std::size_t at = findLineEnd();
        if (at < m_end) {
            std::size_t length = at - m_pos;
            if (length > m_maxLine) {
                length = m_maxLine;
                m_cutLines += !onlyTabs(m_pos + m_maxLine, at);
            }
            line = std::string_view(m_buffer.data() + m_pos, length);
            consumeLineEnd(at);
            return Status::Line;
        }
        if (m_end - m_pos >= m_maxLine) {
            // Keep the head, then drop everything up to the line's end (a line of exactly the
            // longest length comes here too, and loses nothing).
            m_long.assign(m_buffer.data() + m_pos, m_maxLine);
            line = m_long;
            bool cut = !onlyTabs(m_pos + m_maxLine, m_end);
            for (;;) {
                m_pos = m_end;
                if (m_eof) break;
                if (!fill()) return Status::Failed;
                const std::size_t end = findLineEnd();
                cut = cut || !onlyTabs(m_pos, end);
                if (end < m_end) {
                    consumeLineEnd(end);
                    break;
                }
            }
            if (cut) ++m_cutLines;
            return Status::Line;
        }
        if (m_eof) {
            line = std::string_view(m_buffer.data() + m_pos, m_end - m_pos);
            m_pos = m_end;
            return Status::Line;
        }
        if (!fill()) return Status::Failed;
    }
}

} // namespace verdan
