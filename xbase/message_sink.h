#pragma once

#include <functional>
#include <string>

namespace xbase {

// The layer's message boxes are all of the error kind with the OK button alone: they tell,
// they never ask, so the answer goes on after one.
struct LayerMessage {
    std::string text;  // UTF-8
};

using MessageSink = std::function<void(const LayerMessage&)>;

// The program connects its dialog service here, tests a recorder. Without a sink a message
// goes to standard error, so a headless run never waits on one. Returns the previous sink.
MessageSink SetMessageSink(MessageSink sink);

void ShowMessage(const std::string& text);

// "This BDE function not supported in this xBase layer: " and the call's name.
void ShowNotSupported(const std::string& name);

}  // namespace xbase
