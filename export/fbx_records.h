// The binary FBX container (version 7.4): a tree of named records, each with
// a list of typed properties and nested records, written front to back into
// one buffer. Each record starts with the file offset where it ends, so a
// record's header is filled in once its children are written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
    // Arrays of more than a few hundred bytes are stored deflated.
    void Int32s(const std::vector<int32_t>& values);
    void Doubles(const std::vector<double>& values);

    // The finished file into bytes: the records, the closing empty record
    // and the footer readers check. Fails when the file would pass the 4 GiB
    // its 32-bit offsets reach.
    Status Finish(std::string& bytes);

   private:
    struct Open {
        size_t header;       // where the record's header starts
        size_t properties;   // where its properties start
        uint32_t count = 0;  // properties so far
        bool children = false;
    };

    void Property(char type);
    void CloseProperties(Open& record);
    void Array(char type, const void* data, uint32_t count, size_t size);

    std::string out_;
    std::vector<Open> open_;
    bool too_large_ = false;
};
