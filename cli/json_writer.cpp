#include "cli/json_writer.h"

#include <cerrno>
#include <cmath>

#include "host/code_pages.h"

namespace {

// With a file, the text held is written out once it passes this size.
constexpr size_t kSpillBytes = size_t(1) << 20;

void AppendUnicodeEscape(std::string& json, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code);
    json += escape;
}

// JSON requires the C0 controls escaped; DEL and the C1 controls (U+0080..
// U+009F, 0xC2 0x80..0x9F in the decoders' UTF-8) are escaped as well, so that
// a dump shown on a terminal carries no byte it acts on.
std::string Escaped(const std::string& utf8) {
    std::string json;
    json.reserve(utf8.size() + 2);
    json += '"';
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char ch = utf8[i];
        const unsigned char c = static_cast<unsigned char>(ch);
        const unsigned char next =
            i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
        if (ch == '"' || ch == '\\') {
            json += '\\';
            json += ch;
        } else if (c < 0x20 || c == 0x7F) {
            AppendUnicodeEscape(json, c);
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            AppendUnicodeEscape(json, next);
            ++i;
        } else {
            json += ch;
        }
    }
    json += '"';
    return json;
}

}  // namespace

JsonWriter::JsonWriter(std::string& out, std::FILE* file)
    : out_(out), file_(file), buffer_(new char[kBufferBytes]) {
    pos_ = buffer_.get();
    end_ = pos_ + kBufferBytes;
}

JsonWriter::~JsonWriter() {
    Drain();
    if (&out_ == &own_) WriteOut();
}

void JsonWriter::Drain() {
    out_.append(buffer_.get(), size_t(pos_ - buffer_.get()));
    pos_ = buffer_.get();
    if (out_.size() >= kSpillBytes) WriteOut();
}

void JsonWriter::WriteOut() {
    if (file_ == nullptr || out_.empty()) return;
    errno = 0;
    if (error_ == 0 && std::fwrite(out_.data(), 1, out_.size(), file_) != out_.size()) {
        error_ = errno != 0 ? errno : EIO;
    }
    out_.clear();
}

// Text longer than the room left goes to the string after what the buffer
// holds.
void JsonWriter::PutLong(std::string_view text) {
    Drain();
    out_.append(text);
}

void JsonWriter::Null() {
    BeginValue();
    Put("null");
}

void JsonWriter::Bool(bool value) {
    BeginValue();
    Put(value ? "true" : "false");
}

void JsonWriter::Float(float value) {
    BeginValue();
    if (std::isnan(value)) {
        Put("\"nan\"");
    } else if (std::isinf(value)) {
        Put(value > 0 ? "\"inf\"" : "\"-inf\"");
    } else {
        // The text of printf's "%.9g", enough digits to read the float back;
        // to_chars makes the same text without a format to interpret.
        pos_ = std::to_chars(pos_, end_, double(value), std::chars_format::general, 9).ptr;
    }
}

void JsonWriter::Cp932String(const char* text) {
    BeginValue();
    Put(Escaped(HostTextUtf8(text)));
}

void JsonWriter::DocumentString(const char* text, int32_t code_page) {
    BeginValue();
    Put(Escaped(DocumentTextUtf8(text, code_page)));
}

void JsonWriter::Floats(const float* values, int count) {
    BeginArray();
    for (int i = 0; i < count; ++i) Float(values[i]);
    EndArray();
}

void JsonWriter::Ints(const int32_t* values, int count) {
    BeginArray();
    for (int i = 0; i < count; ++i) Int(values[i]);
    EndArray();
}

void JsonWriter::EndLine() {
    Put("\n");
    Drain();
    WriteOut();
    errno = 0;
    if (file_ != nullptr && error_ == 0 && std::fflush(file_) != 0) {
        error_ = errno != 0 ? errno : EIO;
    }
}
