// The JSON writer of the command's dumps: commas are placed by the writer,
// floats are written so that they read back to the same 32-bit value,
// host text is decoded from code page 932 and document text from the
// document's code page.
//
// Text is made in a small buffer of the writer's own and moved to a string.
// With a file, the string is written to it and emptied whenever it passes a
// megabyte, so that a dump of any size is written as it is made and never
// held whole. A write to the file that fails is kept with its reason, and
// nothing more is written to it.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

class JsonWriter {
   public:
    // Appends to out. With a file, out is written to it as it grows and ends
    // with the text not yet written.
    explicit JsonWriter(std::string& out, std::FILE* file = nullptr);
    // Writes to the file; what is still held is written by EndLine or when
    // the writer goes.
    explicit JsonWriter(std::FILE* file) : JsonWriter(own_, file) {}
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    // The calls a large mesh makes millions of times are defined here, so
    // that they inline into the dump's loops.
    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    void Key(std::string_view name) {
        BeginValue();
        *pos_++ = '"';
        Put(name);
        Put("\":");
        comma_ = false;  // the value follows without one
    }
    void Int(int64_t value) {
        BeginValue();
        pos_ = std::to_chars(pos_, end_, value).ptr;
    }

    void Null();
    void Bool(bool value);
    // %.9g, which reads back as the same float; "inf", "-inf" or "nan"
    // (quoted) for values that are not finite.
    void Float(float value);
    // A quoted JSON string of the code page 932 text, decoded to UTF-8; no
    // text (null) is the empty string.
    void Cp932String(const char* text);
    // The same for text of the given code page (model/code_page.h).
    void DocumentString(const char* text, int32_t code_page);

    // A key and its value.
    void IntField(std::string_view key, int64_t value) { Key(key), Int(value); }
    void FloatField(std::string_view key, float value) { Key(key), Float(value); }
    void TextField(std::string_view key, const char* cp932) { Key(key), Cp932String(cp932); }
    void DocumentTextField(std::string_view key, const char* text, int32_t code_page) {
        Key(key), DocumentString(text, code_page);
    }

    // Shorthands for the fixed-size arrays of the dumps.
    void Floats(const float* values, int count);
    void Ints(const int32_t* values, int count);

    // Ends the document with a newline and writes out all that is held,
    // flushing the file.
    void EndLine();
    // The errno of the first write to the file that failed; 0 when none did.
    int error() const { return error_; }

   private:
    static constexpr size_t kBufferBytes = size_t(16) << 10;
    // Room for a comma and any number or word: the longest, a float, takes 15.
    static constexpr size_t kTokenRoom = 32;

    // Every value and key starts here: room for its first token, and a comma
    // after the previous item of the container.
    void BeginValue() {
        if (size_t(end_ - pos_) < kTokenRoom) Drain();
        if (comma_) *pos_++ = ',';
        comma_ = true;
    }
    void Open(char bracket) {
        BeginValue();
        *pos_++ = bracket;
        comma_ = false;
    }
    void Close(char bracket) {
        if (pos_ == end_) Drain();
        *pos_++ = bracket;
        comma_ = true;
    }
    void Put(std::string_view text) {
        if (size_t(end_ - pos_) < text.size()) return PutLong(text);
        std::memcpy(pos_, text.data(), text.size());
        pos_ += text.size();
    }
    void PutLong(std::string_view text);
    // The buffer moved to the string, and the string written to the file
    // once it passes a megabyte.
    void Drain();
    void WriteOut();

    std::string own_;
    std::string& out_;
    std::FILE* file_;
    std::unique_ptr<char[]> buffer_;
    char* pos_;
    char* end_;
    bool comma_ = false;  // a value was written in the open container
    int error_ = 0;
};
