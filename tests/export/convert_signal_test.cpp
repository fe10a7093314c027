// `varnel convert` stopped from outside: by the signals a terminal or a
// system sends, which it answers by killing its children, removing what they
// were writing and telling what it did; and outright, when its children die
// with it and the next run removes their leftovers. Also the children's
// share of memory and descriptors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_varnel.h"
#include "model/memory_budget.h"
#include "support/child_events.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// dir/in/NAME.mqo, a document that converts.
void WriteCube(const TempDir& dir, const std::string& name) {
    WriteFile(dir / ("in/" + name + ".mqo"), ReadFile(SamplesDir() + "/cube.mqo"));
}

// dir/in/NAME.mqo as a named pipe: the child importing it waits in its
// read until the pipe goes.
std::unique_ptr<HeldPipe> HeldDocument(const TempDir& dir, const std::string& name) {
    fs::create_directories(dir / "in");
    return std::make_unique<HeldPipe>(dir / ("in/" + name + ".mqo"));
}

// The documents dir/in/NAME.mqo, named one by one: a walk of the folder
// would refuse the pipes.
std::vector<std::string> Documents(const TempDir& dir, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(dir / ("in/" + name + ".mqo"));
    return paths;
}

// The fields of /proc/PID/stat after the command name: state, parent...
std::vector<std::string> StatFields(pid_t pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t name_end = stat.rfind(')');
    std::vector<std::string> fields;
    if (name_end == std::string::npos) return fields;
    std::istringstream rest(stat.substr(name_end + 1));
    for (std::string field; rest >> field && fields.size() < 2;) fields.push_back(field);
    return fields;
}

// Not there, or dead and waiting for a parent to reap it.
bool Gone(pid_t pid) {
    const std::vector<std::string> fields = StatFields(pid);
    return fields.size() < 2 || fields[0] == "Z";
}

// The live children of pid that run `varnel import`, past their exec.
std::vector<pid_t> ImportChildren(pid_t parent) {
    std::vector<pid_t> children;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = pid_t(std::stol(name));
        const std::vector<std::string> fields = StatFields(pid);
        if (fields.size() < 2 || fields[0] == "Z" || fields[1] != std::to_string(parent)) continue;
        if (ReadFile("/proc/" + name + "/cmdline").find(std::string("import\0", 7)) !=
            std::string::npos) {
            children.push_back(pid);
        }
    }
    return children;
}

// The value NAME has in the environment of process pid; empty when unset.
std::string EnvironmentValue(pid_t pid, const std::string& name) {
    std::istringstream entries(ReadFile("/proc/" + std::to_string(pid) + "/environ"));
    for (std::string entry; std::getline(entries, entry, '\0');) {
        if (entry.rfind(name + "=", 0) == 0) return entry.substr(name.size() + 1);
    }
    return "";
}

// The names in dir that start with '.', such as temporaries.
std::vector<std::string> HiddenNames(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name[0] == '.') names.push_back(name);
    }
    return names;
}

size_t CountFiles(const std::string& dir, const std::string& extension) {
    size_t count = 0;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        count += it->path().extension() == extension;
    }
    return count;
}

struct JobSettings {
    std::string budget;   // VARNEL_MEMORY_BUDGET; unset when empty
    int descriptors = 0;  // the limit of open descriptors, with only 0 to 2 open; 0: as is
};

// `varnel convert` started as a shell starts a job: in a process group of
// its own, so that a signal can reach it alone or with its children.
class ConvertJob {
   public:
    ConvertJob(const TempDir& dir, const std::vector<std::string>& options,
               const std::vector<std::string>& documents, const JobSettings& settings = {})
        : out_path_(dir / "job.out"), err_path_(dir / "job.err") {
        std::vector<std::string> argv = {VARNEL_EXE, "convert"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.insert(argv.end(), documents.begin(), documents.end());
        std::vector<std::string> env;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (std::string(*entry).rfind("VARNEL_MEMORY_BUDGET=", 0) != 0) env.push_back(*entry);
        }
        if (!settings.budget.empty()) env.push_back("VARNEL_MEMORY_BUDGET=" + settings.budget);
        std::vector<char*> argv_p, env_p;
        for (std::string& arg : argv) argv_p.push_back(arg.data());
        for (std::string& entry : env) env_p.push_back(entry.data());
        argv_p.push_back(nullptr);
        env_p.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            const int out = open(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
            if (settings.descriptors > 0) {
                for (int fd = 3; fd < 1024; ++fd) close(fd);
                const rlimit limit{rlim_t(settings.descriptors), rlim_t(settings.descriptors)};
                if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(126);
            }
            execve(argv_p[0], argv_p.data(), env_p.data());
            _exit(126);
        }
        if (pid_ > 0) setpgid(pid_, pid_);  // whichever of the two runs first
    }

    ~ConvertJob() {
        if (pid_ > 0 && status_ == kRunning) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    ConvertJob(const ConvertJob&) = delete;
    ConvertJob& operator=(const ConvertJob&) = delete;

    pid_t pid() const { return pid_; }

    // Whether it has ended; it is reaped then.
    bool Ended() {
        int status = 0;
        if (status_ == kRunning && waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return status_ != kRunning;
    }

    // Its exit status, or -1 when a signal ended it or it ran past the
    // longest wait.
    int Wait() {
        return PollUntil([this] { return Ended(); }) ? status_ : -1;
    }

    std::string Out() const { return ReadFile(out_path_); }
    std::string Err() const { return ReadFile(err_path_); }

   private:
    static constexpr int kRunning = -2;
    std::string out_path_, err_path_;
    pid_t pid_ = -1;
    int status_ = kRunning;
};

// Waits until a child of the job reads each pipe, so that each is held
// there; false as soon as the job ends without.
bool AllRead(const std::vector<std::unique_ptr<HeldPipe>>& pipes, ConvertJob& job) {
    return std::all_of(pipes.begin(), pipes.end(), [&](const auto& pipe) {
        return pipe->WaitForReader([&] { return job.Ended(); });
    });
}

// A temporary of the export that process pid makes, as a child killed
// while it wrote would leave it in dir.
std::string TemporaryOf(const std::string& dir, pid_t pid) {
    const std::string name = ".varnel-tmp-" + std::to_string(pid) + "-d.glb.ZIYMFC";
    WriteFile(dir + "/" + name, "partial");
    return name;
}

TEST(ConvertInterrupted, EachStopSignalKillsTheChildrenRemovesTheirTemporariesAndTellsWhatWasDone) {
    // Ctrl-C reaches the whole group; kill and a closed terminal the parent.
    const std::vector<std::pair<int, bool>> cases = {
        {SIGINT, true}, {SIGTERM, false}, {SIGHUP, false}};
    for (const auto& [signal, to_group] : cases) {
        SCOPED_TRACE(strsignal(signal));
        TempDir dir;
        // Two at a time: a converts, b and c are held reading, d waits its turn.
        WriteCube(dir, "a");
        WriteCube(dir, "d");
        std::vector<std::unique_ptr<HeldPipe>> held;
        held.push_back(HeldDocument(dir, "b"));
        held.push_back(HeldDocument(dir, "c"));
        const std::string out = dir / "out";
        ConvertJob job(dir, {"-j", "2", "-o", out}, Documents(dir, {"a", "b", "c", "d"}));
        ASSERT_TRUE(AllRead(held, job)) << job.Out() << job.Err();
        const std::vector<pid_t> children = ImportChildren(job.pid());
        ASSERT_EQ(children.size(), 2u);
        for (const pid_t child : children) TemporaryOf(out, child);
        const std::string not_a_child = TemporaryOf(out, getpid());
        ASSERT_EQ(kill(to_group ? -job.pid() : job.pid(), signal), 0);

        EXPECT_EQ(job.Wait(), 128 + signal);
        EXPECT_NE(job.Out().find("converted 1, skipped 0 (up to date), failed 0, interrupted 3\n"),
                  std::string::npos)
            << job.Out();
        for (const pid_t child : children) EXPECT_TRUE(Gone(child)) << child;
        EXPECT_EQ(HiddenNames(out), std::vector<std::string>{not_a_child});
        EXPECT_EQ(CountFiles(out, ".glb"), 1u);
        EXPECT_EQ(ReadFile(out + "/a.glb").substr(0, 4), "glTF");
    }
}

TEST(ConvertInterrupted,
     ChildrenDieWithAParentKilledOutrightAndTheNextRunRemovesOnlyTheirLeftovers) {
    TempDir dir;
    std::vector<std::unique_ptr<HeldPipe>> held;
    held.push_back(HeldDocument(dir, "a"));
    held.push_back(HeldDocument(dir, "b"));
    const std::string out = dir / "out";
    ConvertJob job(dir, {"-j", "2", "-o", out}, Documents(dir, {"a", "b"}));
    ASSERT_TRUE(AllRead(held, job)) << job.Out() << job.Err();
    const std::vector<pid_t> children = ImportChildren(job.pid());
    ASSERT_EQ(children.size(), 2u);
    ASSERT_EQ(kill(job.pid(), SIGKILL), 0);
    EXPECT_EQ(job.Wait(), -1);
    // Orphans would wait on their pipes for ever.
    EXPECT_TRUE(PollUntil([&] { return std::all_of(children.begin(), children.end(), Gone); }));

    // Beside a file of a dead writer: one of a live writer (this test) and
    // names that lack the marker or its shape.
    TemporaryOf(out, children[0]);
    const std::string live = ".varnel-tmp-" + std::to_string(getpid()) + "-s2.glb.ZIYMFC";
    const std::vector<std::string> kept = {live, ".s3.glb.ZIYMFC", ".varnel-tmp-x-s4.glb.ZIYMFC",
                                           ".varnel-tmp-" + std::to_string(children[0]) + "-"};
    for (const std::string& name : kept) WriteFile(out + "/" + name, "not ours to remove");
    const VarnelRun run = RunVarnel("convert -o " + out + " " + SamplesDir() + "/cube.mqo");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    std::vector<std::string> hidden = HiddenNames(out);
    std::sort(hidden.begin(), hidden.end());
    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(hidden, expected);
    EXPECT_TRUE(fs::exists(out + "/cube.glb"));
}

// Read from each child as it waits on its document.
TEST(ConvertCommand, ChildrenRunningAtOnceShareTheDefaultMemoryBudgetUnlessTheUserSetsOne) {
    {
        TempDir dir;
        std::vector<std::unique_ptr<HeldPipe>> held;
        for (const char* name : {"a", "b", "c"}) held.push_back(HeldDocument(dir, name));
        // More slots than documents: the three share it.
        ConvertJob job(dir, {"-j", "8", "-o", dir / "out"}, Documents(dir, {"a", "b", "c"}));
        ASSERT_TRUE(AllRead(held, job)) << job.Out() << job.Err();
        const std::vector<pid_t> children = ImportChildren(job.pid());
        ASSERT_EQ(children.size(), 3u);
        for (const pid_t child : children) {
            EXPECT_EQ(EnvironmentValue(child, "VARNEL_MEMORY_BUDGET"),
                      std::to_string(DefaultMemoryBudget() / 3));
        }
    }
    TempDir dir;
    std::vector<std::unique_ptr<HeldPipe>> held;
    held.push_back(HeldDocument(dir, "a"));
    WriteCube(dir, "b");
    ConvertJob job(dir, {"-j", "2", "-o", dir / "out"}, Documents(dir, {"a", "b"}), {"64M"});
    ASSERT_TRUE(AllRead(held, job)) << job.Out() << job.Err();
    const std::vector<pid_t> children = ImportChildren(job.pid());
    ASSERT_FALSE(children.empty());
    EXPECT_EQ(EnvironmentValue(children[0], "VARNEL_MEMORY_BUDGET"), "64M");
}

// Every child holds a descriptor of the parent's; past the limit the next
// one waits for a child to end, and with none running, a document fails
// saying why.
TEST(ConvertCommand, ManyJobsUnderALowDescriptorLimitWaitForRoomAndFailOnlyWhenNoneIsLeft) {
    TempDir dir;
    for (int k = 1; k <= 30; ++k) {
        WriteFile(dir / ("in/d" + std::to_string(k) + ".mqo"),
                  ReadFile(SamplesDir() + "/six_colours.mqo"));
    }
    // As `ulimit -n 12` would, but without a descriptor the test inherited.
    ConvertJob many(dir, {"-j", "50", "-o", dir / "out"}, {dir / "in"}, {"", 12});
    EXPECT_EQ(many.Wait(), 0) << many.Out() << many.Err();
    EXPECT_NE(many.Out().find("converted 30, skipped 0 (up to date), failed 0\n"),
              std::string::npos)
        << many.Out();
    EXPECT_EQ(CountFiles(dir / "out", ".glb"), 30u);

#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers' checks of memory make a pipe of their own: with no
    // room for one they fail before the command can tell.
    GTEST_SKIP() << "a document failing for want of descriptors: not under the sanitizers";
#endif
    // One descriptor beyond the standard three: no pipe fits.
    ConvertJob few(dir, {"-o", dir / "out4"}, {dir / "in/d1.mqo", dir / "in/d2.mqo"}, {"", 4});
    EXPECT_EQ(few.Wait(), 1) << few.Err();
    EXPECT_NE(few.Out().find("failed 2\nfailed:\n  " + dir / "in/d1.mqo\n    cannot make a pipe: "),
              std::string::npos)
        << few.Out();
}

}  // namespace
