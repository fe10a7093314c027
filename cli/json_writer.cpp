#include "cli/json_writer.h"

#include <cinttypes>
#include <cmath>
#include <cstring>

#include "cli/cp932.h"

void JsonWriter::Separate() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) std::fputc(',', out_);
        first_.back() = false;
    }
}

void JsonWriter::BeginObject() {
    Separate();
    std::fputc('{', out_);
    first_.push_back(true);
}

void JsonWriter::EndObject() {
    first_.pop_back();
    std::fputc('}', out_);
}

void JsonWriter::BeginArray() {
    Separate();
    std::fputc('[', out_);
    first_.push_back(true);
}

void JsonWriter::EndArray() {
    first_.pop_back();
    std::fputc(']', out_);
}

void JsonWriter::Key(const char* name) {
    Separate();
    std::fprintf(out_, "\"%s\":", name);
    after_key_ = true;
}

void JsonWriter::Int(int64_t value) {
    Separate();
    std::fprintf(out_, "%" PRId64, value);
}

void JsonWriter::Float(float value) {
    Separate();
    if (std::isnan(value)) {
        std::fputs("\"nan\"", out_);
    } else if (std::isinf(value)) {
        std::fputs(value > 0 ? "\"inf\"" : "\"-inf\"", out_);
    } else {
        std::fprintf(out_, "%.9g", static_cast<double>(value));
    }
}

void JsonWriter::Bool(bool value) {
    Separate();
    std::fputs(value ? "true" : "false", out_);
}

void JsonWriter::Null() {
    Separate();
    std::fputs("null", out_);
}

void JsonWriter::Utf8String(const std::string& utf8) {
    Separate();
    std::fputc('"', out_);
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            std::fputc('\\', out_);
            std::fputc(c, out_);
        } else if (c < 0x20) {
            std::fprintf(out_, "\\u%04x", c);
        } else {
            std::fputc(c, out_);
        }
    }
    std::fputc('"', out_);
}

void JsonWriter::Cp932String(const char* text) {
    Utf8String(Cp932ToUtf8(text, std::strlen(text)));
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
