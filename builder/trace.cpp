#include "builder/trace.h"

#include <cstdarg>
#include <cstdio>

static MQOMessageSink trace_sink;

void SetTraceSink(const MQOMessageSink& sink) {
    trace_sink = sink;
}

bool TraceEnabled() {
    return trace_sink.callback != nullptr;
}

void Trace(const char* format, ...) {
    if (trace_sink.callback == nullptr) return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    MQOMessage message;
    message.code = MessageCode::kTrace;
    message.text = text;
    DeliverMessage(trace_sink, message);
}
