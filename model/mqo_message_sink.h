// Where diagnostics go: a user value and a callback. A text callback takes
// the code page 932 text: with a user value (user, text), without one the
// text alone. A message callback takes (user, message), the message's kind
// and line with its text.
#pragma once

#include "model/message_code.h"

using MQOTextCallback = void (*)(const char* text);
using MQOUserTextCallback = void (*)(void* user, const char* text);
using MQOMessageCallback = void (*)(void* user, const MQOMessage& message);

struct MQOMessageSink {
    enum class Kind { kText, kMessage };

    void* user = nullptr;
    // Stored untyped; kind says its real type, and it is only ever called as
    // that type.
    void (*callback)() = nullptr;
    Kind kind = Kind::kText;

    static MQOMessageSink ForText(MQOTextCallback cb) {
        return {nullptr, reinterpret_cast<void (*)()>(cb), Kind::kText};
    }
    static MQOMessageSink ForUser(void* user, MQOUserTextCallback cb) {
        return {user, reinterpret_cast<void (*)()>(cb), Kind::kText};
    }
    static MQOMessageSink ForMessages(void* user, MQOMessageCallback cb) {
        return {user, reinterpret_cast<void (*)()>(cb), Kind::kMessage};
    }
};

// Delivers a message by the sink's rules; no callback drops it.
void DeliverMessage(const MQOMessageSink& sink, const MQOMessage& message);
