// The kinds of message the importer delivers. Each message carries its kind
// and the document line it is about beside its code page 932 text, so that a
// program showing messages folds, counts and explains them by kind and never
// by their bytes.
#pragma once

#include <cstdint>

enum class MessageCode {
    // The tokenizer: a byte other than the one a statement needs.
    kNoOpenBrace,
    kNoOpenParen,   // also for a missing '['
    kNoCloseParen,  // also for a missing ']'
    kNoOpeningQuote,
    // The header.
    kNotADocument,
    kFirstHeaderWord,
    kSecondHeaderWord,
    kUnsupportedVersion,
    // Top level: a token outside every chunk the reader knows; its subject
    // is the token.
    kUnknownToken,
    kUnclosedBlock,
    kUnknownCodePage,
    kCutOffBeforeEof,
    // Inside chunks.
    kUnknownKeyword,
    kNotAMaterialName,
    kNotAnObjectName,
    kNotANumber,
    kTooManyCorners,
    kBadVectorSize,
    kVertexAttrToken,
    kVertexAttrEnd,
    // The reader's closing summary of a good read.
    kSummary,
    // The Catmull-Clark freeze: a vertex without an edge.
    kVertexWithoutEdge,
    // Memory.
    kOverMemoryBudget,
    kBadMemoryBudget,
    kOutOfMemory,
    // The scene builder: a map path kept as the document's bytes, and a
    // line of its trace, which is formatted where it is made.
    kMapPathKeptAsBytes,
    kTrace,
};

// The stages whose memory the budget checks, as the over-budget message
// names them.
enum class MemoryStage { kFreezeMirror, kFreezeCatmull, kMeshBuilding };

// One message as delivered: text is code page 932, ending with a newline;
// line is the document line it is about, 0 when it is about no line; subject
// is the document's token it tells of (an unknown token), else empty. All
// three are valid only during the delivery.
struct MQOMessage {
    MessageCode code = MessageCode::kTrace;
    int32_t line = 0;
    const char* text = "";
    const char* subject = "";
};

// The printf format of a kind's text (without the newline every message
// gets), and the name of a stage in the over-budget message.
const char* MessageFormat(MessageCode code);
const char* MemoryStageName(MemoryStage stage);
