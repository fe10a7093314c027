#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/mqo_loader.h"
#include "reader/report.h"

namespace {

TEST(Loader, StartsEmpty) {
    MQOLoader loader;
    ASSERT_NE(loader.GetModel(), nullptr);
    EXPECT_EQ(loader.GetModel()->ObjectCount(), 0);
    EXPECT_EQ(loader.GetModel()->MaterialCount(), 0);
    EXPECT_EQ(loader.flags, 0u);
    EXPECT_EQ(loader.sink.callback, nullptr);
    EXPECT_EQ(loader.sink.user, nullptr);
    EXPECT_STREQ(loader.path, "");
    EXPECT_EQ(loader.line, 1);
    EXPECT_EQ(loader.stream.stream, nullptr);
}

TEST(Loader, FlagSettersIgnoreTheirArgument) {
    MQOLoader loader;
    loader.SetFreezeCatmull(0);
    EXPECT_EQ(loader.flags, MQOLoader::kFreezeCatmull);
    loader.SetFreezeMirror(0);
    EXPECT_EQ(loader.flags, 3u);
    MQOLoader mirror_only;
    mirror_only.SetFreezeMirror(7);
    EXPECT_EQ(mirror_only.flags, MQOLoader::kFreezeMirror);
}

std::vector<std::string> text_only_calls;
void RecordText(const char* text) {
    text_only_calls.emplace_back(text);
}

struct UserCall {
    void* user;
    std::string text;
};
std::vector<UserCall> user_calls;
void RecordUserText(void* user, const char* text) {
    user_calls.push_back({user, text});
}

TEST(Loader, SinkIsCalledWithOrWithoutAUserValue) {
    text_only_calls.clear();
    user_calls.clear();
    MQOLoader loader;
    loader.Report("dropped %d", 0);  // no callback: formatted and dropped

    loader.sink = MQOMessageSink::ForText(RecordText);
    loader.Report("one %d", 1);
    ASSERT_EQ(text_only_calls.size(), 1u);
    EXPECT_EQ(text_only_calls[0], "one 1\n");

    int owner = 0;
    loader.sink = MQOMessageSink::ForUser(&owner, RecordUserText);
    loader.Report("two");
    ASSERT_EQ(user_calls.size(), 1u);
    EXPECT_EQ(user_calls[0].user, &owner);
    EXPECT_EQ(user_calls[0].text, "two\n");
    EXPECT_EQ(text_only_calls.size(), 1u);
}

TEST(Loader, ModelGoesWithTheLoader) {
    user_calls.clear();
    int owner = 0;
    {
        MQOLoader loader;
        loader.GetModel()->message_sink = MQOMessageSink::ForUser(&owner, RecordUserText);
        SetReportModel(loader.GetModel());
        ReportModel("while loading");
        EXPECT_EQ(user_calls.size(), 1u);
    }
    ReportModel("after the loader");  // must not reach the destroyed model
    EXPECT_EQ(user_calls.size(), 1u);
}

}  // namespace
