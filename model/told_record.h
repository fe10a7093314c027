// How a `varnel import` that `varnel convert` runs tells its parent why it
// failed and what it warns of: one line of its standard error per record, a
// record separator byte (0x1e), the kind, a space and the text. The text is
// shown text, on one line and without control bytes, so no line a person
// reads can pass for a record. It lives here, in the lowest library that
// both the command (on every system) and the conversion link.
#pragma once

#include <string>
#include <string_view>

enum class ToldKind { kWarning, kFailure };

constexpr char kToldRecordMark = '\x1e';

// The record, without its line end.
std::string ToldRecord(ToldKind kind, std::string_view text);

// True when the line (without its line end) is a record; kind and text are
// then what it holds.
bool ReadToldRecord(std::string_view line, ToldKind& kind, std::string& text);
