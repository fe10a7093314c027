// The module as the system loads it: its four exports and what they answer,
// and the resources that the resource compiler put into it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loaded_module.h"

namespace {

class ModuleTest : public ::testing::Test {
   protected:
    void SetUp() override { ASSERT_NE(module.handle, nullptr) << "Varnel.dli did not load"; }
    LoadedModule module;
};

TEST_F(ModuleTest, ExportsAnswerAsTheHostExpects) {
    auto lib_description = module.Export<const char* (*)()>("LibDescription");
    auto lib_number_classes = module.Export<int (*)()>("LibNumberClasses");
    auto lib_class_desc = module.Export<ClassDesc2* (*)(int)>("LibClassDesc");
    auto lib_version = module.Export<ULONG (*)()>("LibVersion");
    ASSERT_NE(lib_description, nullptr);
    ASSERT_NE(lib_number_classes, nullptr);
    ASSERT_NE(lib_class_desc, nullptr);
    ASSERT_NE(lib_version, nullptr);

    EXPECT_EQ(lib_version(), 0x23281500ul);
    EXPECT_EQ(lib_number_classes(), 1);
    EXPECT_STREQ(lib_description(), "Metasequoia file importer (Varnel)");
    EXPECT_NE(lib_class_desc(0), nullptr);
    EXPECT_EQ(lib_class_desc(1), nullptr);
    EXPECT_EQ(lib_class_desc(-1), nullptr);
}

// The texts come from the string table through the instance handle that the
// system gave the initialisation entry.
TEST_F(ModuleTest, DescriptorNamesTheImporter) {
    ClassDesc2* desc = module.ClassDesc();
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->IsPublic(), 1);
    EXPECT_EQ(desc->SuperClassID(), 0xA10u);
    EXPECT_TRUE(desc->ClassID() == Class_ID(0x0786A33C, 0x492BE6F7));
    EXPECT_STREQ(desc->ClassName(), "Varnel");
    EXPECT_STREQ(desc->Category(), "Scene Import");
    EXPECT_STREQ(desc->InternalName(), "Varnel");
    EXPECT_EQ(desc->HInstance(), module.handle);
}

TEST_F(ModuleTest, ImporterMadeByTheDescriptor) {
    ClassDesc2* desc = module.ClassDesc();
    ASSERT_NE(desc, nullptr);
    SceneImport* importer = static_cast<SceneImport*>(desc->Create());
    ASSERT_NE(importer, nullptr);
    EXPECT_EQ(importer->ExtCount(), 1);
    EXPECT_STREQ(importer->Ext(5), "MQO");
    EXPECT_STREQ(importer->LongDesc(), "Metasequoia File");
    EXPECT_EQ(importer->Version(), 108u);
    // No name: nothing is asked and nothing imported.
    EXPECT_EQ(importer->DoImport(nullptr, nullptr, nullptr), 0);
    delete importer;
}

std::string VersionText(const std::vector<char>& block, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || length == 0) return {};
    return static_cast<const char*>(value);
}

TEST_F(ModuleTest, VersionBlockNamesThePluginFile) {
    const std::string path = ProgramFolder() + "Varnel.dli";
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00030000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00030000u);

    EXPECT_EQ(VersionText(block, "OriginalFilename"), "Varnel.dli");
    EXPECT_EQ(VersionText(block, "InternalName"), "Varnel");
    EXPECT_EQ(VersionText(block, "ProductName"), "3D Studio MAX");
    EXPECT_EQ(VersionText(block, "FileVersion"), "3.0.0.0");
}

TEST_F(ModuleTest, StringTableIsUsEnglish) {
    // Strings 0 to 15 make block 1 of the table.
    EXPECT_NE(FindResourceExA(module.handle, RT_STRING, MAKEINTRESOURCEA(1),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
              nullptr);
    const std::pair<UINT, const char*> expected[] = {{3, "Varnel"}, {4, "Parameters"}, {5, "Spin"}};
    for (const auto& [id, text] : expected) {
        char buffer[256] = {};
        EXPECT_GT(LoadStringA(module.handle, id, buffer, sizeof buffer), 0) << id;
        EXPECT_STREQ(buffer, text) << id;
    }
}

// Reads an extended dialog template word by word.
struct TemplateReader {
    const WORD* at;
    WORD Word() { return *at++; }
    DWORD Dword() {
        const DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    std::u16string Text() {
        std::u16string text;
        while (*at != 0) text += static_cast<char16_t>(Word());
        ++at;
        return text;
    }
};

// The resource compiler must have read the script's Japanese font name in
// code page 932; in any other it would come out garbled.
TEST_F(ModuleTest, DialogTemplateIsJapaneseWithItsFont) {
    HRSRC found = FindResourceExA(module.handle, RT_DIALOG, MAKEINTRESOURCEA(102),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(found, nullptr);
    TemplateReader in{static_cast<const WORD*>(LockResource(LoadResource(module.handle, found)))};
    EXPECT_EQ(in.Word(), 1);       // version
    EXPECT_EQ(in.Word(), 0xFFFF);  // extended template
    in.Dword();                    // help id
    EXPECT_EQ(in.Dword(), 0u);     // extended style
    EXPECT_EQ(in.Dword(), 0x80C800C0u);
    EXPECT_EQ(in.Word(), 6);  // items
    const WORD box[] = {0, 0, 151, 85};
    for (WORD expected : box) EXPECT_EQ(in.Word(), expected);
    EXPECT_EQ(in.Word(), 0);  // no menu
    EXPECT_EQ(in.Word(), 0);  // the system's dialog class
    EXPECT_EQ(in.Text(), u"Varnel");
    EXPECT_EQ(in.Word(), 9);  // points
    EXPECT_EQ(in.Word(), 0);  // weight
    EXPECT_EQ(in.Word(), 0);  // italic 0, character set 0
    EXPECT_EQ(in.Text(), u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");  // ＭＳ Ｐゴシック
}

}  // namespace
