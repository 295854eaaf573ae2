#include <gtest/gtest.h>

#include "catalogue/line_reader.h"
#include "support/refused_threads.h"
#include "util/text.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace verdan;

namespace {
// Hands out its bytes in small pieces, then fails.
class FailingInput : public platform::InputFile {
public:
    FailingInput(std::string bytes, std::size_t failAt) : m_bytes(std::move(bytes)), m_failAt(failAt) {}
    long long read(char* buffer, std::size_t size) override {
        if (m_pos >= m_failAt) return -1;
        const std::size_t n = std::min({size, std::size_t{7}, m_bytes.size() - m_pos, m_failAt - m_pos});
        std::copy_n(m_bytes.data() + m_pos, n, buffer);
        m_pos += n;
        return static_cast<long long>(n);
    }

private:
    std::string m_bytes;
    std::size_t m_failAt;
    std::size_t m_pos = 0;
};

std::vector<std::string> readAll(const std::string& bytes, std::size_t maxLine, std::size_t block,
                                 bool* failed = nullptr, std::size_t* cut = nullptr,
                                 std::size_t* lineFeeds = nullptr) {
    FailingInput input(bytes, failed ? bytes.size() / 2 : bytes.size() + 1);
    LineReader reader(input, maxLine, block);
    std::vector<std::string> lines;
    std::string_view line;
    for (;;) {
        const auto status = reader.next(line);
        if (status == LineReader::Status::Failed) {
            if (failed) *failed = true;
            break;
        }
        if (status == LineReader::Status::End) break;
        lines.emplace_back(line);
    }
    if (cut) *cut = reader.cutLines();
    if (lineFeeds) *lineFeeds = reader.lineFeeds();
    return lines;
}
} // namespace

TEST(LineReading, LineEndsAcrossBlockBoundaries) {
    // A tiny block puts every CR LF pair across a boundary at some point.
    const std::string text = "ab\r\ncd\ref\n\r\ngh\r\r\nij";
    const std::vector<std::string> expected = {"ab", "cd", "ef", "", "gh", "", "ij"};
    for (std::size_t block : {1u, 2u, 3u, 5u, 64u}) EXPECT_EQ(readAll(text, 4, block), expected) << block;
}

TEST(LineReading, LinesAreCutAndTheRestSkipped) {
    const std::string text = "0123456789\r\nabc\r" + std::string(50, 'x') + "\r\nend";
    EXPECT_EQ(readAll(text, 4, 3), (std::vector<std::string>{"0123", "abc", "xxxx", "end"}));
    EXPECT_EQ(readAll("abcdef", 4, 16), (std::vector<std::string>{"abcd"}));
}

TEST(LineReading, AgreesWithThePlainSplitterWhateverTheReads) {
    std::mt19937 rnd(7);
    for (int round = 0; round < 300; ++round) {
        std::string text(rnd() % 200, 'a');
        for (char& c : text) c = "ab\r\n\t"[rnd() % 5];
        const std::size_t maxLine = 1 + rnd() % 12;
        std::vector<std::string> expected;
        for (std::string_view line : splitLines(text)) expected.emplace_back(line.substr(0, maxLine));
        // Its line feeds too, those after a CR, in a cut line's rest or across a block's end.
        std::size_t lineFeeds = 0;
        ASSERT_EQ(readAll(text, maxLine, 1 + rnd() % 40, nullptr, nullptr, &lineFeeds), expected)
            << "round " << round;
        ASSERT_EQ(lineFeeds, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'))) << round;
    }
}

TEST(LineReading, AReadErrorIsReported) {
    bool failed = false;
    readAll(std::string(100, 'a') + "\n" + std::string(100, 'b') + "\n", 4096, 64, &failed);
    EXPECT_TRUE(failed);
}

TEST(LineReading, StoppingEarlyLeavesNothingRunning) {
    const std::string text(100000, 'x');
    FailingInput input(text + "\n" + text + "\n", text.size() * 3);
    for (std::size_t block : {8u, 4096u}) {
        LineReader reader(input, 16, block);
        std::string_view line;
        ASSERT_EQ(reader.next(line), LineReader::Status::Line);
        EXPECT_EQ(line, std::string(16, 'x'));
    } // the read running ahead is waited for, not abandoned
}

TEST(LineReading, CutLinesAreCountedButNotThoseThatLoseOnlyTabs) {
    struct Case {
        std::string text;
        std::size_t block;
        std::size_t cut;
    };
    const std::string four(4, 'a'), five(5, 'b');
    const std::vector<Case> cases = {
        {four + "\n" + four + "\r\n" + four, 64, 0},
        {four + "\n" + four + "\r\n" + four, 2, 0}, // each exact line ends in a later block
        {four + "\r" + five + "\r\n" + five, 64, 2},
        {four + "\r" + five + "\r\n" + five, 3, 2},
        {four + "\r\n" + std::string(50, 'x') + "\n\n", 4, 1},         // the rest spans several blocks
        {four + "\t\t\r" + four + std::string(50, '\t') + "\n", 4, 0}, // tabs alone lose nothing
        {four + "\t\t\r" + four + std::string(50, '\t') + "\n", 3, 0},
        {four + "\t\tx\r" + four + std::string(50, '\t') + "x", 3, 2},
    };
    for (const Case& c : cases) {
        std::size_t cut = 99;
        readAll(c.text, 4, c.block, nullptr, &cut);
        EXPECT_EQ(cut, c.cut) << c.text << " in blocks of " << c.block;
    }
    std::mt19937 rnd(11);
    for (int round = 0; round < 300; ++round) {
        std::string text(rnd() % 200, 'a');
        for (char& c : text) c = "aab\t\r\n"[rnd() % 6];
        const std::size_t maxLine = 1 + rnd() % 12;
        std::size_t expected = 0;
        for (std::string_view line : splitLines(text))
            expected += line.size() > maxLine && line.find_first_not_of('\t', maxLine) != line.npos;
        std::size_t cut = 0;
        readAll(text, maxLine, 1 + rnd() % 40, nullptr, &cut);
        ASSERT_EQ(cut, expected) << "round " << round;
    }
}

TEST(LineReading, WithoutAHelperThreadEveryBlockIsReadHere) {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + (i % 3 ? "\r\n" : "\n");
    const std::vector<std::string> expected = readAll(text, 4096, 64);
    test::RefusedThreads refused(test::kEveryStart);
    for (std::size_t block : {7u, 64u, 100000u}) EXPECT_EQ(readAll(text, 4096, block), expected) << block;
    bool failed = false;
    readAll(text, 4096, 64, &failed);
    EXPECT_TRUE(failed) << "a read error is still seen";
}
