#include <gtest/gtest.h>

#include "catalogue/list_codec.h"
#include "util/cp1252.h"

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace verdan;

namespace {

// The row as the list file defines it, the slow way: the first 14 fields decoded one by one.
std::string plainRow(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    std::string row;
    for (std::size_t f = 0; f < 14; ++f) {
        if (f > 0) row += '\t';
        if (f < fields.size()) row += cp1252::decode(fields[f]);
    }
    return row;
}

std::string decoded(const std::string& line) {
    // The line alone in its memory: a decoder reading past its end is caught under the sanitizer.
    const std::unique_ptr<char[]> held(new char[line.size()]);
    std::copy(line.begin(), line.end(), held.get());
    std::string out(listcodec::rowRoom(line.size()), '\0');
    const char* end = listcodec::decodeRow(std::string_view(held.get(), line.size()), out.data());
    return out.substr(0, static_cast<std::size_t>(end - out.data()));
}

std::string quotedOneByOne(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) {
        std::string out(listcodec::quotedRoom(line.size()), '\0');
        const char* end = listcodec::quoteLine(line, out.data());
        all.append(out.data(), static_cast<std::size_t>(end - out.data()));
    }
    return all;
}

} // namespace

// The decoder goes sixteen bytes at a time and by words: a high byte, a tab or the fourteenth
// tab at any place around those sizes must give what decoding field by field gives.
TEST(ListCodec, RowsDecodeAsFieldByFieldWhereverEachByteStands) {
    for (int b = 0; b < 256; ++b) {
        for (std::size_t at = 0; at < 50; ++at) {
            std::string line(50, 'a');
            line[at] = static_cast<char>(b);
            ASSERT_EQ(decoded(line), plainRow(line)) << b << " at " << at;
            std::string withTabs(50, '\xE9');
            for (std::size_t t = 1; t < 50; t += 4) withTabs[t] = '\t';
            withTabs[at] = static_cast<char>(b);
            ASSERT_EQ(decoded(withTabs), plainRow(withTabs)) << b << " at " << at << " among tabs";
        }
    }
    std::mt19937 rnd(2026);
    for (int round = 0; round < 20000; ++round) {
        std::string line(rnd() % 160, 'x');
        const unsigned tabs = 2 + rnd() % 12, high = rnd() % 8;
        for (char& c : line) {
            const unsigned pick = rnd() % 64;
            c = pick < tabs          ? '\t'
                : pick < tabs + high ? static_cast<char>(0x80 + rnd() % 128)
                                     : static_cast<char>(rnd() % 256);
        }
        ASSERT_EQ(decoded(line), plainRow(line)) << round;
    }
}

// A block of lines is quoted in one pass: it must give each line's quoted form in turn, whatever
// the lengths of its cells around sixteen bytes, its bytes and its last line feed.
TEST(ListCodec, ABlockOfLinesIsQuotedAsEachLineInTurn) {
    std::mt19937 rnd(4);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> lines(1 + rnd() % 12);
        std::string block;
        for (std::string& line : lines) {
            for (unsigned cells = 1 + rnd() % 16, c = 0; c < cells; ++c) {
                if (c > 0) line += '\t';
                const std::size_t length = rnd() % 3 == 0 ? rnd() % 4 : rnd() % 40;
                for (std::size_t k = 0; k < length; ++k) {
                    char ch = static_cast<char>(rnd() % 256);
                    if (ch == '\n' || ch == '\r') ch = '"';
                    line += ch;
                }
            }
            block += line + '\n';
        }
        // A last line without its line feed (an empty one would be no line at all: never kept).
        if (round % 3 == 0 && !lines.back().empty()) block.pop_back();
        std::string out(4 * block.size() + listcodec::kSlack, '\0');
        const char* end = listcodec::quoteLines(block, out.data());
        ASSERT_EQ(out.substr(0, static_cast<std::size_t>(end - out.data())), quotedOneByOne(lines)) << round;
    }
}
