#include "catalogue/line_reader.h"

#include <algorithm>
#include <cstring>

namespace verdan {

LineReader::LineReader(platform::InputFile& input, std::size_t maxLine, std::size_t blockSize)
    : m_input(input), m_maxLine(maxLine), m_buffer(std::max(blockSize, 2 * maxLine + 2)) {}

bool LineReader::fill() {
    // The LF found ahead stays known only when it lies in the bytes kept; "none" held only up to
    // the old end, and an LF already passed is of no use.
    if (m_lfKnown && m_nextLf >= m_pos && m_nextLf < m_end) {
        m_nextLf -= m_pos;
    } else {
        m_lfKnown = false;
    }
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_pos = 0;
    }
    const long long got = m_input.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got < 0) return false;
    if (got == 0) m_eof = true;
    m_end += static_cast<std::size_t>(got);
    return true;
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
    m_pos = at + 1;
}

LineReader::Status LineReader::next(std::string_view& line) {
    for (;;) {
        if (m_pos == m_end && !m_eof && !fill()) return Status::Failed;
        if (m_skipLf && m_pos < m_end) {
            if (m_buffer[m_pos] == '\n') ++m_pos;
            m_skipLf = false;
            continue;
        }
        if (m_pos == m_end) {
            if (m_eof) return Status::End;
            continue;
        }
        const std::size_t at = findLineEnd();
        if (at < m_end) {
            line = std::string_view(m_buffer.data() + m_pos, std::min(at - m_pos, m_maxLine));
            consumeLineEnd(at);
            return Status::Line;
        }
        if (m_end - m_pos >= m_maxLine) {
            // Keep the head, then drop everything up to the line's end.
            m_long.assign(m_buffer.data() + m_pos, m_maxLine);
            line = m_long;
            for (;;) {
                m_pos = m_end;
                if (m_eof) return Status::Line;
                if (!fill()) return Status::Failed;
                const std::size_t end = findLineEnd();
                if (end < m_end) {
                    consumeLineEnd(end);
                    return Status::Line;
                }
            }
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
