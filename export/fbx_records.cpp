#include "export/fbx_records.h"

#include <cstring>
#include <limits>

namespace {

constexpr uint32_t kVersion = 7400;
constexpr char kMagic[] = "Kaydara FBX Binary  \0\x1a\0";  // 23 bytes with the last NUL
// An empty record (three offsets and a name length of zero) closes a list
// of children; readers check that all its bytes are zero.
constexpr size_t kSentinel = 13;
// The footer's fixed parts, as every writer of the format puts them.
constexpr unsigned char kFooterId[16] = {0xfa, 0xbc, 0xab, 0x09, 0xd0, 0xc8, 0xd4, 0x66,
                                         0xb1, 0x76, 0xfb, 0x83, 0x1c, 0xf7, 0x26, 0x7e};
// Arrays smaller than this are copied in among the records; the larger ones
// are kept aside, where writing them piece by piece saves the copy.
constexpr size_t kAsideFrom = 64 * 1024;
constexpr unsigned char kFooterMagic[16] = {0xf8, 0x5a, 0x8c, 0x6a, 0xde, 0xf5, 0xd9, 0x7e,
                                            0xec, 0xe9, 0x0c, 0xe3, 0x75, 0x8f, 0x29, 0x0b};

template <typename T>
void Put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));  // little-endian hosts only, as the format is
    out.append(bytes, sizeof(T));
}

void PutAt(std::string& out, size_t at, uint32_t value) {
    std::memcpy(out.data() + at, &value, sizeof value);
}

}  // namespace

std::string FbxName(const std::string& name, const char* type) {
    return name + std::string("\0\1", 2) + type;
}

FbxRecords::FbxRecords() {
    file_.records.append(kMagic, sizeof kMagic - 1);
    Put(file_.records, kVersion);
}

void FbxRecords::Begin(const std::string& name) {
    if (!open_.empty()) {
        Open& parent = open_.back();
        if (!parent.children) CloseProperties(parent);
        parent.children = true;
    }
    Open record{file_.records.size(), 0};
    Put<uint32_t>(file_.records, 0);  // end offset
    Put<uint32_t>(file_.records, 0);  // property count
    Put<uint32_t>(file_.records, 0);  // property bytes
    file_.records += char(name.size());
    file_.records += name;
    record.properties = Written();
    open_.push_back(record);
}

void FbxRecords::CloseProperties(Open& record) {
    PutAt(file_.records, record.header + 4, record.count);
    PutAt(file_.records, record.header + 8, uint32_t(Written() - record.properties));
}

// A record with children, or with nothing at all, ends in the empty record;
// one with properties alone ends after them.
void FbxRecords::End() {
    Open record = open_.back();
    open_.pop_back();
    if (!record.children) CloseProperties(record);
    if (record.children || record.count == 0) file_.records.append(kSentinel, '\0');
    if (Written() > std::numeric_limits<uint32_t>::max()) too_large_ = true;
    PutAt(file_.records, record.header, uint32_t(Written()));
}

void FbxRecords::Property(char type) {
    file_.records += type;
    ++open_.back().count;
}

void FbxRecords::Int16(int16_t value) {
    Property('Y');
    Put(file_.records, value);
}

void FbxRecords::Bool(bool value) {
    Property('C');
    file_.records += char(value ? 1 : 0);
}

void FbxRecords::Int32(int32_t value) {
    Property('I');
    Put(file_.records, value);
}

void FbxRecords::Int64(int64_t value) {
    Property('L');
    Put(file_.records, value);
}

void FbxRecords::Double(double value) {
    Property('D');
    Put(file_.records, value);
}

void FbxRecords::String(const std::string& text) {
    Property('S');
    Put(file_.records, uint32_t(text.size()));
    file_.records += text;
}

void FbxRecords::Raw(const std::string& bytes) {
    Property('R');
    Put(file_.records, uint32_t(bytes.size()));
    file_.records += bytes;
}

void FbxRecords::Array(FbxArray array) {
    Property(array.type);
    Put(file_.records, array.count);
    Put<uint32_t>(file_.records, array.deflated ? 1 : 0);  // encoding: 1 is zlib
    Put(file_.records, uint32_t(array.size));
    if (array.size > std::numeric_limits<uint32_t>::max()) too_large_ = true;
    if (array.size < kAsideFrom) {
        file_.records.append(reinterpret_cast<const char*>(array.bytes.get()), array.size);
    } else {
        aside_bytes_ += array.size;
        file_.asides.push_back({file_.records.size(), std::move(array)});
    }
}

void FbxRecords::Leaf(const char* name, int32_t value) {
    Begin(name);
    Int32(value);
    End();
}

void FbxRecords::Leaf(const char* name, const std::string& value) {
    Begin(name);
    String(value);
    End();
}

std::vector<std::string_view> FbxFile::Pieces() const {
    std::vector<std::string_view> pieces;
    size_t from = 0;
    for (const Aside& aside : asides) {
        pieces.emplace_back(records.data() + from, aside.at - from);
        pieces.emplace_back(reinterpret_cast<const char*>(aside.array.bytes.get()),
                            aside.array.size);
        from = aside.at;
    }
    pieces.emplace_back(records.data() + from, records.size() - from);
    return pieces;
}

Result<FbxFile> FbxRecords::Finish() {
    while (!open_.empty()) End();
    file_.records.append(kSentinel, '\0');
    file_.records.append(reinterpret_cast<const char*>(kFooterId), sizeof kFooterId);
    file_.records.append(4, '\0');
    // Padding to a 16-byte boundary, a whole 16 bytes when there already.
    file_.records.append(16 - Written() % 16, '\0');
    Put(file_.records, kVersion);
    file_.records.append(120, '\0');
    file_.records.append(reinterpret_cast<const char*>(kFooterMagic), sizeof kFooterMagic);
    if (too_large_ || Written() > std::numeric_limits<uint32_t>::max()) {
        return Status::Failure("the FBX file would pass the 4 GiB its format can address");
    }
    return std::move(file_);
}
