#include "platform/agent/agent_control.h"

#include <cstdio>
#include <exception>
#include <utility>

namespace agent {
namespace {

AgentControlFactory& Factory() {
    static AgentControlFactory factory;
    return factory;
}

AgentLogSink& LogSink() {
    static AgentLogSink sink;
    return sink;
}

}  // namespace

void SetAgentControlFactory(AgentControlFactory factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<AgentControl> CreateAgentControl() {
    if (!Factory()) {
        return nullptr;
    }
    try {
        return Factory()();
    } catch (const std::exception& e) {
        AgentLog(std::string("speaking character: control not made: ") + e.what());
    } catch (...) {
        AgentLog("speaking character: control not made");
    }
    return nullptr;
}

void SetAgentLogSink(AgentLogSink sink) {
    LogSink() = std::move(sink);
}

void AgentLog(const std::string& line) {
    if (LogSink()) {
        LogSink()(line);
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

}  // namespace agent
