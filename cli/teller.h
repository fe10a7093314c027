// Where `varnel import` tells why it failed and what it warns of: after its
// name on standard error, for a person, or as records for the `convert` that
// runs it (model/told_record.h).
#pragma once

#include <cstdio>
#include <string>

#include "model/shown_text.h"
#include "model/told_record.h"

struct Teller {
    bool records = false;

    void Warning(const std::string& text) const { Tell(ToldKind::kWarning, text); }
    void Failure(const std::string& text) const { Tell(ToldKind::kFailure, text); }

   private:
    void Tell(ToldKind kind, const std::string& text) const {
        const std::string shown = ShownText(text);
        if (records) {
            std::fprintf(stderr, "%s\n", ToldRecord(kind, shown).c_str());
        } else {
            std::fprintf(stderr, "varnel import: %s\n", shown.c_str());
        }
    }
};
