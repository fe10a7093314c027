// The loader's window onto the stream: setting it up, refilling it, stepping
// back out of it, and bringing the stream in step where it is reached
// directly. The tokenizer steps through the window inline and comes here only
// at its edges, so what happens here is once a block, not once a byte.
#include <algorithm>
#include <cstring>

#include "reader/mqo_loader.h"

namespace {

// The bytes kept from a file's block before the next cover the longest step
// back the tokenizer takes (an exponent given up: three bytes).
constexpr size_t kKeptBytes = 16;

}  // namespace

void MQOLoader::SetUpWindow() {
    ForgetWindow();
    window.source = stream.stream;
    window.mode = ByteWindow::Mode::kOneByte;
    if (one_byte_reads || stream.ops == nullptr) return;
    const int64_t position = stream.ops->tell(stream.stream);
    if (const unsigned char* bytes = MQOStreamBytes(stream)) {
        // Every byte is taken at once: the stream moves to its end.
        window.size = stream.ops->size(stream.stream);
        stream.ops->seek(stream.stream, window.size);
        window.first = bytes;
        window.next = bytes + position;
        window.end = bytes + window.size;
        window.end_position = window.size;
        window.mode = ByteWindow::Mode::kMemory;
        return;
    }
    window.size = stream.ops->size(stream.stream);
    if (window.size < 0) return;  // a pipe: the table byte by byte
    window.block.resize(kKeptBytes + std::max<size_t>(window_block_size, 1));
    window.first = window.next = window.end = window.block.data() + kKeptBytes;
    window.end_position = position;
    window.mode = ByteWindow::Mode::kBlocks;
}

void MQOLoader::ForgetWindow() {
    std::vector<unsigned char> block = std::move(window.block);
    window = ByteWindow{};
    window.block = std::move(block);
}

// Takes the next block after the bytes kept for stepping back. Reading stops
// at the size found when the window was set up, as the one-byte reading's
// end test does.
bool MQOLoader::FillWindow() {
    if (!WindowIsCurrent() || window.mode == ByteWindow::Mode::kUnset) SetUpWindow();
    switch (window.mode) {
        case ByteWindow::Mode::kOneByte:
            return stream.ops != nullptr && stream.ops->at_end(stream.stream) == 0;
        case ByteWindow::Mode::kMemory:
        case ByteWindow::Mode::kUnset:
            return window.next != window.end;
        case ByteWindow::Mode::kBlocks:
            break;
    }
    if (window.next != window.end) return true;
    unsigned char* start = window.block.data() + kKeptBytes;
    const size_t kept = std::min(kKeptBytes, static_cast<size_t>(window.next - window.first));
    std::memmove(start - kept, window.next - kept, kept);
    window.first = start - kept;
    window.next = window.end = start;
    const int64_t left = window.size - window.end_position;
    if (left <= 0) return false;
    const size_t block_size = window.block.size() - kKeptBytes;
    const size_t want = static_cast<size_t>(std::min<int64_t>(left, block_size));
    stream.ops->read(stream.stream, start, want);
    const int64_t got = stream.ops->tell(stream.stream) - window.end_position;
    window.end = start + std::clamp<int64_t>(got, 0, static_cast<int64_t>(want));
    window.end_position += window.end - start;
    if (window.end - start < static_cast<int64_t>(want)) EndAtShortRead();
    return window.end != start;
}

// A file that gives fewer bytes than it claimed (it shrank, or only looks
// like a file, as a directory does) ends where the bytes end; the one-byte
// read that finds none gives a 0 byte without moving on, and so does the
// window: the byte after the last is a 0 that the position does not count.
void MQOLoader::EndAtShortRead() {
    window.size = window.end_position;
    // A short read left room in the block for the byte.
    const size_t at = static_cast<size_t>(window.end - window.block.data());
    window.block.at(at) = 0;
    window.end = window.block.data() + at + 1;
    window.end_position += 1;
}

int64_t MQOLoader::Tell() {
    if (stream.ops == nullptr) return 0;
    if (!WindowIsCurrent() || window.mode == ByteWindow::Mode::kUnset) SetUpWindow();
    if (window.mode == ByteWindow::Mode::kOneByte) return stream.ops->tell(stream.stream);
    // Past a short read's 0 byte the position stays at the end.
    return std::min(window.end_position - (window.end - window.next), window.size);
}

// A step back from the first byte of the window, as the table's step back
// goes: before the start of the data it stays put, and UngetChar still
// uncounts a newline that is the first byte. reread is UngetChar's, which
// looks at the byte stepped over; otherwise it is c.
void MQOLoader::StepBackOutsideWindow(bool reread, int c) {
    if (!WindowIsCurrent() || window.mode == ByteWindow::Mode::kUnset) SetUpWindow();
    if (window.mode == ByteWindow::Mode::kOneByte) {
        stream.ops->skip(stream.stream, -1);
        if (reread) {
            unsigned char byte = 0;
            stream.ops->read(stream.stream, &byte, 1);
            c = byte;
            stream.ops->skip(stream.stream, -1);
        }
        if (c == '\n') --line;
        return;
    }
    const int64_t position = Tell();
    if (position > 0 && window.mode == ByteWindow::Mode::kBlocks) {
        // Only a file's block can start after the data does: take it again
        // from the byte before.
        stream.ops->seek(stream.stream, position - 1);
        window.end_position = stream.ops->tell(stream.stream);
        window.first = window.next = window.end = window.block.data() + kKeptBytes;
    }
    if (reread) c = FillWindow() ? *window.next : 0;
    if (c == '\n') --line;
}

void MQOLoader::BringStreamInStep() {
    if (stream.ops == nullptr || !WindowIsCurrent()) return;
    if (window.mode != ByteWindow::Mode::kMemory && window.mode != ByteWindow::Mode::kBlocks) {
        return;
    }
    const int64_t position = Tell();
    if (stream.ops->tell(stream.stream) != position) stream.ops->seek(stream.stream, position);
    window.end_position = position;
    window.first = window.next = window.end =
        window.mode == ByteWindow::Mode::kBlocks ? window.block.data() + kKeptBytes : nullptr;
    if (window.mode == ByteWindow::Mode::kMemory) window.mode = ByteWindow::Mode::kUnset;
}

// Bytes the window holds are copied from it; the rest come from the stream,
// which is then in step with the reading. Bytes in memory are all in the
// window, and a read past their end leaves the buffer as it was.
int32_t MQOLoader::ReadBytes(void* buffer, size_t count) {
    if (stream.ops == nullptr) return 0;
    if (!WindowIsCurrent() || window.mode == ByteWindow::Mode::kUnset) SetUpWindow();
    if (window.mode == ByteWindow::Mode::kOneByte) {
        return stream.ops->read(stream.stream, buffer, count);
    }
    const size_t held = std::min(count, static_cast<size_t>(window.end - window.next));
    if (held > 0) std::memcpy(buffer, window.next, held);
    window.next += held;
    if (held == count || window.mode == ByteWindow::Mode::kMemory) return 1;
    const int32_t result =
        stream.ops->read(stream.stream, static_cast<unsigned char*>(buffer) + held, count - held);
    const int64_t asked_end = window.end_position + static_cast<int64_t>(count - held);
    window.end_position = stream.ops->tell(stream.stream);
    window.first = window.next = window.end = window.block.data() + kKeptBytes;
    // A short read ends the data here, as it ends the table's.
    if (window.end_position < asked_end) window.size = std::min(window.size, window.end_position);
    return result;
}
