// The Material chunk: one material per line, a quoted name followed by
// attributes written as keyword(values).
#include <string>

#include "reader/chunk_reading.h"
#include "reader/mqo_loader.h"
#include "reader/report.h"

namespace {

// A switch of the line: on when its value's lowest bit is.
void SetFlag(MQOMaterial& m, uint32_t flag, int32_t value) {
    m.flags &= ~flag;
    if (value & 1) m.flags |= flag;
}

// Each reader takes the values between the parentheses. A quoted value that
// fails keeps what was read of it, and reading goes on at the ")".
struct Attribute {
    const char* keyword;
    void (*read)(MQOLoader& loader, MQOMaterial& m);
};

constexpr Attribute kAttributes[] = {
    {"col",
     [](MQOLoader& l, MQOMaterial& m) {
         float rgba[4];
         l.ReadFloat4(rgba);
         m.col = {rgba[0], rgba[1], rgba[2], rgba[3]};
     }},
    {"shader", [](MQOLoader& l, MQOMaterial& m) { m.shader = l.ReadInt(); }},
    {"uid", [](MQOLoader& l, MQOMaterial& m) { m.SetUid(l.ReadInt()); }},
    {"vcol", [](MQOLoader& l, MQOMaterial& m) { SetFlag(m, MQOMaterial::kFlagVcol, l.ReadInt()); }},
    {"dbls",
     [](MQOLoader& l, MQOMaterial& m) { SetFlag(m, MQOMaterial::kFlagDoubleSided, l.ReadInt()); }},
    {"dif", [](MQOLoader& l, MQOMaterial& m) { m.dif = l.ReadFloat(); }},
    {"amb", [](MQOLoader& l, MQOMaterial& m) { m.amb = l.ReadFloat(); }},
    {"emi", [](MQOLoader& l, MQOMaterial& m) { m.emi = l.ReadFloat(); }},
    {"spc", [](MQOLoader& l, MQOMaterial& m) { m.spc = l.ReadFloat(); }},
    {"power", [](MQOLoader& l, MQOMaterial& m) { m.power = l.ReadFloat(); }},
    {"proj_type", [](MQOLoader& l, MQOMaterial& m) { m.proj_type = l.ReadInt(); }},
    {"proj_pos", [](MQOLoader& l, MQOMaterial& m) { m.proj_pos = ReadPoint3(l); }},
    {"proj_scale", [](MQOLoader& l, MQOMaterial& m) { m.proj_scale = ReadPoint3(l); }},
    {"proj_angle", [](MQOLoader& l, MQOMaterial& m) { m.proj_angle = ReadPoint3(l); }},
    {"tex", [](MQOLoader& l, MQOMaterial& m) { l.ReadQuoted(m.tex, sizeof(m.tex)); }},
    // "alpha" and "aplane" both name the transparency image.
    {"alpha", [](MQOLoader& l, MQOMaterial& m) { l.ReadQuoted(m.alpha, sizeof(m.alpha)); }},
    {"aplane", [](MQOLoader& l, MQOMaterial& m) { l.ReadQuoted(m.alpha, sizeof(m.alpha)); }},
    {"bump", [](MQOLoader& l, MQOMaterial& m) { l.ReadQuoted(m.bump, sizeof(m.bump)); }},
};

const Attribute* FindAttribute(const char* keyword) {
    for (const Attribute& a : kAttributes) {
        if (SameKeyword(keyword, a.keyword)) return &a;
    }
    return nullptr;
}

constexpr int kEndOfFileMark = 26;

// After blanks, whether the values of an attribute open here; anything else
// is put back.
bool ValuesOpen(MQOLoader& loader) {
    while (!loader.AtEnd()) {
        const int c = loader.GetChar();
        if (c == ' ' || c == '\t') continue;
        if (c == '(') return true;
        loader.PutBack(c);
        return false;
    }
    return false;
}

// Passes over the values of an attribute this reader does not know, such as
// the modelling program's newer "reflect(...)", so that the attributes after
// it are still read: up to the ")" that closes the "(" just read, counting
// nested ones, with a quoted text taken whole. False when the line or the
// data ends first; the byte that ended the line is put back for SkipLine.
bool SkipValues(MQOLoader& loader) {
    int64_t depth = 1;  // a line may hold more "(" than an int counts
    bool quoted = false;
    while (!loader.AtEnd()) {
        const int c = loader.GetChar();
        if (c == '\n' || c == 0 || c == kEndOfFileMark) {
            loader.PutBack(c);
            return false;
        }
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '(') {
            ++depth;
        } else if (!quoted && c == ')' && --depth == 0) {
            return true;
        }
    }
    return false;
}

// Reads the attributes of one material line up to its end. An unknown
// keyword is told, and its values passed over; when it has none that close
// on the line, the rest of the line is left unread. 0 aborts.
int32_t ReadAttributes(MQOLoader& loader, MQOMaterial& material) {
    char keyword[kTokenSize];
    for (;;) {
        if (loader.AtEnd()) return 0;
        if (!loader.ReadTokenInLine(keyword, sizeof(keyword))) return 0;
        if (keyword[0] == '\0') return 1;
        const Attribute* attribute = FindAttribute(keyword);
        if (attribute == nullptr) {
            ReportUnknownKeyword(loader, "Material", keyword);
            if (ValuesOpen(loader) && SkipValues(loader)) continue;
            return 1;
        }
        if (!loader.ExpectOpenParen()) return 0;
        attribute->read(loader, material);
        if (!loader.ExpectCloseParen()) return 0;
    }
}

}  // namespace

int32_t MQOLoader::ReadMaterialChunk() {
    ReadInt();  // the material count; the lines decide how many there are
    if (!ExpectOpenBrace()) return 0;
    if (AtEnd()) return 1;
    char name[kPathSize];
    for (;;) {
        int first = 0;
        if (!SkipSpace(first)) return 0;
        if (first == '}') return 1;
        PutBack(first);
        name[0] = '\0';
        if (!ReadQuoted(name, sizeof(name))) {
            std::string shown;
            Report(MessageCode::kNotAMaterialName, model->NameInMessages(name, shown));
            return 0;
        }
        MQOMaterial* material = model->AddMaterial();
        material->AssignName(name, model->code_page);
        if (ReadAttributes(*this, *material) == 0) return 0;
        SkipLine();
        if (AtEnd()) return 1;
    }
}
