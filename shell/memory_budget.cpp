#include "shell/memory_budget.h"

#include <cstdlib>

#include "model/memory_budget.h"
#include "model/report.h"

namespace {

constexpr const char* kVariable = "VARNEL_MEMORY_BUDGET";

int SuffixShift(char c) {
    switch (c) {
        case 'K':
        case 'k':
            return 10;
        case 'M':
        case 'm':
            return 20;
        case 'G':
        case 'g':
            return 30;
        default:
            return -1;
    }
}

}  // namespace

bool ParseMemoryBudget(const char* text, uint64_t& bytes) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const uint64_t digit = uint64_t(*text - '0');
        if (value > (kNoMemoryLimit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    int shift = 0;
    if (*text != '\0') {
        shift = SuffixShift(*text++);
        if (shift < 0 || *text != '\0') return false;
    }
    if (value == 0 || value > (kNoMemoryLimit >> shift)) return false;
    bytes = value << shift;
    return true;
}

uint64_t ImportMemoryBudget(const MQOMessageSink& messages) {
    const char* text = std::getenv(kVariable);
    if (text == nullptr || *text == '\0') return DefaultMemoryBudget();
    uint64_t bytes = 0;
    if (ParseMemoryBudget(text, bytes)) return CapForProcess(bytes);
    // "%s[%s]は不正な値なので無視します"
    ReportTo(
        messages,
        "%s[%s]\x82\xcd\x95s\x90\xb3\x82\xc8\x92l\x82\xc8\x82\xcc\x82\xc5\x96\xb3\x8e\x8b\x82\xb5"
        "\x82\xdc\x82\xb7",
        kVariable, text);
    return DefaultMemoryBudget();
}
