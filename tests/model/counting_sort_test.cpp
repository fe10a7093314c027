#include "model/counting_sort.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// Sorts (key, item) pairs by key through the two passes, as the mesh passes do.
std::pair<std::vector<uint32_t>, std::vector<char>> Group(
    const std::vector<std::pair<size_t, char>>& pairs, size_t key_count) {
    std::vector<uint32_t> start{7, 7, 7};  // stale offsets of an earlier use
    CountKeys(start, key_count, [&](auto count) {
        for (const auto& [key, item] : pairs) count(key);
    });
    std::vector<char> items(start.back(), '?');
    PlaceByKey(start, [&](auto place) {
        for (const auto& [key, item] : pairs) items[place(key)] = item;
    });
    return {start, items};
}

}  // namespace

TEST(CountingSort, GroupsItemsByKeyKeepingTheirOrder) {
    // Keys 1 and 3 are empty, and the last key is used, so that both ends and
    // the gaps of the offsets are exercised.
    const auto [start, items] =
        Group({{4, 'a'}, {0, 'b'}, {2, 'c'}, {4, 'd'}, {0, 'e'}, {2, 'f'}, {4, 'g'}}, 5);
    EXPECT_EQ(start, (std::vector<uint32_t>{0, 2, 2, 4, 4, 7}));
    EXPECT_EQ(items, (std::vector<char>{'b', 'e', 'c', 'f', 'a', 'd', 'g'}));

    const auto [no_start, no_items] = Group({}, 3);
    EXPECT_EQ(no_start, (std::vector<uint32_t>{0, 0, 0, 0}));
    EXPECT_TRUE(no_items.empty());
}
