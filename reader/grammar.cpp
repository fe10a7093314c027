// Load and the document grammar: the two header lines, the top-level chunks up
// to "Eof", then the freeze passes, the totals and the summary message.
#include <cstdlib>

#include "model/text.h"
#include "process/freeze_catmull.h"
#include "process/freeze_mirror.h"
#include "reader/chunk_reading.h"
#include "reader/mqo_loader.h"

namespace {

constexpr size_t kHeaderLineLimit = 256;

bool IsHeaderSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Copies the next whitespace-separated word of a header line into word and
// moves text past it. A word longer than the buffer is cut; the rest of it is
// skipped so it does not pass for the next word. A missing word is empty.
void NextHeaderWord(const char*& text, char (&word)[kTokenSize]) {
    while (IsHeaderSpace(*text)) ++text;
    size_t n = 0;
    for (; *text != '\0' && !IsHeaderSpace(*text); ++text) {
        if (n + 1 < kTokenSize) word[n++] = *text;
    }
    word[n] = '\0';
}

// The number after the second line's three words; a line without one claims
// no version and reads as 0, which never counts as too new.
double HeaderVersion(const char* text) {
    char* end = nullptr;
    double value = std::strtod(text, &end);
    return end == text ? 0.0 : value;
}

bool IsChunkName(const char* token) {
    return SameKeyword(token, "Scene") || SameKeyword(token, "BackImage") ||
           SameKeyword(token, "Material") || SameKeyword(token, "Object") ||
           SameKeyword(token, "IncludeXml");
}

}  // namespace

int32_t MQOLoader::Load(const char* document_path) {
    MQOStream file;
    if (file.Open(&stream, document_path) == 0) return 0;
    CopyText(path, document_path);
    int32_t result = ReadDocument();
    stream.ops->close(stream.stream);
    stream = MQOStreamHandle{};  // the stream dies with this call
    return result;
}

// Runs the top-level chunk reader for a chunk name; 1 to go on, 0 to abort.
static int32_t ReadChunk(MQOLoader& loader, const char* name) {
    if (SameKeyword(name, "Scene")) return loader.ReadSceneChunk();
    if (SameKeyword(name, "BackImage")) return loader.ReadBackImageChunk();
    if (SameKeyword(name, "Material")) return loader.ReadMaterialChunk();
    if (SameKeyword(name, "Object")) return loader.ReadObjectChunk();
    // IncludeXml: the quoted file name is read and not used, quoted or not.
    char include[kPathSize] = {};
    loader.ReadQuoted(include, sizeof(include));
    return 1;
}

static bool ReadHeader(MQOLoader& loader) {
    const char* name = loader.stream.ops->name(loader.stream.stream);
    char line[kHeaderLineLimit + 1];
    char first[kTokenSize], second[kTokenSize], third[kTokenSize];

    loader.ReadLine(line, kHeaderLineLimit);
    const char* text = line;
    NextHeaderWord(text, first);
    NextHeaderWord(text, second);
    if (!SameKeyword(first, "Metasequoia") && !SameKeyword(second, "Document")) {
        // "%s はMQOファイルではありません"
        loader.Report(
            "%s \x82\xcdMQO\x83t\x83@\x83"
            "C\x83\x8b\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1",
            name);
        loader.Report("head1[%s]", first);
        loader.Report("head2[%s]", second);
        return false;
    }

    loader.ReadLine(line, kHeaderLineLimit);
    text = line;
    NextHeaderWord(text, first);
    NextHeaderWord(text, second);
    NextHeaderWord(text, third);
    if (!SameKeyword(first, "Format") && !SameKeyword(second, "Text") &&
        !SameKeyword(third, "Ver") && HeaderVersion(text) > 1.0) {
        // "%s は対応外のバージョンです"
        loader.Report(
            "%s "
            "\x82\xcd\x91\xce\x89\x9e\x8aO\x82\xcc\x83o\x81[\x83W\x83\x87\x83\x93\x82\xc5\x82\xb7",
            name);
        return false;
    }
    return true;
}

// Freezes what the flags ask for, counts the result and reports the summary.
// A freeze the memory budget refuses has told why, and the document fails.
static int32_t FinishDocument(MQOLoader& loader) {
    MQOModel& model = *loader.model;
    if ((loader.flags & MQOLoader::kFreezeMirror) && !FreezeMirror(model, loader.memory_budget)) {
        return 0;
    }
    if ((loader.flags & MQOLoader::kFreezeCatmull) && !FreezeCatmull(model, loader.memory_budget)) {
        return 0;
    }
    model.UpdateTotals();
    loader.Report("obj(%d),mtl(%d),surf(%d),vert(%d),poly(%d):%s", model.ObjectCount(),
                  model.MaterialCount(), model.face_total, model.vertex_total, model.triangle_total,
                  loader.path);
    return 1;
}

int32_t MQOLoader::ReadDocument() {
    model->message_sink = sink;
    if (!ReadHeader(*this)) return 0;

    // Braces of unknown chunks are counted so that a chunk name inside one
    // (such as "material" in the body of "MaterialEx2") starts no reader.
    int32_t depth = 0;
    char token[kTokenSize];
    while (!AtEnd()) {
        if (!ReadToken(token, sizeof(token))) return 0;
        if (SameKeyword(token, "Eof")) break;
        if (depth == 0 && IsChunkName(token)) {
            if (ReadChunk(*this, token) == 0) return 0;
            continue;
        }
        // "[%s]対応外のチャンクです"
        Report("[%s]\x91\xce\x89\x9e\x8aO\x82\xcc\x83`\x83\x83\x83\x93\x83N\x82\xc5\x82\xb7",
               token);
        if (token[0] == '{' && token[1] == '\0') ++depth;
        if (token[0] == '}' && token[1] == '\0' && depth > 0) --depth;
    }
    return FinishDocument(*this);
}
