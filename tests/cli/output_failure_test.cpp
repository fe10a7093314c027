// Results that do not arrive make the command fail: standard output that is
// full or closed, exports and previews that cannot be written, and a reader
// that closes its pipe early.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "run_varnel.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const std::string kCube = SamplesDir() + "/cube.mqo";

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A document whose model dump is far larger than a pipe holds.
std::string LongDocument() {
    std::string doc =
        "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\n\tvertex 20000 {\n";
    for (int i = 0; i < 20000; ++i) doc += "\t\t" + std::to_string(i) + " 0.5 0.25\n";
    return doc + "\t}\n}\nEof\n";
}

// varnel read --json writing into a pipe whose reader takes ten bytes and
// closes it; the wait status, and standard error.
struct PipeRun {
    int wait_status = 0;
    std::string err;
};

PipeRun ReadIntoClosedPipe(const std::string& file, bool ignore_sigpipe) {
    TempFile err_file("", ".err");
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        if (ignore_sigpipe) signal(SIGPIPE, SIG_IGN);
        dup2(fds[1], STDOUT_FILENO);
        dup2(open(err_file.path().c_str(), O_WRONLY), STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(VARNEL_EXE, VARNEL_EXE, "read", "--json", file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char head[10];
    EXPECT_EQ(read(fds[0], head, sizeof head), static_cast<ssize_t>(sizeof head));
    close(fds[0]);
    PipeRun run;
    waitpid(pid, &run.wait_status, 0);
    std::ifstream err(err_file.path(), std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    return run;
}

TEST(OutputFailure, FullOrClosedStandardOutputFailsEveryCommandInOneLine) {
    TempFile long_doc(LongDocument());
    struct Case {
        std::string args;
        std::string who;
    };
    for (const Case& c :
         {Case{"read --json " + long_doc.path(), "varnel read"},
          Case{"import --yes --json " + kCube, "varnel import"},
          Case{"import --cancel --json " + kCube, "varnel import"},
          Case{"import --yes " + kCube, "varnel import"}, Case{"--version", "varnel"}}) {
        for (const std::string redirect : {" >/dev/full", " >&-"}) {
            SCOPED_TRACE(c.args + redirect);
            const VarnelRun run = RunVarnel(c.args + redirect);
            EXPECT_EQ(run.status, 1);
            const std::string line =
                c.who + ": cannot write to standard output: " +
                (redirect == " >&-" ? "Bad file descriptor\n" : "No space left on device\n");
            // After the reader's summary line for `read`; told once.
            EXPECT_TRUE(run.err.size() >= line.size() &&
                        run.err.compare(run.err.size() - line.size(), line.size(), line) == 0)
                << run.err;
            EXPECT_EQ(run.err.find("cannot write"), run.err.rfind("cannot write")) << run.err;
        }
    }
    // Without anything to print, a closed standard output is no failure.
    EXPECT_EQ(RunVarnel("read " + kCube + " >&-").status, 0);
}

TEST(OutputFailure, AReaderThatClosesThePipeEndsTheCommandQuietly) {
    TempFile long_doc(LongDocument());
    const PipeRun killed = ReadIntoClosedPipe(long_doc.path(), false);
    EXPECT_TRUE(WIFSIGNALED(killed.wait_status) && WTERMSIG(killed.wait_status) == SIGPIPE)
        << killed.wait_status;
    EXPECT_FALSE(Has(killed.err, "cannot write")) << killed.err;

    const PipeRun ignored = ReadIntoClosedPipe(long_doc.path(), true);
    ASSERT_TRUE(WIFEXITED(ignored.wait_status)) << ignored.wait_status;
    EXPECT_EQ(WEXITSTATUS(ignored.wait_status), 1);
    EXPECT_FALSE(Has(ignored.err, "cannot write")) << ignored.err;
}

// import --yes with one output option, under a file size limit of 512 bytes
// when limited. The showcase's two objects make every output larger than
// that (the cube's OBJ is not).
VarnelRun ImportWith(const std::string& option, const std::string& path, bool limited) {
    return RunVarnel("import --yes " + option + " " + path + " " + SamplesDir() + "/showcase.mqo",
                     limited ? "trap '' XFSZ; ulimit -f 1;" : "");
}

// Exports go through the project's writers or Assimp's, which do not look at
// what their writes answer; the file size limit fails them as a full disk
// would. A folder that is a regular file fails them even for root.
TEST(OutputFailure, ExportsAndPreviewsThatCannotBeWrittenWholeFailAndLeaveNothing) {
    const fs::path dir = fs::temp_directory_path() / ("varnel-out-" + std::to_string(getpid()));
    fs::create_directories(dir);
    TempFile not_a_folder("");
    struct Case {
        const char* option;
        const char* name;
    };
    for (const Case& c : {Case{"--export", "scene.glb"}, Case{"--export", "scene.gltf"},
                          Case{"--export", "scene.obj"}, Case{"--export", "scene.fbx"},
                          Case{"--export", "scene.dae"}, Case{"--export", "scene.ply"},
                          Case{"--export", "scene.stl"}, Case{"--preview", "view.png"}}) {
        SCOPED_TRACE(c.name);
        const std::string full = (dir / c.name).string();
        VarnelRun run = ImportWith(c.option, full, true);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Has(run.err, full + " not written: ")) << run.err;
        EXPECT_TRUE(fs::is_empty(dir)) << run.err;

        const std::string beside = (fs::path(not_a_folder.path()) / c.name).string();
        run = ImportWith(c.option, beside, false);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Has(run.err, beside + " not written: ")) << run.err;
    }
    fs::remove_all(dir);
}

}  // namespace
