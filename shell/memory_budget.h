// The memory budget of one import: the machine's default, or what the
// environment variable VARNEL_MEMORY_BUDGET says.
#pragma once

#include <cstdint>

#include "model/mqo_message_sink.h"

// Bytes written as decimal digits, optionally followed by K, M or G (in
// either case) for kibi-, mebi- or gibibytes. False for anything else, for
// zero (a budget of nothing imports nothing) and for more than 64 bits hold.
bool ParseMemoryBudget(const char* text, uint64_t& bytes);

// The budget VARNEL_MEMORY_BUDGET gives, capped for this process as the
// default is, or else the default. A value that is no budget is reported
// to the sink and left out, so a mistyped variable never ends an import.
uint64_t ImportMemoryBudget(const MQOMessageSink& messages);
