// A stable counting sort of items by a small integer key: the grouping by
// vertex, by hash bucket or by patch that the mesh passes make over every
// face or corner of large meshes. Two linear passes over the items, where a
// comparison sort would dominate those passes, and one offset array that the
// caller owns, so that it can reuse it and lay out the items as it likes.
//
//     std::vector<uint32_t> start;
//     CountKeys(start, key_count, [&](auto count) { for (...) count(key); });
//     items.resize(start.back());
//     PlaceByKey(start, [&](auto place) { for (...) items[place(key)] = item; });
//
// after which key k's items, in the order they were placed, are items[start[k]]
// up to items[start[k + 1]]. Both passes must give the same keys in the same
// order.
//
// Each count sits two slots above its key, so that after the sums the slot
// just above a key is where its next item goes; placing moves it on to the
// end of the key's items, which is where the next key's begin. The offsets
// are then final without a copy of them as write cursors.
#pragma once

#include <cstddef>
#include <vector>

// Makes start the write positions for PlaceByKey of the keys, each in
// [0, key_count), that for_each_key hands to its argument. start.back() is
// then the number of items.
template <typename Offset, typename ForEachKey>
void CountKeys(std::vector<Offset>& start, size_t key_count, ForEachKey&& for_each_key) {
    start.assign(key_count + 2, Offset(0));
    for_each_key([&start](size_t key) { ++start[key + 2]; });
    for (size_t k = 2; k < start.size(); ++k) start[k] += start[k - 1];
}

// Hands for_each_key's argument the same keys again; it returns where each
// item goes. Leaves start with key_count + 1 offsets.
template <typename Offset, typename ForEachKey>
void PlaceByKey(std::vector<Offset>& start, ForEachKey&& for_each_key) {
    for_each_key([&start](size_t key) { return start[key + 1]++; });
    start.pop_back();
}
