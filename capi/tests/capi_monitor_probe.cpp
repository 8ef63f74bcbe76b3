// Runs the monitor component in a fresh process and prints what came of it, so that each
// binding failure is seen by a process that never loaded the library before. Without an
// argument it opens once; "road" lets one offered call run its course; "hang_release" releases
// while the receive thread cannot be woken.

#include <dlfcn.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "capi/capi_dll.h"
#include "capi/capi_monitor.h"
#include "capi/capi_receive_thread.h"
#include "platform/capi2032/capi20/tests/capi20_double.h"
#include "platform/capi2032/capisim.h"

namespace {

using namespace std::chrono_literals;

// The library that holds the line's capisim_ controls: the libcapi20 double beneath an
// adapter, or else the simulated line itself.
template <typename Fn>
Fn* Line(const char* name) {
    void* handle = dlopen("libcapi20.so.3", RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        handle = capi::CapiDllHandle();
    }
    return handle == nullptr ? nullptr : reinterpret_cast<Fn*>(dlsym(handle, name));
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::string Hex(unsigned v, int digits = 4) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, v);
    return text;
}

int Open() {
    capi::TBelverin monitor(nullptr, capi::TCapiReceive::Manual);
    int events = 0;
    monitor.OnStateChange = [&](bool, bool) { ++events; };
    const bool opened = monitor.Open(1, 5);
    const std::string error = Hex(monitor.Error());
    monitor.RejectCall();
    const bool reset = monitor.ResetCapi();
    std::printf("open=%s error=%s engine=%s reset=%s events=%d text=%s\n",
                opened ? "true" : "false", error.c_str(), monitor.Capi() != nullptr ? "yes" : "no",
                reset ? "true" : "false", events, monitor.ErrorString().c_str());
    return 0;
}

// Prints the call as the component announced it, then every message of the line both ways.
int Road() {
    capi::TBelverin monitor;
    std::string call;
    int states = 0;
    monitor.OnIncomingCall = [&](const std::string& calling, const std::string& called,
                                 std::uint16_t cip, const std::string& text) {
        call = calling + "," + called + "," + std::to_string(cip) + "," + text;
    };
    monitor.OnStateChange = [&](bool, bool) { ++states; };
    if (!monitor.Open(1, 1) || !PumpUntil([&] { return states == 2; })) {
        std::printf("open failed: %s\n", monitor.ErrorString().c_str());
        return 1;
    }
    const capi::TCapi& engine = *monitor.Capi();
    std::printf("register=%u,%u,%u/%u\n", engine.MaxLogicalConnection(), engine.MaxBDataBlocks(),
                engine.MaxBDataLen(), engine.ApplID());
    // What the libcapi20 double beneath an adapter was given and handed out.
    auto* calls = Line<capi20_double_call_count_fn>("capi20_double_call_count");
    auto* call_entry = Line<capi20_double_call_entry_fn>("capi20_double_call_entry");
    for (int i = 0; calls != nullptr && i < calls(); ++i) {
        capi20_double_call c{};
        if (call_entry(i, &c) == 0 && std::string(c.name) == "capi20_register") {
            std::printf("double_register=%u,%u,%u/%u\n", c.args[0], c.args[1], c.args[2],
                        c.appl_id);
        }
    }

    capisim_call_offer offer{1, "0301234567", 0x21, 0x80, "5551234", 16};
    Line<capisim_offer_call_fn>("capisim_offer_call")(&offer);
    auto* count = Line<capisim_count_fn>("capisim_transcript_count");
    auto* entry = Line<capisim_entry_fn>("capisim_transcript_entry");
    auto* bytes = Line<capisim_bytes_fn>("capisim_transcript_bytes");
    auto* unanswered = Line<capisim_count_fn>("capisim_unanswered_count");
    // Left to the others after the ring time, the line clears the call.
    const bool cleared = PumpUntil([&] {
        capisim_entry last{};
        return !call.empty() && unanswered() == 0 && entry(count() - 1, &last) == 0 &&
               last.command == 0x0483;
    });
    std::printf("call=%s cleared=%s\n", call.c_str(), cleared ? "yes" : "no");
    std::string transcript;
    for (int i = 0; i < count(); ++i) {
        capisim_entry e{};
        entry(i, &e);
        unsigned char raw[256] = {};
        const size_t n = bytes(i, raw, sizeof raw);
        transcript +=
            std::string(e.to_application ? "<" : ">") + Hex(e.command) + ":" + Hex(e.result) + ":";
        for (size_t b = 0; b < n && b < sizeof raw; ++b) {
            transcript += Hex(raw[b], 2);
        }
        transcript += " ";
    }
    std::printf("transcript=%s\n", transcript.c_str());
    return 0;
}

// The line ignores every wake-up: only the release of the registration can end the thread.
int HangRelease() {
    capi::TBelverin monitor;
    int states = 0;
    monitor.OnStateChange = [&](bool, bool) { ++states; };
    if (!monitor.Open(1, 5) || !PumpUntil([&] { return states == 2; })) {
        std::printf("open failed: %s\n", monitor.ErrorString().c_str());
        return 1;
    }
    auto* hang = Line<capisim_switch_fn>("capisim_set_wait_hang");
    hang(1);
    monitor.Capi()->Release();
    const bool ended = PumpUntil([] { return capi::TCapiCallBack::Running() == 0; }, 1000ms);
    const bool unloaded = capi::UnloadCapiDll();
    std::printf("ended=%s unload=%s status=%d\n", ended ? "yes" : "no", unloaded ? "true" : "false",
                capi::CapiDllStatus());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "road") {
        return Road();
    }
    if (mode == "hang_release") {
        return HangRelease();
    }
    return Open();
}
