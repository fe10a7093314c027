// Small pieces shared by the chunk readers.
#pragma once

#include "model/point.h"
#include "model/text.h"
#include "reader/mqo_loader.h"
#include "reader/report.h"

// Keywords and chunk names are whole words compared without regard to the
// case of ASCII letters; every other byte, Shift-JIS included, must match.
inline bool SameKeyword(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const char x = LowerAscii(*a);
        const char y = LowerAscii(*b);
        if (x != y) return false;
        if (x == '\0') return true;
    }
}

// Three reals in a row, x y z.
inline Point3f ReadPoint3(MQOLoader& loader) {
    float xyz[3];
    loader.ReadFloat3(xyz);
    return {xyz[0], xyz[1], xyz[2]};
}

// A keyword the chunk does not know, reported in the shape every chunk shares:
// "%s(%d) : [%s]対応外の<chunk>チャンクです" with the path, the line and the
// printable keyword.
inline void ReportUnknownKeyword(MQOLoader& loader, const char* chunk, const char* keyword) {
    loader.Report(MessageCode::kUnknownKeyword, loader.path, loader.line, EscapeText(keyword),
                  chunk);
}
