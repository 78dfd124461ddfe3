// The import sorts' buffer against the plain order of (key, record number)
// pairs, on keys that its sixteen-byte heads cannot tell apart alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "store/sort_buffer.h"

namespace {

TEST(SortBuffer, OrdersLikeTheKeysThemselvesAtEveryLength) {
    const std::string n16 = "0123456789ABCDEF";
    std::vector<std::pair<std::string, int32_t>> rows = {
        {n16, 4}, {n16 + "1", 3}, {n16 + "0", 9}, {n16 + "0", 2}, {n16, 1},     // past the head
        {"A", 5}, {std::string("A\0", 2), 6}, {std::string("A\0\0", 3), 7},       // NUL bytes
        {"A", 0}, {"", 8}, {"\xFF", 10}, {"\x80", 11}, {"a", 12}, {"B", 13},     // codes above 127
        {"         1234", 14}, {"         1233", 15}, {"1234", 16},               // right-aligned codes
        {n16 + n16 + "Z", 17}, {n16 + n16 + "Y", 18}, {"0123456789ABCDEE", 19},
    };
    // And random keys from a small alphabet, so that long shared starts are common.
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        std::string key(rng() % 24, 'x');
        for (char& c : key) c = "AB\0\xE9"[rng() % 4];
        rows.emplace_back(key, static_cast<int32_t>(100 + i));
    }
    SortBuffer buffer;
    for (const auto& [key, number] : rows) buffer.Add(key, number);
    buffer.Sort();
    std::sort(rows.begin(), rows.end());  // std::string compares bytes as unsigned
    ASSERT_EQ(buffer.Rows(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(buffer.Key(i), rows[i].first) << i;
        ASSERT_EQ(buffer.Number(i), rows[i].second) << i;
        if (i > 0) {
            ASSERT_EQ(buffer.SameKey(i - 1, i), rows[i - 1].first == rows[i].first) << i;
        }
    }
}

}  // namespace
