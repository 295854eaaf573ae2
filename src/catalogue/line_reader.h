#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace verdan {

// Lines of a byte stream ended by CR LF, LF or CR alone, each cut to `maxLine` bytes, read in
// large blocks. A line longer than the block keeps its head and the rest is skipped, so a huge
// line never grows the memory.
class LineReader {
public:
    enum class Status { Line, End, Failed };

    LineReader(platform::InputFile& input, std::size_t maxLine, std::size_t blockSize = 1 << 20);
    // The line stays valid until the next call.
    Status next(std::string_view& line);

private:
    // Keeps [m_pos, m_end), reads more behind it; false on a read error.
    bool fill();
    // Position of the first CR or LF in [m_pos, m_end), or m_end.
    std::size_t findLineEnd();
    void consumeLineEnd(std::size_t at);

    platform::InputFile& m_input;
    std::size_t m_maxLine;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    // First LF at or after m_pos, or m_end when there is none before it: a CR-only file would
    // otherwise search the whole block again for every line.
    std::size_t m_nextLf = 0;
    bool m_lfKnown = false;
    bool m_eof = false;
    bool m_skipLf = false;
    std::string m_long;
};

} // namespace verdan
