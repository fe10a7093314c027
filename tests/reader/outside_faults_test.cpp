// Faults that come from outside the document: what the path names, and a
// file that changes while it is read. Each ends in a clean result.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "load_document.h"

namespace {

int32_t LoadPath(const char* path) {
    MQOLoader loader;
    return loader.Load(path);
}

const std::string kTwoObjects = kHeader +
                                "Object \"a\" {\n\tvertex 1 {\n\t\t1 2 3\n\t}\n}\n"
                                "Unknown\n" +
                                std::string(65536, '\n') +  // past any read-ahead of the C library
                                "Object \"b\" {\n\tvertex 1 {\n\t\t4 5 6\n\t}\n}\nEof\n";

// The sink runs while the file is being read: the "Unknown" chunk's report
// arrives after object "a" and before object "b".
struct ChangeWhileReading {
    std::string path;
    off_t keep = -1;  // truncate to this length, or unlink when -1
    bool done = false;
};

void ChangeFile(void* user, const char*) {
    auto* change = static_cast<ChangeWhileReading*>(user);
    if (change->done) return;
    change->done = true;
    if (change->keep >= 0) {
        ASSERT_EQ(truncate(change->path.c_str(), change->keep), 0);
    } else {
        ASSERT_EQ(unlink(change->path.c_str()), 0);
    }
}

}  // namespace

TEST(OutsideFaults, PathsThatNameNoDocumentFail) {
    EXPECT_EQ(LoadPath("/tmp"), 0);            // a directory
    EXPECT_EQ(LoadPath("/proc/self/mem"), 0);  // opens, but every read fails
    EXPECT_EQ(LoadPath("/nonexistent/x.mqo"), 0);
    TempFile empty("");
    EXPECT_EQ(LoadPath(empty.path().c_str()), 0);
    TempFile zeros(std::string(4096, '\0'));
    EXPECT_EQ(LoadPath(zeros.path().c_str()), 0);

    // A path longer than the loader holds is refused, not cut to another file.
    std::string long_path = "/tmp/" + std::string(1100, 'x') + ".mqo";
    MQOLoader loader;
    EXPECT_EQ(loader.Load(long_path.c_str()), 0);
    EXPECT_STREQ(loader.path, "");
}

TEST(OutsideFaults, FileTruncatedWhileReadingEndsWhereTheDataEnds) {
    TempFile file(kTwoObjects);
    const off_t keep = static_cast<off_t>(kTwoObjects.find("Object \"b\""));
    ChangeWhileReading change{file.path(), keep};
    MQOLoader loader;
    loader.sink = MQOMessageSink::ForUser(&change, ChangeFile);
    int32_t result = loader.Load(file.path().c_str());

    // The same as reading the shorter file from the start, with the one read
    // that found no byte giving the byte 0, as a read past the end does.
    LoadedDocument shorter(kTwoObjects.substr(0, static_cast<size_t>(keep)) + '\0');
    EXPECT_EQ(result, shorter.result);
    EXPECT_EQ(loader.GetModel()->ObjectCount(), 1);
}

TEST(OutsideFaults, FileRemovedWhileReadingIsReadToItsEnd) {
    TempFile file(kTwoObjects);
    ChangeWhileReading change{file.path(), -1};
    MQOLoader loader;
    loader.sink = MQOMessageSink::ForUser(&change, ChangeFile);
    EXPECT_EQ(loader.Load(file.path().c_str()), 1);
    ASSERT_EQ(loader.GetModel()->ObjectCount(), 2);
    EXPECT_EQ(loader.GetModel()->ObjectAt(1)->VertexAt(0), Point3f(4, 5, 6));
}
