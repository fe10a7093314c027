// Load and the document grammar: the two header lines, the top-level chunks up
// to "Eof", then the freeze passes, the totals and the summary message. A
// document cut off before "Eof", or left inside a brace, is told where. The
// "CodePage" line is told as an unknown chunk, as it always was, and sets the
// code page of the document's texts.
#include <cstdlib>

#include "model/mqo_message_sink.h"
#include "model/text.h"
#include "process/freeze_catmull.h"
#include "process/freeze_mirror.h"
#include "reader/chunk_reading.h"
#include "reader/code_page_name.h"
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

// Reads the document from the stream just opened into the loader's handle.
static int32_t ReadOpenedDocument(MQOLoader& loader, const char* document_path) {
    CopyText(loader.path, document_path);
    loader.ForgetWindow();
    int32_t result = loader.ReadDocument();
    loader.BringStreamInStep();
    loader.stream.ops->close(loader.stream.stream);
    loader.stream = MQOStreamHandle{};  // the stream is the caller's local, gone on return
    loader.ForgetWindow();              // it pointed into the stream's bytes
    return result;
}

int32_t MQOLoader::Load(const char* document_path) {
    MQOStream file;
    if (file.Open(&stream, document_path) == 0) return 0;
    return ReadOpenedDocument(*this, document_path);
}

int32_t MQOLoader::LoadFrom(const char* document_path, MQOStreamHandle handle) {
    if (handle.ops == nullptr) return 0;
    stream = handle;
    return ReadOpenedDocument(*this, document_path);
}

int32_t MQOLoader::LoadBytes(const char* document_path, const void* data, size_t count) {
    MQOStream bytes;
    if (bytes.OpenBytes(&stream, data, count, document_path) == 0) return 0;
    return ReadOpenedDocument(*this, document_path);
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
        loader.Report(MessageCode::kNotADocument, name);
        loader.Report(MessageCode::kFirstHeaderWord, first);
        loader.Report(MessageCode::kSecondHeaderWord, second);
        return false;
    }

    loader.ReadLine(line, kHeaderLineLimit);
    text = line;
    NextHeaderWord(text, first);
    NextHeaderWord(text, second);
    NextHeaderWord(text, third);
    if (!SameKeyword(first, "Format") && !SameKeyword(second, "Text") &&
        !SameKeyword(third, "Ver") && HeaderVersion(text) > 1.0) {
        loader.Report(MessageCode::kUnsupportedVersion, name);
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
    loader.Report(MessageCode::kSummary, model.ObjectCount(), model.MaterialCount(),
                  model.face_total, model.vertex_total, model.triangle_total, loader.path);
    return 1;
}

namespace {

// Braces of unknown chunks are counted so that a chunk name inside one (such
// as "material" in the body of "MaterialEx2") starts no reader. A brace that is
// never closed hides every chunk after it, so the line of the outermost one is
// kept to tell the user where it opened. The count has 64 bits, more than any
// file has braces.
struct UnknownBlocks {
    int64_t depth = 0;
    int32_t open_line = 0;

    void Count(const char* token, int32_t line) {
        if (token[1] != '\0') return;
        if (token[0] == '{') {
            if (depth == 0) open_line = line;
            ++depth;
        }
        if (token[0] == '}' && depth > 0) --depth;
    }
};

// Passes a chunk reader's messages on to the loader's sink and counts them.
struct CountedSink {
    MQOMessageSink target;
    int32_t count = 0;

    static void Pass(void* user, const MQOMessage& message) {
        auto& self = *static_cast<CountedSink*>(user);
        ++self.count;
        DeliverMessage(self.target, message);
    }
};

}  // namespace

// The line of the last byte read: at the end of the data the counter has
// already passed a final newline, onto a line that holds nothing.
static int32_t LastLineRead(MQOLoader& loader) {
    loader.UngetChar();
    int32_t last = loader.line;
    loader.GetChar();
    return last;
}

// A document cut off before "Eof", as a broken download leaves it.
static void ReportCutOff(MQOLoader& loader) {
    const int32_t last = LastLineRead(loader);
    loader.ReportAt(MessageCode::kCutOffBeforeEof, last, loader.path, last);
}

// Runs a chunk reader. One that fails at the end of the data without saying
// why stopped where the document was cut off, and the user is told so; one
// that did say why is left to speak for itself.
static int32_t ReadChunkTellingCutOff(MQOLoader& loader, const char* name) {
    CountedSink counted{loader.sink};
    loader.sink = MQOMessageSink::ForMessages(&counted, &CountedSink::Pass);
    int32_t result = ReadChunk(loader, name);
    loader.sink = counted.target;
    if (result == 0 && counted.count == 0 && loader.AtEnd()) ReportCutOff(loader);
    return result;
}

static void ReportUnclosedBlock(MQOLoader& loader, int32_t open_line) {
    loader.ReportAt(MessageCode::kUnclosedBlock, open_line, loader.path, open_line);
}

// A CodePage line whose word names no code page known here, or that has no
// word: its texts are read as code page 932, as before code pages were read.
static void ReportUnknownCodePage(MQOLoader& loader, int32_t line, const char* word) {
    loader.ReportAt(MessageCode::kUnknownCodePage, line, loader.path, line, word);
}

static void DeclareCodePage(MQOLoader& loader, int32_t line, const char* word) {
    int32_t code_page = kCodePageJapanese;
    if (!CodePageOfName(word, code_page)) ReportUnknownCodePage(loader, line, word);
    loader.model->code_page = code_page;
}

int32_t MQOLoader::ReadDocument() {
    model->message_sink = sink;
    if (!ReadHeader(*this)) return 0;

    UnknownBlocks blocks;
    bool cut_off = false;
    bool reached_eof = false;
    // The line of a top-level "CodePage" whose word is still to come; 0 for none.
    int32_t code_page_line = 0;
    char token[kTokenSize];
    while (!AtEnd()) {
        // Only white space was left: the data ended where a token was due.
        if (!ReadToken(token, sizeof(token))) {
            cut_off = true;
            break;
        }
        if (code_page_line != 0 && line != code_page_line) {
            DeclareCodePage(*this, code_page_line, "");
            code_page_line = 0;
        }
        if (SameKeyword(token, "Eof")) {
            reached_eof = true;
            break;
        }
        if (blocks.depth == 0 && IsChunkName(token)) {
            if (ReadChunkTellingCutOff(*this, token) == 0) return 0;
            continue;
        }
        ReportUnknownToken(token);
        if (code_page_line != 0) {
            DeclareCodePage(*this, code_page_line, token);
            code_page_line = 0;
        } else if (blocks.depth == 0 && SameKeyword(token, "CodePage")) {
            code_page_line = line;
        }
        blocks.Count(token, line);
    }
    if (code_page_line != 0) DeclareCodePage(*this, code_page_line, "");
    if (blocks.depth > 0) ReportUnclosedBlock(*this, blocks.open_line);
    if (cut_off) {
        ReportCutOff(*this);
        return 0;
    }
    // What was read still makes a model, but the user learns that the rest
    // of the document is missing, as a cut-off download leaves it.
    if (!reached_eof) ReportCutOff(*this);
    return FinishDocument(*this);
}
