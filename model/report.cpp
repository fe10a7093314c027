#include "model/report.h"

#include <cassert>
#include <cstdarg>
#include <cstdio>

#include "model/mqo_model.h"
#include "model/text.h"

namespace {

MQOModel* report_model = nullptr;

// The longest prefix of at most limit bytes that ends on a whole character.
size_t CharBoundary(const char* text, size_t limit) {
    size_t i = 0;
    while (i < limit) {
        size_t width = IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > limit) break;
        i += width;
    }
    return i;
}

// Formats into a message buffer and appends the newline. A message that does
// not fit is cut so that the newline and terminator always do.
void FormatMessage(char (&buffer)[kMessageSize], const char* format, va_list args) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int n = std::vsnprintf(buffer, kMessageSize - 1, format, args);
#pragma GCC diagnostic pop
    size_t len = 0;
    if (n > 0) {
        len = static_cast<size_t>(n);
        if (len > kMessageSize - 2) len = CharBoundary(buffer, kMessageSize - 2);
    }
    // A "%c" of the byte 0 (what the reader finds at the end of the data)
    // would end the text early; it stands as a space so the message arrives
    // whole.
    for (size_t i = 0; i < len; ++i) {
        if (buffer[i] == '\0') buffer[i] = ' ';
    }
    buffer[len] = '\n';
    buffer[len + 1] = '\0';
}

}  // namespace

void ReportAboutTo(const MQOMessageSink& sink, const MQOMessage* about, ...) {
    assert(about != nullptr);
    char buffer[kMessageSize];
    va_list args;
    va_start(args, about);
    FormatMessage(buffer, MessageFormat(about->code), args);
    va_end(args);
    MQOMessage message = *about;
    message.text = buffer;
    DeliverMessage(sink, message);
}

void SetReportModel(MQOModel* model) {
    report_model = model;
}

void ForgetReportModel(const MQOModel* model) {
    if (report_model == model) report_model = nullptr;
}

MQOMessageSink ReportModelSink() {
    return report_model != nullptr ? report_model->message_sink : MQOMessageSink{};
}
