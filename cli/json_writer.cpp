#include "cli/json_writer.h"

#include <cinttypes>
#include <cstring>

#include "cli/json_text.h"

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
    std::string text;
    AppendJsonFloat(text, value);
    std::fputs(text.c_str(), out_);
}

void JsonWriter::Cp932String(const char* text) {
    Separate();
    std::string json;
    AppendJsonText(json, text);
    std::fputs(json.c_str(), out_);
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
