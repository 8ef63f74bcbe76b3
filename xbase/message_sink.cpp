#include "xbase/message_sink.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace xbase {

namespace {

std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}

MessageSink& Sink() {
    static MessageSink sink;
    return sink;
}

}  // namespace

MessageSink SetMessageSink(MessageSink sink) {
    std::lock_guard lock(SinkMutex());
    return std::exchange(Sink(), std::move(sink));
}

void ShowMessage(const std::string& text) {
    MessageSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = Sink();
    }
    // Called outside the lock: a sink may show a dialog that runs the event loop.
    if (sink) {
        sink(LayerMessage{text});
    } else {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

void ShowNotSupported(const std::string& name) {
    ShowMessage("This BDE function not supported in this xBase layer: " + name);
}

}  // namespace xbase
