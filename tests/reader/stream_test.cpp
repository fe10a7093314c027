#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "reader/mqo_stream.h"
#include "support/test_support.h"

namespace {

// A stream opened on a file holding the given bytes.
struct OpenStream {
    TempFile file;
    MQOStream stream;
    MQOStreamHandle h;

    explicit OpenStream(const std::string& content) : file(content) {
        EXPECT_EQ(stream.Open(&h, file.path().c_str()), 1);
    }
};

// One byte read the way the tokenizer reads it.
int ReadByte(const MQOStreamHandle& h) {
    unsigned char c = 0;
    EXPECT_EQ(h.ops->read(h.stream, &c, 1), 1);
    return c;
}

TEST(Stream, EmptyFileOpensAtItsEnd) {
    OpenStream open("");
    MQOStream& stream = open.stream;
    const MQOStreamHandle& h = open.h;
    EXPECT_EQ(h.stream, &stream);
    EXPECT_EQ(stream.mode, 1);
    EXPECT_STREQ(h.ops->name(h.stream), open.file.path().c_str());
    EXPECT_NE(h.ops->at_end(h.stream), 0);
    EXPECT_EQ(ReadByte(h), 0);
}

TEST(Stream, EndTestAndStepBackAtTheLastByte) {
    OpenStream open("ab");
    const MQOStreamHandle& h = open.h;
    EXPECT_EQ(ReadByte(h), 'a');
    EXPECT_EQ(h.ops->at_end(h.stream), 0);
    EXPECT_EQ(ReadByte(h), 'b');
    EXPECT_NE(h.ops->at_end(h.stream), 0);
    h.ops->skip(h.stream, -1);
    EXPECT_EQ(h.ops->at_end(h.stream), 0);
    EXPECT_EQ(ReadByte(h), 'b');
    EXPECT_NE(h.ops->at_end(h.stream), 0);
    EXPECT_EQ(ReadByte(h), 0);  // a read at the end leaves the zeroed byte
    EXPECT_EQ(h.ops->tell(h.stream), 2);
}

TEST(Stream, StepsBackSeveralBytesAndReadsBlocksInStep) {
    OpenStream open("0123456789");
    const MQOStreamHandle& h = open.h;
    for (int i = 0; i < 5; ++i) ReadByte(h);
    h.ops->skip(h.stream, -1);
    h.ops->skip(h.stream, -1);
    h.ops->skip(h.stream, -1);
    EXPECT_EQ(h.ops->tell(h.stream), 2);
    EXPECT_EQ(ReadByte(h), '2');
    h.ops->skip(h.stream, -1);
    char block[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(h.ops->read(h.stream, block, 3), 1);
    EXPECT_EQ(std::string(block, 4), "234x");
    h.ops->skip(h.stream, 2);
    EXPECT_EQ(ReadByte(h), '7');
    h.ops->seek(h.stream, 1);
    EXPECT_EQ(ReadByte(h), '1');
    h.ops->skip(h.stream, -10);  // before the start: stays where it is
    EXPECT_EQ(h.ops->tell(h.stream), 2);
    EXPECT_EQ(ReadByte(h), '2');
}

TEST(Stream, ShortBlockReadKeepsTheRestOfTheBuffer) {
    OpenStream open("abc");
    const MQOStreamHandle& h = open.h;
    ReadByte(h);
    char block[5] = {'1', '2', '3', '4', '5'};
    EXPECT_EQ(h.ops->read(h.stream, block, 5), 1);
    EXPECT_EQ(std::string(block, 5), "bc345");
    EXPECT_NE(h.ops->at_end(h.stream), 0);
}

TEST(Stream, OperationsOnAnOpenFile) {
    OpenStream open("hello");
    MQOStream& stream = open.stream;
    const MQOStreamHandle& h = open.h;
    ReadByte(h);
    EXPECT_EQ(h.ops->size(h.stream), 5);
    EXPECT_EQ(h.ops->tell(h.stream), 1);  // size moves back where it was
    EXPECT_EQ(ReadByte(h), 'e');
    h.ops->nop(h.stream);
    EXPECT_EQ(h.ops->is_open(h.stream), 1);
    EXPECT_EQ(h.ops->write(h.stream, "x", 1), 1);
    h.ops->set_name(h.stream, "other");
    EXPECT_STREQ(h.ops->name(h.stream), "other");
    EXPECT_EQ(h.ops->close(h.stream), 0);
    EXPECT_EQ(stream.file, nullptr);
    EXPECT_EQ(stream.mode, 1);
}

TEST(Stream, ClosedStreamAnswers) {
    MQOStream never;
    TempFile file("abc");
    MQOStream closed;
    MQOStreamHandle h;
    ASSERT_EQ(closed.Open(&h, file.path().c_str()), 1);
    h.ops->close(h.stream);
    for (MQOStream* s : {&never, &closed}) {
        char buffer[2] = {'q', 'q'};
        EXPECT_EQ(h.ops->read(s, buffer, 2), 0);
        EXPECT_EQ(buffer[0], 'q');
        EXPECT_EQ(h.ops->write(s, "x", 1), 0);
        h.ops->seek(s, 1);
        h.ops->skip(s, 1);
        EXPECT_EQ(h.ops->tell(s), 0);
        EXPECT_EQ(h.ops->size(s), 0);
        EXPECT_EQ(h.ops->at_end(s), 1);
        EXPECT_EQ(h.ops->is_open(s), 0);
        EXPECT_EQ(h.ops->close(s), 0);
        h.ops->set_name(s, "named");
        EXPECT_STREQ(h.ops->name(s), "named");
    }
}

TEST(Stream, FailedOpensLeaveTheHandleUnfilled) {
    MQOStream stream;
    MQOStreamHandle h;
    std::snprintf(stream.name, sizeof stream.name, "kept");
    EXPECT_EQ(stream.Open(&h, nullptr), 0);
    EXPECT_STREQ(stream.name, "kept");
    EXPECT_EQ(stream.Open(&h, "/nonexistent/dir/file.mqo"), 0);
    EXPECT_EQ(stream.file, nullptr);
    EXPECT_EQ(stream.mode, 0);
    EXPECT_EQ(h.stream, nullptr);
    EXPECT_EQ(h.ops, nullptr);
}

TEST(Stream, PathLongerThanTheNameIsRefused) {
    // Opening a cut path would open another file; the name keeps what fits.
    std::string path = "/tmp/" + std::string(1100, 'a');
    MQOStream stream;
    MQOStreamHandle h;
    EXPECT_EQ(stream.Open(&h, path.c_str()), 0);
    EXPECT_EQ(stream.file, nullptr);
    EXPECT_EQ(std::string(stream.name), path.substr(0, 1023));
    EXPECT_EQ(h.ops, nullptr);
}

TEST(Stream, SomethingThatReadsNothingReachesItsEnd) {
    // A directory opens "rb" on this system but yields no byte; the end test
    // must turn true so that no reader waits forever.
    MQOStream stream;
    MQOStreamHandle h;
    if (stream.Open(&h, "/tmp") == 0) GTEST_SKIP() << "directories do not open here";
    for (int i = 0; i < 3 && h.ops->at_end(h.stream) == 0; ++i) ReadByte(h);
    EXPECT_NE(h.ops->at_end(h.stream), 0);
}

// Every move stays within the lent bytes: a step before the start is refused
// as the file refuses it, one past the end stops there, and a block read
// takes what is left. Nothing is written into the bytes, and closing lets
// them go.
TEST(Stream, BytesInMemoryAreReadWithinTheirBounds) {
    const std::string bytes = "0123456789";
    MQOStream stream;
    MQOStreamHandle h;
    ASSERT_EQ(stream.OpenBytes(&h, bytes.data(), 6, "doc.mqo"), 1);
    EXPECT_STREQ(h.ops->name(h.stream), "doc.mqo");
    EXPECT_EQ(h.ops->size(h.stream), 6);
    EXPECT_EQ(ReadByte(h), '0');
    h.ops->skip(h.stream, -10);
    EXPECT_EQ(h.ops->tell(h.stream), 1);
    h.ops->skip(h.stream, 100);
    EXPECT_EQ(h.ops->tell(h.stream), 6);
    EXPECT_NE(h.ops->at_end(h.stream), 0);
    h.ops->seek(h.stream, 3);
    char block[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(h.ops->read(h.stream, block, 5), 1);
    EXPECT_EQ(std::string(block, 5), "345xx");  // the lent size ends the data, not the string
    EXPECT_EQ(h.ops->write(h.stream, "y", 1), 0);
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_EQ(h.ops->close(h.stream), 0);
    EXPECT_EQ(h.ops->is_open(h.stream), 0);
    EXPECT_EQ(h.ops->read(h.stream, block, 1), 0);
    EXPECT_NE(h.ops->at_end(h.stream), 0);

    MQOStreamHandle refused;
    EXPECT_EQ(stream.OpenBytes(&refused, nullptr, 0, "doc.mqo"), 0);
    EXPECT_EQ(stream.OpenBytes(&refused, bytes.data(), 1, std::string(1100, 'a').c_str()), 0);
    EXPECT_EQ(refused.ops, nullptr);
}

TEST(Stream, DisposalClosesOnlyWhatIsStillOpen) {
    TempFile file("abc");
    {
        MQOStream stream;
        MQOStreamHandle h;
        ASSERT_EQ(stream.Open(&h, file.path().c_str()), 1);
        EXPECT_EQ(h.ops->close(h.stream), 0);
        EXPECT_EQ(stream.file, nullptr);
    }  // already closed: disposal must not close again (the sanitizer build sees it)
    {
        MQOStream stream;
        MQOStreamHandle h;
        ASSERT_EQ(stream.Open(&h, file.path().c_str()), 1);
    }  // still open: disposal closes it (the sanitizer build reports a leak otherwise)
}

}  // namespace
