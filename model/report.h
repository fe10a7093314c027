// Diagnostics: message formatting and delivery, to a given sink or to the
// sink of the model being read. Messages are code page 932 text ending with
// a newline, each formatted from its kind's text in the message table.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "model/message_code.h"
#include "model/mqo_message_sink.h"

struct MQOModel;

constexpr size_t kMessageSize = 1024;

// Formats the kind's text of about with the values that follow into
// kMessageSize bytes, appends a newline and delivers it to sink with about's
// kind, line and subject.
void ReportAboutTo(const MQOMessageSink& sink, const MQOMessage* about, ...);

// The same about line (0: no line), without a subject.
template <typename... Values>
void ReportTo(const MQOMessageSink& sink, MessageCode code, int32_t line, Values... values) {
    const MQOMessage about{code, line};
    ReportAboutTo(sink, &about, values...);
}

// The model whose message_sink receives ReportModel messages.
void SetReportModel(MQOModel* model);
// Clears the current model if it is this one; a model calls it as it dies.
void ForgetReportModel(const MQOModel* model);
// The current model's sink; an empty one when there is none.
MQOMessageSink ReportModelSink();
// Formats like ReportTo, about no line, and delivers to the current model's
// sink, if any.
template <typename... Values>
void ReportModel(MessageCode code, Values... values) {
    ReportTo(ReportModelSink(), code, 0, values...);
}
