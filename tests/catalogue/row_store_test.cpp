#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "catalogue/row_store.h"

using namespace verdan;

namespace {

std::vector<std::string> rowsOf(const RowStore& store) {
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < store.size(); ++i) rows.emplace_back(store.row(i));
    return rows;
}

// Rows of many lengths, empty ones and some longer than the blocks of the test's reorders, then
// edits that move some of them to the end, so that the rows no longer lie in their order.
struct MixedStore {
    RowStore store{RowStore::kMarkSpare};
    std::vector<std::string> rows;

    MixedStore() {
        std::mt19937 random(7);
        for (int i = 0; i < 3000; ++i) {
            std::size_t length = random() % 180;
            if (i % 97 == 0) length = 1500 + random() % 1500;
            if (i % 89 == 0) length = 0;
            std::string row(length, static_cast<char>('a' + i % 26));
            row += std::to_string(i);
            rows.push_back(row);
            store.push(row);
        }
        for (std::size_t i = 5; i < rows.size(); i += 7) {
            rows[i] += " longer than it was";
            store.set(i, rows[i]);
        }
    }
};

} // namespace

TEST(RowStoreSlices, RowsTakeTheirNewOrderAndStayEditable) {
    MixedStore m;
    std::vector<std::size_t> order(m.rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::shuffle(order.begin(), order.end(), std::mt19937(11));
    std::vector<std::string> expected;
    for (std::size_t i : order) expected.push_back(m.rows[i]);

    // Slices of 16 KB in blocks of 1 KB: dozens of slices, blocks going round, rows of their own.
    m.store.reorderInSlices(order, 16 * 1024, 1024);
    ASSERT_EQ(rowsOf(m.store), expected);
    std::size_t bytes = 0;
    for (const std::string& row : expected) bytes += row.size() + RowStore::kMarkSpare;
    EXPECT_LT(m.store.memoryUsage(), bytes * 3 / 2 + expected.size() * 16) << "the slices' blocks were kept";

    // A mark grows each row into its spare bytes: none may spill into its neighbour.
    for (std::size_t i = 0; i < expected.size(); ++i) {
        m.store.splice(i, expected[i].size(), expected[i].size(), " x");
        expected[i] += " x";
    }
    ASSERT_EQ(rowsOf(m.store), expected);
    // Longer edits, removals (and the compaction they lead to), and a second reorder.
    for (std::size_t i = 0; i < expected.size(); i += 3) {
        expected[i] += std::string(40, '+');
        m.store.set(i, expected[i]);
    }
    std::vector<bool> keep(expected.size(), true);
    for (std::size_t i = 1; i < keep.size(); i += 2) keep[i] = false;
    m.store.keep(keep);
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (keep[i]) kept.push_back(expected[i]);
    ASSERT_EQ(rowsOf(m.store), kept);
    std::vector<std::size_t> reversed(kept.size());
    std::iota(reversed.rbegin(), reversed.rend(), std::size_t{0});
    m.store.reorderInSlices(reversed, 4096, 512);
    std::reverse(kept.begin(), kept.end());
    EXPECT_EQ(rowsOf(m.store), kept);
    m.store.push("last");
    EXPECT_EQ(m.store.row(m.store.size() - 1), "last");
}

TEST(RowStoreSlices, AnOrderThatRepeatsOrLeavesOutRowsIsCopied) {
    MixedStore m;
    m.store.reorderInSlices({3, 3, 0}, 1024, 256);
    EXPECT_EQ(rowsOf(m.store), (std::vector<std::string>{m.rows[3], m.rows[3], m.rows[0]}));
    m.store.set(0, "changed");
    EXPECT_EQ(m.store.row(1), m.rows[3]) << "a row named twice is two rows";
    m.store.reorderInSlices({}, 1024, 256);
    EXPECT_TRUE(m.store.empty());
}

// The header row of a table stays in front of an order of its other rows, without a copy of the
// order; an order that names a row kept in front again is copied, each place its own row.
TEST(RowStoreSlices, TheFirstRowsStayInFrontOfTheOrder) {
    MixedStore m;
    const std::size_t kept = 3;
    std::vector<std::size_t> order(m.rows.size() - kept);
    std::iota(order.begin(), order.end(), kept);
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    std::vector<std::string> expected(m.rows.begin(), m.rows.begin() + kept);
    for (std::size_t i : order) expected.push_back(m.rows[i]);
    m.store.reorderInSlices(order, 16 * 1024, 1024, kept);
    ASSERT_EQ(rowsOf(m.store), expected);

    // Moving only the references, by cycles: a reversal, then a rotation by one.
    std::vector<std::size_t> reversed(order.size());
    std::iota(reversed.rbegin(), reversed.rend(), kept);
    m.store.permute(reversed, kept);
    std::reverse(expected.begin() + kept, expected.end());
    ASSERT_EQ(rowsOf(m.store), expected);
    std::vector<std::size_t> rotated(order.size());
    std::iota(rotated.begin(), rotated.end(), kept + 1);
    rotated.back() = kept;
    m.store.permute(rotated, kept);
    std::rotate(expected.begin() + kept, expected.begin() + kept + 1, expected.end());
    ASSERT_EQ(rowsOf(m.store), expected);

    m.store.reorder({0, 4}, kept);
    ASSERT_EQ(rowsOf(m.store),
              (std::vector<std::string>{expected[0], expected[1], expected[2], expected[0], expected[4]}));
    m.store.set(3, "changed");
    EXPECT_EQ(m.store.row(0), expected[0]);
}

namespace {

TEST(RowStoreKeep, ExactlyTheClearedRowsGoAndTheOthersKeepTheirOrder) {
    // Masks of every shape: none, one, runs, the first and the last row, a mask shorter than the
    // store (the rows it does not name stay), then edits of what is left.
    std::mt19937 random(11);
    for (int round = 0; round < 60; ++round) {
        MixedStore m;
        const std::size_t named = round % 5 == 0 ? m.rows.size() / 2 : m.rows.size();
        std::vector<bool> keep(named, true);
        const int removals = round % 7 == 0 ? 0 : 1 + static_cast<int>(random() % 40);
        for (int k = 0; k < removals; ++k) {
            const std::size_t at = random() % named;
            const std::size_t run = round % 3 == 0 ? 1 + random() % 20 : 1;
            for (std::size_t i = at; i < std::min(named, at + run); ++i) keep[i] = false;
        }
        if (round % 4 == 1) keep.front() = false;
        if (round % 4 == 2) keep.back() = false;
        std::vector<std::string> expected;
        for (std::size_t i = 0; i < m.rows.size(); ++i)
            if (i >= keep.size() || keep[i]) expected.push_back(m.rows[i]);
        m.store.keep(keep);
        ASSERT_EQ(rowsOf(m.store), expected) << round;
        if (!expected.empty()) {
            m.store.set(expected.size() / 2, "modifiée");
            expected[expected.size() / 2] = "modifiée";
            ASSERT_EQ(rowsOf(m.store), expected) << round;
        }
    }
}

} // namespace
