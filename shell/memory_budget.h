// The memory budget of one import: the machine's default, or what the
// environment variable VARNEL_MEMORY_BUDGET says.
#pragma once

#include <cstdint>

#include "model/mqo_message_sink.h"

// Bytes written as a decimal number, whole or with a fraction ("0.05G"),
// optionally followed, after spaces or not, by a unit in any letter case: B,
// or K, M, G or T alone or with B or iB ("50M", "50MB", "50MiB"), each
// counting in 1024s. False for anything else, for less than a byte (a
// budget of nothing imports nothing) and for more than 64 bits hold.
[[nodiscard]] bool ParseMemoryBudget(const char* text, uint64_t& bytes);

// The budget VARNEL_MEMORY_BUDGET gives, capped for this process as the
// default is, or else the default. A value that is no budget is reported
// to the sink and left out, so a mistyped variable never ends an import.
uint64_t ImportMemoryBudget(const MQOMessageSink& messages);
