#include "model/told_record.h"

#include <cassert>

namespace {

constexpr std::string_view kWarningWord = "warning ";
constexpr std::string_view kFailureWord = "failure ";
static_assert(kWarningWord.size() == kFailureWord.size());

}  // namespace

std::string ToldRecord(ToldKind kind, std::string_view text) {
    assert(text.find('\n') == std::string_view::npos && "a record is one line");
    std::string record(1, kToldRecordMark);
    record += kind == ToldKind::kFailure ? kFailureWord : kWarningWord;
    record += text;
    return record;
}

bool ReadToldRecord(std::string_view line, ToldKind& kind, std::string& text) {
    if (line.empty() || line.front() != kToldRecordMark) return false;
    line.remove_prefix(1);
    if (line.starts_with(kFailureWord)) {
        kind = ToldKind::kFailure;
    } else if (line.starts_with(kWarningWord)) {
        kind = ToldKind::kWarning;
    } else {
        return false;
    }
    text = line.substr(kWarningWord.size());
    return true;
}
