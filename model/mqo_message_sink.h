// Where diagnostic texts go: a user value and a callback. With a user value the
// callback takes (user, text); without one it takes the text alone.
#pragma once

using MQOTextCallback = void (*)(const char* text);
using MQOUserTextCallback = void (*)(void* user, const char* text);

struct MQOMessageSink {
    void* user = nullptr;
    // Stored untyped; its real type is MQOTextCallback when user is null and
    // MQOUserTextCallback otherwise, and it is only ever called as that type.
    void (*callback)() = nullptr;

    static MQOMessageSink ForText(MQOTextCallback cb) {
        return {nullptr, reinterpret_cast<void (*)()>(cb)};
    }
    static MQOMessageSink ForUser(void* user, MQOUserTextCallback cb) {
        return {user, reinterpret_cast<void (*)()>(cb)};
    }
};

// Delivers a NUL-terminated text by the sink's rules; no callback drops it.
void DeliverMessage(const MQOMessageSink& sink, const char* text);
