#include "export/fbx_arrays.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <numeric>
#include <system_error>
#include <thread>

#include "export/array_deflater.h"

namespace {

// Below this an array costs more to inflate than it saves.
constexpr size_t kDeflateFrom = 128;
// Below this many bytes in all, starting a thread costs more than it saves.
constexpr size_t kTwoThreadsFrom = size_t{1} << 20;

// What one thread packs with: the compressor's working memory (made when
// an array is first large enough to deflate) and the buffer each array is
// filled into, both kept from one array to the next, so that the arrays
// after the first fault in no fresh pages but those of their packed bytes.
class Packer {
   public:
    FbxArray Pack(const FbxArrayJob& job) {
        FbxArray array{job.type, job.count, false, nullptr, job.Bytes()};
        if (array.size == 0) return array;
        unsigned char* raw = Staging(array.size);
        job.fill(raw);
        array.bytes = std::make_unique_for_overwrite<unsigned char[]>(array.size);
        const size_t deflated = array.size >= kDeflateFrom ? Deflate(raw, array) : 0;
        if (deflated > 0) {
            array.deflated = true;
            array.size = deflated;
        } else {
            std::memcpy(array.bytes.get(), raw, array.size);
        }
        return array;
    }

   private:
    // The zlib stream of the raw bytes into the array's buffer, with room
    // for fewer bytes than the raw ones only; 0 when it does not fit there,
    // and the array is stored raw.
    size_t Deflate(unsigned char* raw, FbxArray& array) {
        return deflater_.Deflate(raw, array.size, array.bytes.get(), array.size - 1);
    }

    unsigned char* Staging(size_t size) {
        if (size > capacity_) {
            staging_.reset();
            staging_ = std::make_unique_for_overwrite<unsigned char[]>(size);
            capacity_ = size;
        }
        return staging_.get();
    }

    ArrayDeflater deflater_;
    std::unique_ptr<unsigned char[]> staging_;
    size_t capacity_ = 0;
};

}  // namespace

// The largest arrays go first, so that neither thread is left with a large
// one when the other has finished.
std::vector<FbxArray> PackArrays(const std::vector<FbxArrayJob>& jobs) {
    std::vector<size_t> order(jobs.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return jobs[a].Bytes() > jobs[b].Bytes(); });
    std::vector<FbxArray> arrays(jobs.size());
    std::atomic<size_t> next{0};
    const auto pack_until_done = [&] {
        Packer packer;
        for (size_t i = next++; i < order.size(); i = next++) {
            arrays[order[i]] = packer.Pack(jobs[order[i]]);
        }
    };
    size_t total = 0;
    for (const FbxArrayJob& job : jobs) total += job.Bytes();
    if (jobs.size() < 2 || total < kTwoThreadsFrom) {
        pack_until_done();
        return arrays;
    }
    std::exception_ptr helper_failed;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                pack_until_done();
            } catch (...) {
                helper_failed = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: this one packs them all.
    }
    try {
        pack_until_done();
    } catch (...) {
        if (helper.joinable()) helper.join();
        throw;
    }
    if (helper.joinable()) helper.join();
    if (helper_failed) std::rethrow_exception(helper_failed);
    return arrays;
}
