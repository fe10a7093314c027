// A small streaming JSON writer for the command's dumps: commas are placed
// by the writer, floats are written so that they read back to the same
// 32-bit value, document text is decoded from code page 932.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class JsonWriter {
   public:
    explicit JsonWriter(FILE* out) : out_(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const char* name);

    void Int(int64_t value);
    void Float(float value);
    void Cp932String(const char* text);

    // A key and its value.
    void IntField(const char* key, int64_t value) { Key(key), Int(value); }
    void FloatField(const char* key, float value) { Key(key), Float(value); }
    void TextField(const char* key, const char* cp932) { Key(key), Cp932String(cp932); }

    // Shorthands for the fixed-size arrays of the dumps.
    void Floats(const float* values, int count);
    void Ints(const int32_t* values, int count);

   private:
    void Separate();
    FILE* out_;
    std::vector<bool> first_;  // per open container: nothing written yet
    bool after_key_ = false;
};
