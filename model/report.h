// Diagnostics: message formatting and delivery, to a given sink or to the
// sink of the model being read. Messages are code page 932 text ending with
// a newline.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "model/mqo_message_sink.h"

struct MQOModel;

constexpr size_t kMessageSize = 1024;

// Formats into kMessageSize bytes, appends a newline and delivers to sink.
void ReportTo(const MQOMessageSink& sink, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
// The same for callers that have their own variable arguments.
void VReportTo(const MQOMessageSink& sink, const char* format, va_list args)
    __attribute__((format(printf, 2, 0)));

// The model whose message_sink receives ReportModel messages.
void SetReportModel(MQOModel* model);
// Clears the current model if it is this one; a model calls it as it dies.
void ForgetReportModel(const MQOModel* model);
// Formats like ReportTo and delivers to the current model's sink, if any.
void ReportModel(const char* format, ...) __attribute__((format(printf, 1, 2)));
