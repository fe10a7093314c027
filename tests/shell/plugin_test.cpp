#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shell/module_resources.h"
#include "shell/plugin_main.h"
#include "shell/varnel.h"
#include "shell/varnel_class_desc.h"

namespace {

class Plugin : public ::testing::Test {
   protected:
    void SetUp() override { DllMain(VarnelModuleHandle(), DLL_PROCESS_ATTACH, nullptr); }
};

TEST_F(Plugin, LibraryFunctionsOfferOneImporter) {
    EXPECT_EQ(LibNumberClasses(), 1);
    EXPECT_EQ(LibClassDesc(0), &VarnelClassDescInstance());
    EXPECT_EQ(LibClassDesc(1), nullptr);
    EXPECT_EQ(LibClassDesc(-1), nullptr);
    EXPECT_EQ(LibVersion(), 0x23281500ul);
    ASSERT_NE(LibDescription(), nullptr);
    EXPECT_GT(std::string(LibDescription()).size(), 0u);
}

TEST_F(Plugin, DescriptorAnswers) {
    ClassDesc2* desc = LibClassDesc(0);
    EXPECT_EQ(desc->IsPublic(), 1);
    EXPECT_STREQ(desc->ClassName(), "Varnel");
    EXPECT_EQ(desc->SuperClassID(), 0xA10u);
    EXPECT_EQ(desc->ClassID(), Class_ID(0x0786A33C, 0x492BE6F7));
    ASSERT_NE(desc->Category(), nullptr);
    EXPECT_GT(std::string(desc->Category()).size(), 0u);
    EXPECT_STREQ(desc->InternalName(), "Varnel");
    EXPECT_EQ(desc->HInstance(), VarnelModuleHandle());
    EXPECT_EQ(desc->BeginCreate(nullptr), 0);
    EXPECT_EQ(desc->EndCreate(nullptr), 0);
}

TEST_F(Plugin, CreateMakesAnImporterForMqoFiles) {
    std::unique_ptr<SceneImport> importer(static_cast<SceneImport*>(LibClassDesc(0)->Create()));
    ASSERT_NE(dynamic_cast<Varnel*>(importer.get()), nullptr);
    EXPECT_EQ(importer->ExtCount(), 1);
    EXPECT_STREQ(importer->Ext(0), "MQO");
    EXPECT_STREQ(importer->Ext(5), "MQO");
    EXPECT_STREQ(importer->LongDesc(), "Metasequoia File");
    EXPECT_STREQ(importer->ShortDesc(), "Metasequoia");
    EXPECT_STREQ(importer->AuthorName(), "");
    EXPECT_STREQ(importer->CopyrightMessage(), "");
    EXPECT_STREQ(importer->OtherMessage1(), "");
    EXPECT_STREQ(importer->OtherMessage2(), "");
    EXPECT_EQ(importer->Version(), 108u);
    EXPECT_EQ(importer->ZoomExtents(), -1);
    importer->ShowAbout(nullptr);
}

TEST_F(Plugin, ControlsAreInitialisedAtTheFirstAttachOnly) {
    DllMain(VarnelModuleHandle(), DLL_PROCESS_DETACH, nullptr);
    DllMain(VarnelModuleHandle(), DLL_PROCESS_ATTACH, nullptr);
    EXPECT_EQ(CustomControlsInitCount(), 1);
    EXPECT_EQ(CommonControlsInitCount(), 1);
}

TEST_F(Plugin, GetStringSharesOneBufferAndNeedsTheInstance) {
    const TCHAR* first = GetString(3);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "Varnel");
    EXPECT_EQ(GetString(4), first);
    EXPECT_STREQ(first, "Parameters");
    EXPECT_STREQ(GetString(5), "Spin");
    EXPECT_EQ(GetString(6), nullptr);

    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    EXPECT_EQ(GetString(3), nullptr);
    EXPECT_EQ(LibDescription(), nullptr);
    EXPECT_EQ(LibClassDesc(0)->ClassName(), nullptr);
}

TEST(LoadString, CutsAtAWholeCharacterAndAnswersTheLength) {
    char buffer[4];
    EXPECT_EQ(LoadStringA(VarnelModuleHandle(), 3, buffer, sizeof buffer), 3);
    EXPECT_STREQ(buffer, "Var");
    EXPECT_EQ(LoadStringA(VarnelModuleHandle(), 99, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(LoadStringA(VarnelModuleHandle(), 3, buffer, 0), 0);
}

}  // namespace
