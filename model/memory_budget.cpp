#include "model/memory_budget.h"

#include <algorithm>
#include <cstdlib>

#include "model/mqo_model.h"
#include "model/report.h"
#include "model/text.h"

namespace {

template <typename T>
uint64_t ListBytes(const std::vector<T>& list) {
    return uint64_t(list.capacity()) * sizeof(T);
}

// A list of records allocated one by one.
template <typename T>
uint64_t RecordListBytes(const std::vector<std::unique_ptr<T>>& list) {
    return ListBytes(list) + uint64_t(list.size()) * AllocatedBytes(sizeof(T));
}

}  // namespace

uint64_t CapForProcess(uint64_t budget) {
    return sizeof(void*) < 8 ? std::min(budget, k32BitMemoryBudget) : budget;
}

uint64_t DefaultMemoryBudget() {
    const uint64_t physical = PhysicalMemoryBytes();
    return CapForProcess(physical == 0 ? k32BitMemoryBudget : physical / 2);
}

uint64_t ObjectBytes(const MQOObject& object) {
    return AllocatedBytes(sizeof(MQOObject)) + ListBytes(object.vertices) +
           ListBytes(object.vertex_uids) + RecordListBytes(object.faces) +
           RecordListBytes(object.vertex_colors) + RecordListBytes(object.vertex_weights);
}

uint64_t ModelBytes(const MQOModel& model) {
    uint64_t bytes = ListBytes(model.objects) + RecordListBytes(model.materials);
    for (const auto& object : model.objects) bytes += ObjectBytes(*object);
    return bytes;
}

bool FitsMemoryBudget(const MQOMessageSink& sink, const char* object, MemoryStage stage,
                      uint64_t held, uint64_t needed, uint64_t budget) {
    // Forecasts of hostile documents may be near 2^64; the sum saturates.
    const uint64_t total = needed > kNoMemoryLimit - held ? kNoMemoryLimit : held + needed;
    if (total <= budget) return true;
    ReportTo(sink, MessageCode::kOverMemoryBudget, 0, object, MemoryStageName(stage),
             static_cast<unsigned long long>(total), static_cast<unsigned long long>(budget));
    return false;
}

namespace {

constexpr const char* kVariable = "VARNEL_MEMORY_BUDGET";
// Digits of a fraction taken into account: a nanobyte of a gibibyte is less
// than a byte.
constexpr int kFractionDigits = 9;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The power of two a unit stands for: "", "B", "K", "KB", "KiB", "M"...
// through "T", in any letter case; -1 for anything else. KB and the like
// count in 1024s, as the bare letters always have here.
int UnitShift(const char* unit) {
    static constexpr struct {
        char letter;
        int shift;
    } kUnits[] = {{'k', 10}, {'m', 20}, {'g', 30}, {'t', 40}};
    if (*unit == '\0') return 0;
    if (LowerAscii(unit[0]) == 'b') return unit[1] == '\0' ? 0 : -1;
    for (const auto& u : kUnits) {
        if (LowerAscii(unit[0]) != u.letter) continue;
        const char* rest = unit + 1;
        if (LowerAscii(rest[0]) == 'i' && LowerAscii(rest[1]) == 'b')
            rest += 2;
        else if (LowerAscii(rest[0]) == 'b')
            rest += 1;
        return *rest == '\0' ? u.shift : -1;
    }
    return -1;
}

// Reads digits into value, false when they pass 64 bits.
bool ReadWhole(const char*& text, uint64_t& value) {
    for (; IsDigit(*text); ++text) {
        const uint64_t digit = uint64_t(*text - '0');
        if (value > (kNoMemoryLimit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

// The fraction after a point as numerator over 10^digits, its digits past
// kFractionDigits dropped.
void ReadFraction(const char*& text, uint64_t& numerator, uint64_t& denominator) {
    for (int kept = 0; IsDigit(*text); ++text) {
        if (kept++ >= kFractionDigits) continue;
        numerator = numerator * 10 + uint64_t(*text - '0');
        denominator *= 10;
    }
}

}  // namespace

bool ParseMemoryBudget(const char* text, uint64_t& bytes) {
    if (text == nullptr || !IsDigit(*text)) return false;
    uint64_t whole = 0, numerator = 0, denominator = 1;
    if (!ReadWhole(text, whole)) return false;
    if (*text == '.') {
        ++text;
        if (!IsDigit(*text)) return false;
        ReadFraction(text, numerator, denominator);
    }
    while (*text == ' ') ++text;
    const int shift = UnitShift(text);
    if (shift < 0 || whole > (kNoMemoryLimit >> shift)) return false;
    // The fraction of the unit, numerator / denominator of 2^shift, in two
    // parts whose products stay below 2^60: numerator < denominator <= 10^9.
    const uint64_t unit = uint64_t(1) << shift;
    const uint64_t part =
        numerator * (unit / denominator) + numerator * (unit % denominator) / denominator;
    const uint64_t total = whole << shift;
    if (part > kNoMemoryLimit - total || total + part == 0) return false;
    bytes = total + part;
    return true;
}

uint64_t ImportMemoryBudget(const MQOMessageSink& messages) {
    const char* text = std::getenv(kVariable);
    if (text == nullptr || *text == '\0') return DefaultMemoryBudget();
    uint64_t bytes = 0;
    if (ParseMemoryBudget(text, bytes)) return CapForProcess(bytes);
    ReportTo(messages, MessageCode::kBadMemoryBudget, 0, kVariable, text);
    return DefaultMemoryBudget();
}
