// The byte source under the reader: a file opened "rb", or bytes the caller
// already holds in memory, each reached only through a constant table of
// operations of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct MQOStream;

struct MQOStreamOps {
    int32_t (*read)(MQOStream* s, void* buffer, size_t count);       // 0
    int32_t (*write)(MQOStream* s, const void* data, size_t count);  // 1
    void (*seek)(MQOStream* s, int64_t position);                    // 2
    int64_t (*tell)(MQOStream* s);                                   // 3
    void (*set_name)(MQOStream* s, const char* text);                // 4
    const char* (*name)(MQOStream* s);                               // 5
    int64_t (*size)(MQOStream* s);                                   // 6
    void (*nop)(MQOStream* s);                                       // 7
    void (*skip)(MQOStream* s, int64_t count);                       // 8
    int32_t (*at_end)(MQOStream* s);                                 // 9
    int32_t (*is_open)(MQOStream* s);                                // 10
    int32_t (*close)(MQOStream* s);                                  // 11
};

struct MQOStreamHandle {
    MQOStream* stream = nullptr;  // borrowed
    const MQOStreamOps* ops = nullptr;
};

struct MQOStream {
    char name[1024] = {};
    FILE* file = nullptr;
    const unsigned char* bytes = nullptr;  // borrowed; set by OpenBytes instead of file
    int32_t mode = 0;                      // 1 once opened for reading

    // Kept by the operations so that the end test and a one-byte step back
    // cost no call into the C library: the position, the size found at open
    // (-1 when the file cannot tell it, 0 once closed), and the byte just read
    // by a one-byte read (-1 when the last operation was anything else).
    int64_t position = 0;
    int64_t size = 0;
    int last = -1;

    MQOStream() = default;
    MQOStream(const MQOStream&) = delete;
    MQOStream& operator=(const MQOStream&) = delete;
    ~MQOStream();  // closes a file still open

    // Opens path "rb" and fills handle; 0 for a null path or a failed open.
    int32_t Open(MQOStreamHandle* handle, const char* path);
    // Reads the count bytes at data, which must outlive the stream, as the
    // file named name would be read; 0 for null data or a name too long.
    int32_t OpenBytes(MQOStreamHandle* handle, const void* data, size_t count, const char* name);
};

// The bytes a stream opened by OpenBytes reads, so that a reader can step
// through them in place; null for any other stream or a closed one.
const unsigned char* MQOStreamBytes(const MQOStreamHandle& handle);
