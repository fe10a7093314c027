// The scene builder's trace: printf-style lines about what it converts. They
// go nowhere unless a channel is set, and nothing the builder makes depends
// on them.
#pragma once

#include "model/mqo_message_sink.h"

#if defined(__GNUC__)
#define VARNEL_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define VARNEL_PRINTF_FORMAT
#endif

void Trace(const char* format, ...) VARNEL_PRINTF_FORMAT;

// Whether a channel is set. Loops that trace per corner ask once, since
// formatting arguments for a call that drops them costs more than the corner.
bool TraceEnabled();

// Where trace texts go from now on, cut at 1023 bytes; an empty sink turns
// the trace off (the default).
void SetTraceSink(const MQOMessageSink& sink);
