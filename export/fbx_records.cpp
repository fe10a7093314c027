#include "export/fbx_records.h"

#include <libdeflate.h>

#include <cstring>
#include <limits>
#include <memory>

namespace {

constexpr uint32_t kVersion = 7400;
constexpr char kMagic[] = "Kaydara FBX Binary  \0\x1a\0";  // 23 bytes with the last NUL
// An empty record (three offsets and a name length of zero) closes a list
// of children; readers check that all its bytes are zero.
constexpr size_t kSentinel = 13;
// The footer's fixed parts, as every writer of the format puts them.
constexpr unsigned char kFooterId[16] = {0xfa, 0xbc, 0xab, 0x09, 0xd0, 0xc8, 0xd4, 0x66,
                                         0xb1, 0x76, 0xfb, 0x83, 0x1c, 0xf7, 0x26, 0x7e};
constexpr unsigned char kFooterMagic[16] = {0xf8, 0x5a, 0x8c, 0x6a, 0xde, 0xf5, 0xd9, 0x7e,
                                            0xec, 0xe9, 0x0c, 0xe3, 0x75, 0x8f, 0x29, 0x0b};
// Below this an array costs more to inflate than it saves.
constexpr size_t kDeflateFrom = 128;

template <typename T>
void Put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));  // little-endian hosts only, as the format is
    out.append(bytes, sizeof(T));
}

void PutAt(std::string& out, size_t at, uint32_t value) {
    std::memcpy(out.data() + at, &value, sizeof value);
}

struct CompressorFreer {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// The zlib stream of the bytes, or empty when deflating does not shrink them
// (or memory runs short). libdeflate's fastest level writes the zlib format
// every FBX reader inflates, at several times zlib's speed: the arrays are
// most of a large file, and the time to deflate them most of its writing.
std::string Deflated(const void* data, size_t size) {
    const std::unique_ptr<libdeflate_compressor, CompressorFreer> compressor(
        libdeflate_alloc_compressor(1));
    if (!compressor) return "";
    std::string out(libdeflate_zlib_compress_bound(compressor.get(), size), '\0');
    const size_t length =
        libdeflate_zlib_compress(compressor.get(), data, size, out.data(), out.size());
    if (length == 0 || length >= size) return "";
    out.resize(length);
    return out;
}

}  // namespace

FbxRecords::FbxRecords() {
    out_.append(kMagic, sizeof kMagic - 1);
    Put(out_, kVersion);
}

void FbxRecords::Begin(const std::string& name) {
    if (!open_.empty()) {
        Open& parent = open_.back();
        if (!parent.children) CloseProperties(parent);
        parent.children = true;
    }
    Open record{out_.size(), 0};
    Put<uint32_t>(out_, 0);  // end offset
    Put<uint32_t>(out_, 0);  // property count
    Put<uint32_t>(out_, 0);  // property bytes
    out_ += char(name.size());
    out_ += name;
    record.properties = out_.size();
    open_.push_back(record);
}

void FbxRecords::CloseProperties(Open& record) {
    PutAt(out_, record.header + 4, record.count);
    PutAt(out_, record.header + 8, uint32_t(out_.size() - record.properties));
}

// A record with children, or with nothing at all, ends in the empty record;
// one with properties alone ends after them.
void FbxRecords::End() {
    Open record = open_.back();
    open_.pop_back();
    if (!record.children) CloseProperties(record);
    if (record.children || record.count == 0) out_.append(kSentinel, '\0');
    if (out_.size() > std::numeric_limits<uint32_t>::max()) too_large_ = true;
    PutAt(out_, record.header, uint32_t(out_.size()));
}

void FbxRecords::Property(char type) {
    out_ += type;
    ++open_.back().count;
}

void FbxRecords::Int16(int16_t value) {
    Property('Y');
    Put(out_, value);
}

void FbxRecords::Bool(bool value) {
    Property('C');
    out_ += char(value ? 1 : 0);
}

void FbxRecords::Int32(int32_t value) {
    Property('I');
    Put(out_, value);
}

void FbxRecords::Int64(int64_t value) {
    Property('L');
    Put(out_, value);
}

void FbxRecords::Double(double value) {
    Property('D');
    Put(out_, value);
}

void FbxRecords::String(const std::string& text) {
    Property('S');
    Put(out_, uint32_t(text.size()));
    out_ += text;
}

void FbxRecords::Raw(const std::string& bytes) {
    Property('R');
    Put(out_, uint32_t(bytes.size()));
    out_ += bytes;
}

void FbxRecords::Array(char type, const void* data, uint32_t count, size_t size) {
    Property(type);
    Put(out_, count);
    const std::string deflated = size >= kDeflateFrom ? Deflated(data, size) : "";
    Put<uint32_t>(out_, deflated.empty() ? 0 : 1);  // encoding: 1 is zlib
    if (deflated.empty()) {
        Put(out_, uint32_t(size));
        out_.append(static_cast<const char*>(data), size);
    } else {
        Put(out_, uint32_t(deflated.size()));
        out_ += deflated;
    }
}

void FbxRecords::Int32s(const std::vector<int32_t>& values) {
    Array('i', values.data(), uint32_t(values.size()), values.size() * sizeof(int32_t));
}

void FbxRecords::Doubles(const std::vector<double>& values) {
    Array('d', values.data(), uint32_t(values.size()), values.size() * sizeof(double));
}

Status FbxRecords::Finish(std::string& bytes) {
    while (!open_.empty()) End();
    out_.append(kSentinel, '\0');
    out_.append(reinterpret_cast<const char*>(kFooterId), sizeof kFooterId);
    out_.append(4, '\0');
    // Padding to a 16-byte boundary, a whole 16 bytes when there already.
    out_.append(16 - out_.size() % 16, '\0');
    Put(out_, kVersion);
    out_.append(120, '\0');
    out_.append(reinterpret_cast<const char*>(kFooterMagic), sizeof kFooterMagic);
    if (too_large_ || out_.size() > std::numeric_limits<uint32_t>::max()) {
        return Status::Failure("the FBX file would pass the 4 GiB its format can address");
    }
    bytes = std::move(out_);
    return {};
}
