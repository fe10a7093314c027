// The window the loader reads through: a file taken in blocks of any size,
// and bytes in memory, must read exactly as the table read byte by byte does,
// messages and their lines included, where the window meets its edges: a
// step back over a block's start, raw BVertex bytes taken from the stream
// after text, and the end of the data right after them.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "load_document.h"

namespace {

enum class Way { kOneByte, kBlocks, kMemory };

struct Outcome {
    int32_t result = 0;
    std::vector<std::string> messages;
    std::vector<uint32_t> positions;  // every vertex coordinate's bits

    bool operator==(const Outcome&) const = default;
};

Outcome Load(const TempFile& file, const std::string& text, Way way, size_t block_size = 1) {
    MessageLog log;
    MQOLoader loader;
    loader.sink = log.Sink();
    loader.one_byte_reads = way == Way::kOneByte;
    loader.window_block_size = block_size;
    Outcome outcome;
    outcome.result = way == Way::kMemory
                         ? loader.LoadBytes(file.path().c_str(), text.data(), text.size())
                         : loader.Load(file.path().c_str());
    outcome.messages = log.texts;
    for (const auto& object : loader.GetModel()->objects) {
        for (int i = 0; i < object->VertexCount(); ++i) {
            const Point3f p = object->VertexAt(i);
            for (float v : {p.x, p.y, p.z}) outcome.positions.push_back(std::bit_cast<uint32_t>(v));
        }
    }
    return outcome;
}

// Each document read byte by byte, then in memory and in blocks of sizes
// that put a block's edge on every byte of the short documents.
void ExpectAlike(const Outcome& got, const Outcome& expected, const std::string& way) {
    EXPECT_EQ(got.result, expected.result) << way;
    EXPECT_EQ(got.messages, expected.messages) << way;
    EXPECT_EQ(got.positions, expected.positions) << way;
}

void ExpectEveryWayAlike(const std::string& text) {
    const TempFile file(text);
    const Outcome expected = Load(file, text, Way::kOneByte);
    ExpectAlike(Load(file, text, Way::kMemory), expected, "memory");
    for (size_t block : {1, 2, 3, 5, 8, 13, 64, 65536}) {
        ExpectAlike(Load(file, text, Way::kBlocks, block), expected,
                    "blocks of " + std::to_string(block));
    }
}

std::string VectorBlock(const std::vector<float>& values) {
    std::string bytes;
    for (float v : values) bytes += LittleEndian(v);
    return bytes;
}

}  // namespace

TEST(Window, StepsBackOverBlockEdgesAsTheTableDoes) {
    // An exponent given up puts back three bytes, a newline among them; a
    // line of text cut off before Eof is told with the line of its last byte.
    ExpectEveryWayAlike(Doc("Object \"a\" {\n\tvertex 2 {\n\t\t1e+\n2 3\n4.5e-x 5 6\n\t}\n}\n"));
    ExpectEveryWayAlike(kHeader + "Object \"a\" {\n\tvertex 1 {\n\t\t1 2 3\n");
    ExpectEveryWayAlike(kHeader + "Object \"a\" {\n\tvertex 1 {\n\t\t1 2 3e\n");
}

TEST(Window, ReadsBVertexBytesAfterTextAndTextAfterThem) {
    // Newline bytes that raw bytes must not count, one the last byte of a
    // document cut off right after the block.
    const float newlines = std::bit_cast<float>(uint32_t{0x0A0A0A0A});
    const std::string vectors = VectorBlock({1.5f, -2.25f, newlines, 4, 5, newlines});
    const std::string object =
        "Object \"b\" {\n\tBVertex 2 {\n\t\tvector 2 [24]\n" + vectors + "\n\t}\n\tvisible 15\n}\n";
    ExpectEveryWayAlike(Doc(object + object));
    ExpectEveryWayAlike(kHeader + "Object \"b\" {\n\tBVertex 2 {\n\t\tvector 2 [24]\n" + vectors);
    // A block that claims more bytes than arrive.
    ExpectEveryWayAlike(kHeader + "Object \"b\" {\n\tBVertex 2 {\n\t\tvector 2 [24]\n" +
                        vectors.substr(0, 13));
}
