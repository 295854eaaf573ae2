#include <gtest/gtest.h>

#include "collect/found_list.h"
#include "util/utf8.h"

#include <algorithm>
#include <random>
#include <set>

using namespace verdan;

TEST(FoundListTest, KeepsLinesSortedAndUniqueWithoutRegardToCase) {
    FoundList list;
    EXPECT_TRUE(list.insert("2024-01-02 10:00   b"));
    EXPECT_TRUE(list.insert("2024-01-01 10:00   Z"));
    EXPECT_TRUE(list.insert("2024-01-01 10:00   a"));
    EXPECT_FALSE(list.insert("2024-01-01 10:00   A"));
    EXPECT_FALSE(list.insert("2024-01-01 10:00   z"));
    EXPECT_TRUE(list.insert("2024-01-01 10:00   Été"));
    EXPECT_FALSE(list.insert("2024-01-01 10:00   éTÉ"));
    EXPECT_EQ(list.lines(), (std::vector<std::string>{"2024-01-01 10:00   a", "2024-01-01 10:00   Z",
                                                      "2024-01-01 10:00   Été", "2024-01-02 10:00   b"}));
    EXPECT_EQ(list.indexOf("2024-01-01 10:00   z"), 1u);
    EXPECT_FALSE(list.indexOf("2024-01-03"));
    EXPECT_EQ(list.at(3), "2024-01-02 10:00   b");
    EXPECT_THROW(list.at(4), std::out_of_range);
}

TEST(FoundListTest, AgreesWithASortedSetAcrossManyChunks) {
    std::mt19937 rng(42);
    std::set<std::string, utf8::FoldedLess> reference;
    FoundList list;
    const char* letters[] = {"a", "B", "é", "É", "z", "0", " ", "Œ", "œ"};
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        for (int k = 0; k < 6; ++k) line += letters[rng() % 9];
        EXPECT_EQ(list.insert(line), reference.insert(line).second) << line;
    }
    ASSERT_EQ(list.size(), reference.size());
    EXPECT_TRUE(std::equal(list.begin(), list.end(), reference.begin(), reference.end()));
    std::size_t i = 0;
    for (const auto& line : reference) {
        if (i % 97 == 0) {
            EXPECT_EQ(list.at(i), line);
            EXPECT_EQ(list.indexOf(line), i);
        }
        ++i;
    }
}

TEST(FoundListTest, EraseRemovesTheGivenPositionsOnce) {
    FoundList list;
    for (int i = 0; i < 3000; ++i) list.insert("line " + std::to_string(10000 + i));
    list.erase({2999, 0, 1500, 1500, 7});
    EXPECT_EQ(list.size(), 2996u);
    EXPECT_EQ(list.at(0), "line 10001");
    EXPECT_FALSE(list.contains("line 11500"));
    EXPECT_FALSE(list.contains("line 12999"));
    EXPECT_TRUE(list.contains("line 11501"));
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), utf8::FoldedLess{}));
    list.erase({});
    EXPECT_EQ(list.size(), 2996u);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
}

TEST(FoundListTest, BatchesAgreeWithLineByLineInsertion) {
    std::mt19937 rng(7);
    const char* letters[] = {"a", "B", "é", "É", "z", "0", " ", "Œ", "œ", "b"};
    FoundList batched, single;
    for (int round = 0; round < 60; ++round) {
        // Batches from a few lines to several chunks' worth, overlapping what is already listed.
        std::vector<std::string> batch(1 + rng() % (round % 3 == 0 ? 1500 : 40));
        for (auto& line : batch)
            for (int k = 0; k < 5; ++k) line += letters[rng() % 10];
        std::size_t addedOneByOne = 0;
        for (const auto& line : batch) addedOneByOne += single.insert(line) ? 1 : 0;
        EXPECT_EQ(batched.insert(batch), addedOneByOne);
        ASSERT_EQ(batched.size(), single.size());
    }
    EXPECT_TRUE(std::equal(batched.begin(), batched.end(), single.begin(), single.end()));
    for (std::size_t i = 0; i < batched.size(); i += 101) EXPECT_EQ(batched.indexOf(batched.at(i)), i);
}

TEST(FoundListTest, ABatchKeepsTheSpellingSeenFirst) {
    FoundList list;
    list.insert("2024-01-01 10:00   Alien.avi");
    EXPECT_EQ(
        list.insert(std::vector<std::string>{"2024-01-01 10:00   ALIEN.AVI", "2024-01-01 10:00   brazil.mkv",
                                             "2024-01-01 10:00   Brazil.MKV", "2023-05-05 09:00   x.mp3"}),
        2u);
    EXPECT_EQ(list.lines(),
              (std::vector<std::string>{"2023-05-05 09:00   x.mp3", "2024-01-01 10:00   Alien.avi",
                                        "2024-01-01 10:00   brazil.mkv"}));
    EXPECT_EQ(list.insert(std::vector<std::string>{}), 0u);
}
