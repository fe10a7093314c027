// Documents made to flood the user with messages or to act on the terminal
// that shows what the command prints.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "run_varnel.h"
#include "support/test_support.h"

namespace {

const std::string kHeader = "Metasequoia Document\nFormat Text Ver 1.0\n";

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t Lines(const std::string& text) {
    return size_t(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

// Garbage outside any block and NUL bytes are told a token at a time, as a
// thumbnail is; each run shows as its first line and a count. The dump keeps
// the first 10,000 messages and counts the rest in a last entry; import,
// which shows its messages as it ends, keeps as many lines.
TEST(MessageFlood, RunsOfUnknownTokensFoldAndOnlyTheFirstMessagesAreKept) {
    TempFile doc(kHeader + "a b c d\nScene {\n\tbank 0\n}\n" + std::string(20000, '\0'));
    const std::string& path = doc.path();
    const std::string told = "[a]対応外のチャンクです (and 3 more unknown tokens)\n" + path +
                             "(5) : [bank]対応外のSceneチャンクです\n" +
                             "[]対応外のチャンクです (and 19999 more unknown tokens)\n" + path +
                             "(7) : Eofの前でファイルが終わっています\n";
    const VarnelRun read = RunVarnel("read --json " + path);
    EXPECT_EQ(read.err, told + "obj(0),mtl(0),surf(0),vert(0),poly(0):" + path + "\n");
    const nlohmann::json messages = nlohmann::json::parse(read.out)["messages"];
    ASSERT_EQ(messages.size(), 10001u);
    EXPECT_EQ(messages[0], "[a]対応外のチャンクです");
    EXPECT_EQ(messages[10000], "... 10007 more messages");  // of 20,007
    EXPECT_EQ(RunVarnel("import " + path).err, told);

    // Unknown keywords of a chunk each name their line, so none fold.
    std::string keywords = kHeader + "Scene {\n";
    for (int i = 0; i < 10005; ++i) keywords += "x\n";
    TempFile many(keywords + "}\nEof\n");
    const VarnelRun shown = RunVarnel("import " + many.path());
    EXPECT_EQ(Lines(shown.err), 10001u);
    EXPECT_TRUE(Has(shown.err, "(10003) : [x]対応外のSceneチャンクです\n... 5 more messages\n"));
}

// 200 MB of NUL bytes made as many messages, all held: under a 600 MB limit
// the command aborted. Now memory stays with the document, and what does
// run out (a model of four million faces takes about 700 MB) ends the
// command in one line, not an abort.
TEST(MessageFlood, FloodsUnderAnAddressSpaceLimitEndInAFewLinesNeverInAnAbort) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
    TempFile nuls(kHeader);
    const VarnelRun flood =
        RunVarnel("read " + nuls.path(),
                  "head -c 30000000 /dev/zero >> " + nuls.path() + " && ulimit -v 400000;");
    EXPECT_EQ(flood.status, 0);
    EXPECT_EQ(Lines(flood.err), 3u) << flood.err.substr(0, 1000);
    EXPECT_TRUE(Has(flood.err, "[]対応外のチャンクです (and 29999999 more unknown tokens)\n"));

    std::string faces =
        kHeader + "Object \"o\" {\n\tvertex 1 {\n\t\t0 0 0\n\t}\n\tface 4000000 {\n";
    for (int i = 0; i < 4'000'000; ++i) faces += "3\n";
    TempFile big(faces + "\t}\n}\nEof\n");
    const VarnelRun out_of_memory = RunVarnel("read --json " + big.path(), "ulimit -v 600000;");
    EXPECT_EQ(out_of_memory.status, 1);
    EXPECT_EQ(out_of_memory.err, "varnel: out of memory\n");
}

// Names, first lines, tokens and file names reach the terminal through the
// messages, import's summary and convert's progress and summary: a title
// sequence and a C1 control (U+009B, CSI) are shown escaped there, and as
// JSON escapes them in the dumps.
TEST(TerminalText, ControlBytesOfADocumentReachNoTerminal) {
    const std::string sequence = "\x1b]0;PWNED\x07\x1b[2J\xc2\x9b";
    const std::string escaped = "\\x1b]0;PWNED\\x07\\x1b[2J\\x9b";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("varnel-tty-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "in");
    const std::string named = (dir / "in" / ("a" + sequence + ".mqo")).string();
    std::ofstream(named) << "Metasequoia Document" + sequence + "\nFormat Text Ver 1.0\n" +
                                "CodePage utf8\n" + sequence + "\nObject \"" + sequence +
                                "\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t0 1 0\n\t}\n"
                                "\tface 1 {\n\t\t3 V(0 1 2)\n\t}\n}\nEof\n";
    const std::string refused = (dir / "in" / "b.mqo").string();
    std::ofstream(refused) << sequence + " Foo\nBar\n";

    const std::string quoted = "'" + named + "'";
    for (const std::string& command :
         {"read --json " + quoted, "read " + refused, "import " + quoted, "import " + refused,
          "import --json " + quoted, "convert -o " + (dir / "out").string() + " " + dir.string()}) {
        SCOPED_TRACE(command);
        const VarnelRun run = RunVarnel(command);
        for (const std::string& text : {run.out, run.err}) {
            EXPECT_EQ(text.find_first_of("\x1b\x07"), std::string::npos) << text;
            EXPECT_FALSE(Has(text, "\xc2\x9b")) << text;
        }
        EXPECT_TRUE(Has(run.err, "\\x1b]0;PWNED\\x07\\x1b[2J")) << run.err;
        if (Has(command, "--json")) {
            EXPECT_TRUE(Has(run.out, "\"\\u001b]0;PWNED\\u0007\\u001b[2J")) << run.out;
        }
        if (command == "read --json " + quoted) {
            EXPECT_TRUE(Has(run.out, "[2J\\u009b\"")) << run.out;
        }
        if (command == "import " + quoted) {
            EXPECT_TRUE(Has(run.out, "imported " + (dir / "in" / "a").string() + escaped));
        }
        if (command[0] == 'c') {
            EXPECT_TRUE(Has(run.err, "converted " + (dir / "in" / "a").string() + escaped));
            EXPECT_TRUE(Has(run.out, "  " + (dir / "in" / "a").string() + escaped + ".mqo\n"));
            EXPECT_TRUE(Has(run.out, "\n    [\\x1b]0;PWNED")) << run.out;
        }
    }
    std::filesystem::remove_all(dir);
}
