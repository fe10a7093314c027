// Streams that cannot tell their size, such as a pipe given as /dev/stdin,
// and bytes already in memory (a document taken out of an archive): every
// document must read from them exactly as from a file, and counts that only
// the size left could check must cost no more than the bytes that come.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "load_document.h"
#include "support/require.h"

namespace {

// While a ceiling is set, a request to operator new above it throws instead
// of taking the memory: a reader that trusts a claimed size fails the test
// without exhausting the machine.
std::atomic<size_t> allocation_ceiling{0};

struct AllocationCeiling {
    explicit AllocationCeiling(size_t bytes) { allocation_ceiling = bytes; }
    ~AllocationCeiling() { allocation_ceiling = 0; }
};

}  // namespace

void* operator new(size_t size) {
    size_t ceiling = allocation_ceiling.load(std::memory_order_relaxed);
    if (ceiling != 0 && size > ceiling) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

// Bytes written into a pipe by a thread of their own. The reader opens the
// pipe by a path, as `varnel read /dev/stdin` does. Closing our read end at
// the end stops a writer whose reader gave up early.
class Pipe {
   public:
    explicit Pipe(std::string bytes) {
        signal(SIGPIPE, SIG_IGN);  // a reader that stops early must not end the test
        if (pipe(fds_) != 0) throw std::runtime_error(std::strerror(errno));
        writer_ = std::thread([fd = fds_[1], bytes = std::move(bytes)] {
            for (size_t done = 0; done < bytes.size();) {
                ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                done += static_cast<size_t>(n);
            }
            close(fd);
        });
    }
    ~Pipe() {
        close(fds_[0]);
        writer_.join();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    std::string path() const { return "/proc/self/fd/" + std::to_string(fds_[0]); }

   private:
    int fds_[2] = {-1, -1};
    std::thread writer_;
};

// One load with everything it gave.
struct Load {
    MessageLog log;
    MQOLoader loader;
    int32_t result = 0;

    explicit Load(const std::string& path) {
        loader.sink = log.Sink();
        result = loader.Load(path.c_str());
    }
    Load(const std::string& path, const std::string& bytes) {
        loader.sink = log.Sink();
        result = loader.LoadBytes(path.c_str(), bytes.data(), bytes.size());
    }
};

template <typename T>
std::string Bytes(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}
template <typename T>
std::string Bytes(const std::vector<T>& values) {
    return std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}
template <typename T>
std::string Bytes(const std::vector<std::unique_ptr<T>>& records) {
    std::string out;
    for (const auto& record : records) out += Bytes(*record);
    return out;
}

// Everything a load gives, as labelled bytes: the records hold 4-byte fields
// only, so their bytes are their values, bit for bit.
std::vector<std::pair<std::string, std::string>> Everything(const Load& load) {
    const MQOModel& model = *load.loader.GetModel();
    std::vector<std::pair<std::string, std::string>> parts = {
        {"result", Bytes(load.result)},
        {"scene", Bytes(model.scene)},
        {"totals", Bytes(std::tuple(model.face_total, model.vertex_total, model.triangle_total))},
        {"materials", Bytes(model.materials)}};
    for (const std::string& text : load.log.texts) parts.emplace_back("message", text);
    for (const auto& o : model.objects) {
        const std::string name = std::string("object ") + o->name;
        parts.emplace_back(
            name, Bytes(std::tuple(o->uid, o->visible, o->locking, o->patch, o->segment, o->shading,
                                   o->facet, o->color, o->color_type, o->mirror, o->mirror_axis,
                                   o->mirror_dis, o->lathe, o->lathe_axis, o->lathe_seg, o->depth,
                                   o->folding, o->scale, o->rotation, o->translation,
                                   o->triangle_count)));
        parts.emplace_back(name + " vertices", Bytes(o->vertices));
        parts.emplace_back(name + " uids", Bytes(o->vertex_uids));
        parts.emplace_back(name + " faces", Bytes(o->faces));
        parts.emplace_back(name + " colours", Bytes(o->vertex_colors));
        parts.emplace_back(name + " weights", Bytes(o->vertex_weights));
    }
    return parts;
}

void ExpectSameLoads(const Load& expected_load, const Load& got_load, const char* source) {
    const auto expected = Everything(expected_load);
    const auto got = Everything(got_load);
    ASSERT_EQ(got.size(), expected.size()) << source;
    for (size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i].first, expected[i].first) << source;
        ASSERT_TRUE(got[i].second == expected[i].second) << source << " differs: " << got[i].first;
    }
}

// Reads the bytes from a file, then from a pipe that a link at the same path
// leads to, so that the messages name the same path, then from memory under
// that path, and compares each with the file.
void ExpectPipeAndMemoryReadAsFile(const std::string& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    const std::string path = std::filesystem::temp_directory_path() /
                             ("varnel-pipe-" + std::to_string(getpid()) + ".mqo");
    std::filesystem::remove(path);
    std::ofstream(path, std::ios::binary) << bytes;
    Load from_file(path);
    std::filesystem::remove(path);
    Pipe pipe(bytes);
    std::filesystem::create_symlink(pipe.path(), path);
    Load from_pipe(path);
    std::filesystem::remove(path);
    ExpectSameLoads(from_file, from_pipe, "pipe");
    ExpectSameLoads(from_file, Load(path, bytes), "memory");
}

// A BVertex vector of n positions (x = k, y = -k, z = 0.5), larger than one
// read from a pipe takes, with newlines among its raw bytes.
std::string BVertexObject(int n) {
    std::string raw;
    for (int k = 0; k < n; ++k) raw += LittleEndian(k) + LittleEndian(-k) + LittleEndian(0.5f);
    return "Object \"b\" {\n\tBVertex " + std::to_string(n) + " {\n\t\tVector " +
           std::to_string(n) + " [" + std::to_string(raw.size()) + "]\n" + raw +
           "\t\tweit {\n\t\t\t1 0.5\n\t\t}\n\t}\n\tface 1 {\n\t\t3 V(0 1 2)\n\t}\n}\n";
}

}  // namespace

TEST(OtherByteSources, PipeAndMemoryReadEachDocumentAsTheFileDoes) {
    ExpectPipeAndMemoryReadAsFile(
        Doc("Object \"p\" {\n\tvertex 5 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t1 1 0\n"
            "\t\t0.5 2 0\n\t\t0 1 0\n\t}\n\tface 1 {\n"
            "\t\t5 V(0 1 2 3 4) M(0) UV(0 0 1 0 1 1 .5 1 0 1)\n\t}\n}\n"),
        "pentagon");
    ExpectPipeAndMemoryReadAsFile(Doc(BVertexObject(30000)), "BVertex of 360000 bytes");
    // Refused alike: fewer bytes than claimed, and a polygon on a short line.
    ExpectPipeAndMemoryReadAsFile(
        kHeader + "Object \"b\" {\n\tBVertex 2 {\n\t\tVector 2 [24]\nshort", "BVertex cut short");
    ExpectPipeAndMemoryReadAsFile(Doc("Object \"p\" {\n\tface 1 {\n\t\t40 V(0 1 2)\n\t}\n}\n"),
                                  "polygon of 40 corners on 9 bytes");

    const auto documents = CorpusDocuments();
    if (documents.empty()) SKIP_FOR_MISSING(CorpusMissing());
    for (const auto& document : documents) {
        std::ifstream in(document, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ExpectPipeAndMemoryReadAsFile(bytes, document.filename().string());
    }
}

// Claims that only the size left could refuse up front: the pipe sends far
// fewer bytes than claimed, and nothing may be allocated for the claim.
TEST(UnknownSizeStream, ClaimsBeyondTheBytesSentFailWithBoundedMemory) {
    // A megabyte read in pieces that double takes at most two megabytes.
    constexpr size_t kCeiling = 4 << 20;
    const std::string megabyte(1 << 20, '\x01');
    const std::string vector =
        kHeader + "Object \"b\" {\n\tBVertex 1 {\n\t\tVector 178956970 [2147483640]\n" + megabyte;
    std::string corners = "1000000000 V(";
    for (int i = 0; i < 100000; ++i) corners += std::to_string(i) + " ";
    const std::string face = Doc("Object \"p\" {\n\tface 1 {\n\t\t" + corners + ")\n\t}\n}\n");

    for (const auto& [bytes, message] :
         {std::pair{vector, "[178956970][2147483640]vectorのサイズが不正です"},
          {face, "[1000000000]面の頂点数が多すぎます"}}) {
        Pipe pipe(bytes);
        std::unique_ptr<Load> load;
        {
            AllocationCeiling ceiling(kCeiling);
            // std::bad_alloc here: something asked for more than the ceiling.
            ASSERT_NO_THROW(load = std::make_unique<Load>(pipe.path()));
        }
        EXPECT_EQ(load->result, 0);
        const MQOObject& object = *load->loader.GetModel()->ObjectAt(0);
        EXPECT_EQ(object.VertexCount(), 0);
        for (const auto& f : object.faces) EXPECT_EQ(f->count, 0);
        ASSERT_FALSE(load->log.texts.empty());
        const std::string& last = load->log.texts.back();
        EXPECT_EQ(last.substr(last.find('[')), Utf8ToCp932(std::string(message) + "\n"));
    }
}
