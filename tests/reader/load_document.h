// Loads a document given as text and keeps everything a test looks at: the
// result, the model and the messages (code page 932, as delivered).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "reader/mqo_loader.h"
#include "support/test_support.h"

// The two header lines every document starts with.
inline const std::string kHeader = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n";

struct LoadedDocument {
    TempFile file;
    MessageLog log;
    MQOLoader loader;
    int32_t result = 0;

    explicit LoadedDocument(const std::string& text, uint32_t flags = 0) : file(text) {
        loader.sink = log.Sink();
        loader.flags = flags;
        result = loader.Load(file.path().c_str());
    }

    MQOModel& model() { return *loader.GetModel(); }
    MQOObject& object(int index = 0) { return *model().ObjectAt(index); }
    MQOFace& face(int index, int object_index = 0) { return *object(object_index).FaceAt(index); }

    // The messages before the summary that ends a successful load.
    std::vector<std::string> Reports() const {
        std::vector<std::string> texts = log.texts;
        if (result == 1 && !texts.empty()) texts.pop_back();
        return texts;
    }

    // "path(line) : [word]" followed by a phrase, as the chunk readers report.
    std::string At(int line, const std::string& word, const std::string& phrase_utf8) const {
        return file.path() + "(" + std::to_string(line) + ") : [" + word + "]" +
               Utf8ToCp932(phrase_utf8) + "\n";
    }
};

// A document made of the header, the given chunks and "Eof".
inline std::string Doc(const std::string& chunks) {
    return kHeader + chunks + "Eof\r\n";
}

// The four bytes of a float as a binary vertex block stores them.
inline std::string LittleEndian(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return out;
}
