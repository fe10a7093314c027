#include "reader/mqo_stream.h"

#include <cstring>

#include "model/text.h"

// The reader pulls every byte through read(1) and tests at_end() before each,
// so both are kept free of seeks: the size is taken once at open and the
// position is followed here. A step back right after a one-byte read pushes
// the byte back with ungetc, which only moves the C library's buffer pointer.

namespace {

// A stream is read by one thread, so a byte is taken without the C library's
// lock: the buffer pointer moves inline instead of in a call.
inline int ReadByte(FILE* file) {
#ifdef _WIN32
    return _getc_nolock(file);
#else
    return getc_unlocked(file);
#endif
}

// Size of the file without moving from the current position; -1 when the
// file cannot seek (a pipe) or cannot tell.
int64_t MeasureSize(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end < 0 ? -1 : end;
}

// When a read finds fewer bytes than the size promised (the file shrank, or it
// is something that only looks like a file, such as a directory), the data
// ends here: remembering that keeps the end test truthful so that no reader
// waits for bytes that will never come.
void NoteShortRead(MQOStream* s) {
    if (s->size < 0 || s->size > s->position) s->size = s->position;
}

// Kept out of Read so that the one-byte path saves no registers.
[[gnu::noinline]] int32_t ReadBlock(MQOStream* s, void* buffer, size_t count) {
    size_t got = std::fread(buffer, 1, count, s->file);
    s->position += static_cast<int64_t>(got);
    s->last = -1;
    if (got < count) NoteShortRead(s);
    return 1;
}

int32_t Read(MQOStream* s, void* buffer, size_t count) {
    if (s->file == nullptr) return 0;
    if (count != 1) return ReadBlock(s, buffer, count);
    int c = ReadByte(s->file);
    s->last = c;  // EOF is -1: nothing to push back
    if (c == EOF) [[unlikely]] {
        NoteShortRead(s);
        return 1;
    }
    *static_cast<unsigned char*>(buffer) = static_cast<unsigned char>(c);
    ++s->position;
    return 1;
}

int32_t Write(MQOStream* s, const void* data, size_t count) {
    if (s->file == nullptr) return 0;
    size_t put = std::fwrite(data, 1, count, s->file);
    s->position += static_cast<int64_t>(put);
    if (s->size >= 0 && s->position > s->size) s->size = s->position;
    s->last = -1;
    return 1;
}

void Seek(MQOStream* s, int64_t position) {
    if (s->file == nullptr || position < 0) return;
    s->last = -1;
    if (std::fseek(s->file, static_cast<long>(position), SEEK_SET) == 0) s->position = position;
}

[[gnu::noinline]] void SkipBySeeking(MQOStream* s, int64_t count) {
    if (s->file != nullptr) Seek(s, s->position + count);
}

int64_t Tell(MQOStream* s) {
    return s->file == nullptr ? 0 : s->position;
}

void SetName(MQOStream* s, const char* text) {
    CopyText(s->name, text);
}

const char* Name(MQOStream* s) {
    return s->name;
}

// -1, as ftell gives, when the file cannot tell its size (a pipe): the size
// is then not known before the data ends, and 0 would claim it ends here.
// Such a file is not moved, so a step back still pushes the last byte back.
int64_t Size(MQOStream* s) {
    if (s->file == nullptr) return 0;
    int64_t size = MeasureSize(s->file);
    if (size >= 0) {
        s->size = size;
        s->last = -1;
    }
    return size;
}

void Nop(MQOStream*) {}

// A step back right after a one-byte read pushes that byte back into the C
// library's buffer; any other move seeks.
void Skip(MQOStream* s, int64_t count) {
    if (count == -1 && s->last >= 0 && std::ungetc(s->last, s->file) != EOF) [[likely]] {
        --s->position;
        s->last = -1;
        return;
    }
    SkipBySeeking(s, count);
}

int32_t AtEnd(MQOStream* s) {
    // The one test made for every byte; a closed stream has size 0.
    if (s->position < s->size) [[likely]]
        return 0;
    if (s->file == nullptr || s->size >= 0) return 1;
    // A file of unknown size: look at the next byte and put it back.
    int c = std::getc(s->file);
    if (c == EOF) return 1;
    std::ungetc(c, s->file);
    return 0;
}

int32_t IsOpen(MQOStream* s) {
    return s->file != nullptr;
}

int32_t Close(MQOStream* s) {
    if (s->file == nullptr) return 0;
    int result = std::fclose(s->file);
    s->file = nullptr;
    s->size = 0;
    s->last = -1;
    return result;
}

constexpr MQOStreamOps kStreamOps = {Read, Write, Seek, Tell,  SetName, Name,
                                     Size, Nop,   Skip, AtEnd, IsOpen,  Close};

// Bytes in memory: the size is known and never changes, so every operation
// is a step of the position, kept within [0, size] so that no read leaves
// the buffer. Past the end a read, like the file's, leaves the buffer as it
// was. Nothing is written into bytes the caller lends.

int32_t ReadMemory(MQOStream* s, void* buffer, size_t count) {
    if (s->bytes == nullptr) return 0;
    const size_t left = static_cast<size_t>(s->size - s->position);
    const size_t got = count < left ? count : left;
    if (got == 1) [[likely]] {
        *static_cast<unsigned char*>(buffer) = s->bytes[s->position];
    } else if (got > 0) {
        std::memcpy(buffer, s->bytes + s->position, got);
    }
    s->position += static_cast<int64_t>(got);
    return 1;
}

int32_t WriteMemory(MQOStream*, const void*, size_t) {
    return 0;
}

// A move before the start is refused, as the file's seek refuses it; one
// past the end stops at the end.
void SeekMemory(MQOStream* s, int64_t position) {
    if (s->bytes == nullptr || position < 0) return;
    s->position = position < s->size ? position : s->size;
}

void SkipMemory(MQOStream* s, int64_t count) {
    SeekMemory(s, s->position + count);
}

int64_t TellMemory(MQOStream* s) {
    return s->position;  // 0 once closed
}

int64_t SizeOfMemory(MQOStream* s) {
    return s->size;  // 0 once closed
}

int32_t MemoryAtEnd(MQOStream* s) {
    return s->position < s->size ? 0 : 1;
}

int32_t MemoryIsOpen(MQOStream* s) {
    return s->bytes != nullptr;
}

int32_t CloseMemory(MQOStream* s) {
    s->bytes = nullptr;
    s->size = 0;
    s->position = 0;
    return 0;
}

constexpr MQOStreamOps kMemoryOps = {ReadMemory, WriteMemory, SeekMemory,   TellMemory,
                                     SetName,    Name,        SizeOfMemory, Nop,
                                     SkipMemory, MemoryAtEnd, MemoryIsOpen, CloseMemory};

}  // namespace

MQOStream::~MQOStream() {
    if (mode != 0 && file != nullptr) Close(this);
}

int32_t MQOStream::Open(MQOStreamHandle* handle, const char* path) {
    if (path == nullptr) return 0;
    if (file != nullptr) Close(this);
    // A path cut to fit the name would name another file: refuse to open it.
    if (!CopyText(name, path)) return 0;
    bytes = nullptr;
    file = std::fopen(path, "rb");
    if (file == nullptr) return 0;
    mode = 1;
    position = 0;
    size = MeasureSize(file);
    last = -1;
    handle->stream = this;
    handle->ops = &kStreamOps;
    return 1;
}

int32_t MQOStream::OpenBytes(MQOStreamHandle* handle, const void* data, size_t count,
                             const char* text) {
    if (data == nullptr || text == nullptr) return 0;
    if (file != nullptr) Close(this);
    if (!CopyText(name, text)) return 0;
    bytes = static_cast<const unsigned char*>(data);
    mode = 1;
    position = 0;
    size = static_cast<int64_t>(count);
    last = -1;
    handle->stream = this;
    handle->ops = &kMemoryOps;
    return 1;
}

const unsigned char* MQOStreamBytes(const MQOStreamHandle& handle) {
    if (handle.ops != &kMemoryOps || handle.stream == nullptr) return nullptr;
    return handle.stream->bytes;
}
