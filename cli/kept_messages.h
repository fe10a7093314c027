// What a command holds of the importer's messages to show or dump later: a
// document can make one message per byte (a file of NUL bytes, a thumbnail
// of garbage), so only the first ones are held in full and the rest counted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// As many as ../shared/dump-format.md lets a dump keep before it counts.
constexpr size_t kKeptMessages = 10000;

struct KeptMessages {
    std::vector<std::string> texts;  // the first kKeptMessages
    size_t dropped = 0;              // those after them

    void Keep(std::string_view text) {
        if (texts.size() < kKeptMessages) {
            texts.emplace_back(text);
        } else {
            ++dropped;
        }
    }
};

// The entry that counts the dropped messages, as the dump format words it.
inline std::string MoreMessages(size_t dropped) {
    return "... " + std::to_string(dropped) + " more messages";
}
