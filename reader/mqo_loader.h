// The loader reads one document into one model. It also holds the reading
// state (stream, line, path, sink); the tokenizer and the chunk readers are
// its operations, so every message carries the tokenizer's line number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/memory_budget.h"
#include "model/message_code.h"
#include "model/mqo_message_sink.h"
#include "model/mqo_model.h"
#include "model/report.h"
#include "reader/mqo_stream.h"

constexpr size_t kTokenSize = 256;
constexpr size_t kPathSize = 1024;

// The bytes taken from the stream and not yet read, so that reading a byte is
// a pointer step and the stream's table is called once per block. Bytes in
// memory are the window whole; a file is taken in blocks, each keeping a few
// bytes of the one before for the tokenizer's steps back. A stream that
// cannot tell its size (a pipe) is read a byte at a time through the table.
struct ByteWindow {
    enum class Mode { kUnset, kOneByte, kMemory, kBlocks };

    const unsigned char* next = nullptr;
    const unsigned char* end = nullptr;
    const unsigned char* first = nullptr;  // the earliest byte a step back reaches
    int64_t end_position = 0;              // the stream's position, at end
    int64_t size = 0;                      // of the data, when the window was set up
    Mode mode = Mode::kUnset;
    const MQOStream* source = nullptr;  // the stream the window was set up for
    std::vector<unsigned char> block;   // a file's blocks, after the kept bytes
};

class MQOLoader {
   public:
    static constexpr uint32_t kFreezeMirror = 1;
    static constexpr uint32_t kFreezeCatmull = 2;

    MQOLoader();
    MQOLoader(const MQOLoader&) = delete;
    MQOLoader& operator=(const MQOLoader&) = delete;
    ~MQOLoader();

    // The argument is not consulted: calling sets the flag.
    void SetFreezeMirror(int32_t) { flags |= kFreezeMirror; }
    void SetFreezeCatmull(int32_t) { flags |= kFreezeCatmull; }

    // Reads the document at path; 1 when it was read and processed, else 0.
    [[nodiscard]] int32_t Load(const char* path);
    // Reads the count bytes at data as the document at path would be read:
    // messages name path. For a document the caller took out of a container.
    [[nodiscard]] int32_t LoadBytes(const char* path, const void* data, size_t count);
    // Reads the document from a stream the caller opened into handle, which
    // the load closes; for a source of the caller's own.
    [[nodiscard]] int32_t LoadFrom(const char* path, MQOStreamHandle handle);
    MQOModel* GetModel() const { return model.get(); }

    // --- tokenizer -------------------------------------------------------
    bool AtEnd();
    int GetChar();  // 0..255; 0 at the end of the data
    void UngetChar();
    void PutBack(int c);  // UngetChar over c, the byte just read
    int32_t ReadBytes(void* buffer, size_t count);
    // The position of the next byte to read in the data.
    int64_t Tell();
    bool SkipSpace(int& out);
    bool SkipBlank();
    int NextChar();
    int NextCharInLine();
    bool ReadToken(char* buffer, size_t capacity = kTokenSize);
    bool ReadTokenInLine(char* buffer, size_t capacity = kTokenSize);
    // The same for an item written NAME(: an opening parenthesis that ends the
    // token is taken too, and paren tells whether it was.
    bool ReadTokenInLine(char* buffer, size_t capacity, bool& paren);
    void ReadLine(char* buffer, size_t limit);  // buffer holds limit + 1 bytes
    bool SkipLine();
    bool ReadQuoted(char* buffer, size_t capacity);
    int32_t ReadInt();
    uint8_t* ReadIntBytes(uint8_t out[4]);
    float* ReadColor32(float out[4]);
    float ReadFloat();
    float* ReadFloat2(float out[2]);
    float* ReadFloat3(float out[3]);
    float* ReadFloat4(float out[4]);
    void ReadInts(int32_t* out, int count);  // ReadInt count times
    void ReadFloats(float* out, int count);  // ReadFloat count times
    // ReadInt and ReadFloats after NextChar gave first, which is not put back.
    int32_t ReadIntFrom(int first);
    void ReadFloatsFrom(int first, float* out, int count);
    // ReadInts or ReadFloats, then ExpectCloseParen.
    bool ReadIntsThenCloseParen(int32_t* out, int count);
    bool ReadFloatsThenCloseParen(float* out, int count);
    bool ExpectOpenBrace();
    bool ExpectOpenParen();
    bool ExpectCloseParen();
    bool ExpectOpenBracket();
    bool ExpectCloseBracket();
    // Formats the kind's text with the values that follow and delivers it
    // to the sink, about the current line or the line given.
    template <typename... Values>
    void Report(MessageCode code, Values... values) {
        ReportAt(code, line, values...);
    }
    template <typename... Values>
    void ReportAt(MessageCode code, int32_t at_line, Values... values) {
        ReportTo(sink, code, at_line, values...);
    }
    // "[%s]対応外のチャンクです" of a token outside every chunk known here,
    // the token as its subject.
    void ReportUnknownToken(const char* token);

    // --- grammar and chunk readers: 1 to go on, 0 to abort ----------------
    int32_t ReadDocument();
    int32_t ReadSceneChunk();
    int32_t ReadBackImageChunk();
    int32_t ReadMaterialChunk();
    int32_t ReadObjectChunk();

    // Reading state; public so that tests and chunk readers can see it.
    std::unique_ptr<MQOModel> model;
    MQOStreamHandle stream;
    uint32_t flags = 0;
    // What the freezes may hold at once, with the model, in bytes. The
    // import sets it for each document; a loader of its own keeps the
    // machine's default, so that no freeze outgrows the machine.
    uint64_t memory_budget = DefaultMemoryBudget();
    MQOMessageSink sink;
    char path[kPathSize] = {};
    int32_t line = 1;
    // Every byte through the stream's table, as a pipe is read: the window
    // is then never used. For comparing the two ways of reading.
    bool one_byte_reads = false;
    // The size of a file's blocks; small where a test crosses their edges.
    size_t window_block_size = size_t{1} << 16;
    ByteWindow window;

    // The window's slow steps: at its end, at its start, and where the stream
    // is reached directly.
    bool FillWindow();  // true when a byte is ready to read
    void EndAtShortRead();
    void StepBackOutsideWindow(bool reread, int c);
    void SetUpWindow();
    bool WindowIsCurrent() const { return window.source == stream.stream; }
    void BringStreamInStep();  // the stream's position to Tell()
    void ForgetWindow();
};
