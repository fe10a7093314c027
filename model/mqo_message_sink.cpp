#include "model/mqo_message_sink.h"

void DeliverMessage(const MQOMessageSink& sink, const MQOMessage& message) {
    if (sink.callback == nullptr) return;
    if (sink.kind == MQOMessageSink::Kind::kMessage) {
        reinterpret_cast<MQOMessageCallback>(sink.callback)(sink.user, message);
    } else if (sink.user == nullptr) {
        reinterpret_cast<MQOTextCallback>(sink.callback)(message.text);
    } else {
        reinterpret_cast<MQOUserTextCallback>(sink.callback)(sink.user, message.text);
    }
}
