// The binary FBX container (version 7.4): a tree of named records, each with
// a list of typed properties and nested records, written front to back. Each
// record starts with the file offset where it ends, so a record's header is
// filled in once its children are written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/fbx_arrays.h"

// An object's name as FBX joins it with its class: "name\0\1class".
std::string FbxName(const std::string& name, const char* type);

// A finished file: the records' bytes, and the large arrays' bytes kept
// where they were packed, each to be written at its place among the
// records', so that no copy of them is made.
struct FbxFile {
    struct Aside {
        size_t at;  // in records, where the array's bytes go
        FbxArray array;
    };
    std::string records;
    std::vector<Aside> asides;  // in the order of their places

    // The file's bytes in order, piece after piece.
    std::vector<std::string_view> Pieces() const;
};
#include "model/status.h"

class FbxRecords {
   public:
    FbxRecords();

    // Opens a record under the one open now (or at the top); its
    // properties follow, then its children, then End().
    void Begin(const std::string& name);
    void End();

    void Int16(int16_t value);
    void Bool(bool value);
    void Int32(int32_t value);
    void Int64(int64_t value);
    void Double(double value);
    void String(const std::string& text);
    void Raw(const std::string& bytes);
    void Array(FbxArray array);

    // A record that holds one property and nothing else.
    void Leaf(const char* name, int32_t value);
    void Leaf(const char* name, const std::string& value);

    // The finished file: the records, the closing empty record and the
    // footer readers check. Fails when the file would pass the 4 GiB its
    // 32-bit offsets reach.
    Result<FbxFile> Finish();

   private:
    struct Open {
        size_t header;       // where the record's header starts in records
        size_t properties;   // the file offset where its properties start
        uint32_t count = 0;  // properties so far
        bool children = false;
    };

    // The file's bytes so far, the arrays aside included.
    size_t Written() const { return file_.records.size() + aside_bytes_; }
    void Property(char type);
    void CloseProperties(Open& record);

    FbxFile file_;
    size_t aside_bytes_ = 0;
    std::vector<Open> open_;
    bool too_large_ = false;
};
