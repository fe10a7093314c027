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
    loader.Report(MessageCode::kVertexWithoutEdge, 0);  // no callback: formatted and dropped

    loader.sink = MQOMessageSink::ForText(RecordText);
    loader.Report(MessageCode::kVertexWithoutEdge, 1);
    ASSERT_EQ(text_only_calls.size(), 1u);
    EXPECT_EQ(text_only_calls[0], "v[1]:edge_null\n");

    int owner = 0;
    loader.sink = MQOMessageSink::ForUser(&owner, RecordUserText);
    loader.Report(MessageCode::kTrace, "two");
    ASSERT_EQ(user_calls.size(), 1u);
    EXPECT_EQ(user_calls[0].user, &owner);
    EXPECT_EQ(user_calls[0].text, "two\n");
    EXPECT_EQ(text_only_calls.size(), 1u);
}

// A program that shows messages tells them apart by kind and line, never by
// their bytes; the text it gets is the one a text sink gets.
TEST(Loader, MessageSinkGetsEachMessagesKindLineAndSubject) {
    std::vector<MQOMessage> got;
    std::vector<std::string> texts, subjects;
    struct Seen {
        std::vector<MQOMessage>& got;
        std::vector<std::string>& texts;
        std::vector<std::string>& subjects;
    } seen{got, texts, subjects};
    MQOLoader loader;
    loader.sink = MQOMessageSink::ForMessages(&seen, [](void* user, const MQOMessage& message) {
        auto& s = *static_cast<Seen*>(user);
        s.got.push_back(message);
        s.texts.push_back(message.text);
        s.subjects.push_back(message.subject);
    });
    const std::string document =
        "Metasequoia Document\nFormat Text Ver 1.0\n\nstray\nMaterial 1 {\n\"m\" col(1 1 1 1)"
        " bogus(1)\n}\nEof\n";
    ASSERT_EQ(loader.LoadBytes("a.mqo", document.data(), document.size()), 1);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].code, MessageCode::kUnknownToken);
    EXPECT_EQ(got[0].line, 4);
    EXPECT_EQ(subjects[0], "stray");
    EXPECT_EQ(texts[0],
              "[stray]\x91\xce\x89\x9e\x8aO\x82\xcc\x83`\x83\x83\x83\x93\x83N\x82\xc5\x82\xb7\n");
    EXPECT_EQ(got[1].code, MessageCode::kUnknownKeyword);
    EXPECT_EQ(got[1].line, 6);
    EXPECT_EQ(subjects[1], "");
    EXPECT_EQ(got[2].code, MessageCode::kSummary);
    EXPECT_EQ(texts[2], "obj(0),mtl(1),surf(0),vert(0),poly(0):a.mqo\n");
}

TEST(Loader, ModelGoesWithTheLoader) {
    user_calls.clear();
    int owner = 0;
    {
        MQOLoader loader;
        loader.GetModel()->message_sink = MQOMessageSink::ForUser(&owner, RecordUserText);
        SetReportModel(loader.GetModel());
        ReportModel(MessageCode::kVertexWithoutEdge, 1);
        EXPECT_EQ(user_calls.size(), 1u);
    }
    ReportModel(MessageCode::kVertexWithoutEdge, 2);  // must not reach the destroyed model
    EXPECT_EQ(user_calls.size(), 1u);
}

}  // namespace
