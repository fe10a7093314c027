#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "host/max.h"
#include "model/memory_budget.h"
#include "shell/module_resources.h"
#include "shell/plugin_main.h"
#include "shell/resource.h"
#include "shell/varnel.h"
#include "support/test_support.h"

namespace {

// Both freezes on a mirrored object, a Catmull-Clark surface with vertex
// colours and an object of its own, with a textured material and another.
// The names are long enough for the host to allocate them.
const char kSmallDocument[] =
    "Metasequoia Document\nFormat Text Ver 1.0\n"
    "Material 2 {\n"
    "\t\"wood\" col(0.5 0.25 1.0 1.0) tex(\"wood.bmp\")\n"
    "\t\"stone\" col(0.2 0.2 0.2 1.0)\n"
    "}\n"
    "Object \"first of the objects\" {\n\tmirror 1\n\tmirror_axis 1\n"
    "\tvertex 4 {\n\t\t1 0 0\n\t\t2 0 0\n\t\t2 1 0\n\t\t1 1 0\n\t}\n"
    "\tface 1 {\n\t\t4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)\n\t}\n}\n"
    "Object \"second of the objects\" {\n\tpatch 3\n\tsegment 1\n"
    "\tvertex 5 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t1 1 0\n\t\t2 0 1\n\t\t2 1 1\n\t}\n"
    "\tvertexattr {\n\t\tcolor {\n\t\t\t1 4278190335\n\t\t}\n\t}\n"
    "\tface 2 {\n\t\t3 V(0 1 2) M(1)\n\t\t4 V(1 3 4 2) M(0) UV(0 0 1 0 1 1 0 1)\n\t}\n}\n"
    "Object \"third of the objects\" {\n"
    "\tvertex 3 {\n\t\t0 0 0\n\t\t0 1 0\n\t\t0 0 1\n\t}\n"
    "\tface 1 {\n\t\t3 V(0 1 2)\n\t}\n}\n"
    "Eof\n";

// One object: a grid of n by n quads off every mirror plane, mirrored on
// all three axes and subdivided four times.
std::string MirroredSurfaceGrid(int n) {
    return GridDocument(n, "\tpatch 3\n\tsegment 4\n\tmirror 1\n\tmirror_axis 7\n", 1);
}

// Answers the options dialog from a fixed list, allocating nothing, so
// that an allocation made to fail is always one of the import's own.
class FixedAnswers {
   public:
    // The default boxes have Freeze Mirror ticked and Freeze Catmull not.
    FixedAnswers(bool freeze_mirror, bool freeze_catmull) {
        if (!freeze_mirror) inputs_[count_++] = {DialogKey::kClick, IDC_FREEZE_MIRROR};
        if (freeze_catmull) inputs_[count_++] = {DialogKey::kClick, IDC_FREEZE_CATMULL};
        inputs_[count_++] = {DialogKey::kEnter, 0};
        previous_ = SetDialogUser({this, Next, nullptr});
    }
    ~FixedAnswers() { SetDialogUser(previous_); }
    FixedAnswers(const FixedAnswers&) = delete;
    FixedAnswers& operator=(const FixedAnswers&) = delete;

   private:
    static DialogInput Next(void* user, HWND) {
        auto* self = static_cast<FixedAnswers*>(user);
        return self->next_ < self->count_ ? self->inputs_[self->next_++] : DialogInput{};
    }
    DialogInput inputs_[3];
    int count_ = 0;
    int next_ = 0;
    DialogUser previous_;
};

// Keeps the last message in a buffer of its own, allocating nothing.
struct LastMessage {
    char text[1024] = {};
    MQOMessageSink Sink() {
        return MQOMessageSink::ForUser(this, [](void* user, const char* message) {
            auto* self = static_cast<LastMessage*>(user);
            std::snprintf(self->text, sizeof self->text, "%s", message);
        });
    }
};

// Sets an environment variable while it lives.
class ScopedVariable {
   public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedVariable() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

   private:
    const char* name_;
    std::optional<std::string> old_;
};

Mesh& MeshOf(const INode* node) {
    return static_cast<TriObject*>(node->GetObjectRef())->mesh;
}

// Whether two nodes carry the same name, material use and mesh.
void ExpectSameNode(const INode* got, const INode* want) {
    EXPECT_STREQ(got->GetName(), want->GetName());
    EXPECT_EQ(got->GetMtl() == nullptr, want->GetMtl() == nullptr);
    ASSERT_NE(got->GetObjectRef(), nullptr);
    const Mesh& a = MeshOf(got);
    const Mesh& b = MeshOf(want);
    EXPECT_EQ(a.verts, b.verts);
    ASSERT_EQ(a.faces.size(), b.faces.size());
    for (size_t f = 0; f < a.faces.size(); ++f) {
        EXPECT_EQ(std::memcmp(&a.faces[f], &b.faces[f], sizeof(Face)), 0) << "face " << f;
    }
    EXPECT_EQ(a.tVerts, b.tVerts);
    EXPECT_EQ(a.vertCol, b.vertCol);
    EXPECT_EQ(a.tvFace.size(), b.tvFace.size());
    EXPECT_EQ(a.vcFace.size(), b.vcFace.size());
}

class ImportMemory : public ::testing::Test {
   protected:
    void SetUp() override { DllMain(VarnelModuleHandle(), DLL_PROCESS_ATTACH, nullptr); }

    // Imports with both freezes, or with none.
    int Import(Varnel& varnel, HostScene& host, const TempFile& file, bool freeze) {
        FixedAnswers answers(freeze, freeze);
        return varnel.DoImport(file.path().c_str(), host.GetImpInterface(), host.GetInterface());
    }
};

std::string OutOfMemoryText(const std::string& path) {
    return path + Utf8ToCp932(" : メモリが足りないため読み込みを中止しました\n");
}

}  // namespace

// Every allocation of one whole import, made to fail in turn: the import
// returns 0 with its message and throws nothing, the host's scene holds only
// nodes that are whole (those of the objects before the failure, as the
// import without failure made them), and everything else is released, which
// the AddressSanitizer build checks for leaks. Past the last allocation the
// import succeeds.
TEST_F(ImportMemory, RunningOutAtAnyAllocationEndsTheImportWithOnlyWholeNodes) {
    TempFile file(kSmallDocument);
    HostScene reference;
    Varnel first;
    ASSERT_EQ(Import(first, reference, file, true), 1);
    // Counted on a second import: the first also makes what lives on
    // after it, such as the dialog's window class.
    size_t allocations = 0;
    {
        HostScene host;
        Varnel varnel;
        AllocationCounter counter;
        ASSERT_EQ(Import(varnel, host, file, true), 1);
        allocations = counter.Count().allocations;
    }
    ASSERT_EQ(reference.SceneNodes().size(), 3u);
    const std::string message = OutOfMemoryText(file.path());

    std::vector<bool> nodes_seen(4, false);  // failures after 0, 1 and 2 whole nodes
    for (size_t n = 1; n <= allocations + 1; ++n) {
        SCOPED_TRACE("failing from allocation " + std::to_string(n) + " of " +
                     std::to_string(allocations));
        HostScene host;
        Varnel varnel;
        LastMessage last;
        varnel.messages = last.Sink();
        int result = -1;
        {
            AllocationCounter counter(n);
            result = Import(varnel, host, file, true);
        }
        const std::vector<INode*>& nodes = host.SceneNodes();
        ASSERT_LE(nodes.size(), reference.SceneNodes().size());
        nodes_seen[nodes.size()] = true;
        for (size_t k = 0; k < nodes.size(); ++k) {
            ExpectSameNode(nodes[k], reference.SceneNodes()[k]);
        }
        if (n > allocations) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(nodes.size(), 3u);
            continue;
        }
        ASSERT_EQ(result, 0);
        EXPECT_EQ(last.text, message);
    }
    EXPECT_EQ(nodes_seen, std::vector<bool>(4, true));
}

// The freeze that would take hundreds of megabytes is refused on its
// forecast: the import fails with a message naming the object, the freeze,
// the bytes and the budget, and what it allocated stays within the budget.
TEST_F(ImportMemory, FreezeOverTheBudgetIsRefusedBeforeItAllocates) {
    ScopedVariable budget("VARNEL_MEMORY_BUDGET", "8M");
    TempFile large(MirroredSurfaceGrid(32));
    HostScene host;
    Varnel varnel;
    MessageLog log;
    varnel.messages = log.Sink();
    AllocationCount count;
    {
        AllocationCounter counter;
        EXPECT_EQ(Import(varnel, host, large, true), 0);
        count = counter.Count();
    }
    ASSERT_EQ(log.texts.size(), 1u);
    const std::string text = Cp932ToUtf8(log.texts[0]);
    EXPECT_EQ(text.rfind("[grid]Freeze Catmull : メモリが足りません(必要 ", 0), 0u) << text;
    EXPECT_NE(text.find("、上限 8388608 バイト)\n"), std::string::npos) << text;
    EXPECT_TRUE(host.SceneNodes().empty());
    EXPECT_LT(count.peak, size_t(8) << 20);
    EXPECT_LT(count.largest, size_t(1) << 20);
}

// The variable takes bytes, or a number, whole or not, with a unit as people
// write them; anything else is told and left out, and the import goes on
// with the machine's default.
TEST_F(ImportMemory, BudgetVariableTakesTheCommonSpellingsAndIgnoresTheRestWithAMessage) {
    const struct {
        const char* text;
        std::optional<uint64_t> bytes;
    } cases[] = {
        {"1", 1},
        {"64K", 64u << 10},
        {"3m", uint64_t(3) << 20},
        {"2G", uint64_t(2) << 30},
        {"18446744073709551615", UINT64_MAX},
        {"17179869183G", uint64_t(17179869183) << 30},
        {"50MB", uint64_t(50) << 20},
        {"50MiB", uint64_t(50) << 20},
        {"50 mb", uint64_t(50) << 20},
        {"0.05G", uint64_t(53687091)},  // 0.05 x 2^30 = 53687091.2
        {"1.5g", uint64_t(3) << 29},
        {"0.9999999999T", uint64_t(1099511626676)},  // nine digits kept
        {"4096B", 4096},
        {"0", std::nullopt},
        {"0.0000000001G", std::nullopt},
        {"", std::nullopt},
        {"12MBs", std::nullopt},
        {"1.G", std::nullopt},
        {"1P", std::nullopt},
        {" 12", std::nullopt},
        {"-1", std::nullopt},
        {"18446744073709551616", std::nullopt},
        {"17179869184G", std::nullopt},
    };
    for (const auto& c : cases) {
        uint64_t bytes = 0;
        EXPECT_EQ(ParseMemoryBudget(c.text, bytes), c.bytes.has_value()) << "\"" << c.text << "\"";
        if (c.bytes) {
            EXPECT_EQ(bytes, *c.bytes) << c.text;
        }
    }

    ScopedVariable budget("VARNEL_MEMORY_BUDGET", "12 apples");
    TempFile file(kSmallDocument);
    HostScene host;
    Varnel varnel;
    MessageLog log;
    varnel.messages = log.Sink();
    EXPECT_EQ(Import(varnel, host, file, true), 1);
    EXPECT_EQ(host.SceneNodes().size(), 3u);
    ASSERT_FALSE(log.texts.empty());
    EXPECT_EQ(log.texts[0],
              Utf8ToCp932("VARNEL_MEMORY_BUDGET[12 apples]は不正な値なので無視します\n"));
}
