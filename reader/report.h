// The printable form of tokens in the reader's messages, beside the message
// delivery every reader uses.
#pragma once

#include "model/report.h"

constexpr size_t kEscapeSize = 4096;

// Printable form of a token: bytes 32..127 stand as themselves, every other
// byte as "0x%02x". The result lives in one process-wide buffer until the
// next call.
const char* EscapeText(const char* text);
