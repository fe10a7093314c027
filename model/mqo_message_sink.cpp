#include "model/mqo_message_sink.h"

void DeliverMessage(const MQOMessageSink& sink, const char* text) {
    if (sink.callback == nullptr) return;
    if (sink.user == nullptr) {
        reinterpret_cast<MQOTextCallback>(sink.callback)(text);
    } else {
        reinterpret_cast<MQOUserTextCallback>(sink.callback)(sink.user, text);
    }
}
