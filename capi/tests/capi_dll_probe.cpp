// Runs binding steps named on the command line in one fresh process and prints each result,
// so that every row of the status table starts from a process that never loaded the library.

#include <dlfcn.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "capi/capi_dll.h"
#include "platform/capi2032/capi20/tests/capi20_double.h"
#include "platform/capi2032/capi2032.h"
#include "platform/capi2032/capisim.h"
#include "platform/capi2032/tests/capi_bytes.h"

namespace {

using namespace std::chrono_literals;

uint32_t registered = 0;  // the ApplID of the last "register"

// The libcapi20 double beneath the adapter, when one is loaded.
template <typename Fn>
Fn* Double(const char* name) {
    void* handle = dlopen("libcapi20.so.3", RTLD_NOW | RTLD_NOLOAD);
    return handle == nullptr ? nullptr : reinterpret_cast<Fn*>(dlsym(handle, name));
}

std::vector<capi20_double_call> DoubleCalls() {
    std::vector<capi20_double_call> calls;
    auto* count = Double<capi20_double_call_count_fn>("capi20_double_call_count");
    auto* entry = Double<capi20_double_call_entry_fn>("capi20_double_call_entry");
    for (int i = 0; count != nullptr && entry != nullptr && i < count(); ++i) {
        capi20_double_call call{};
        entry(i, &call);
        calls.push_back(call);
    }
    return calls;
}

long long Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

bool Named(const capi20_double_call& call, const char* name) {
    return std::strcmp(call.name, name) == 0;
}

uint32_t Listen() {
    capisim_test::ExactBuffer buffer(
        capisim_test::ListenReq(static_cast<uint16_t>(registered), 1, 0x1FFF03FE));
    return capi::CAPI_PUT_MESSAGE(registered, buffer.data());
}

// A receive thread of its own, waiting once.
class Waiter {
  public:
    Waiter()
        : thread_([this] {
              result_ = capi::CAPI_WAIT_FOR_SIGNAL(registered);
              done_ = true;
          }) {}
    ~Waiter() { thread_.join(); }
    bool Done() const { return done_; }
    uint32_t Join() {
        thread_.join();
        thread_ = std::thread([] {});
        return result_;
    }

  private:
    std::atomic<uint32_t> result_{0};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Until the double shows a wait of the registration inside.
void UntilWaitInside() {
    for (int i = 0; i < 2000; ++i) {
        const auto calls = DoubleCalls();
        if (std::any_of(calls.begin(), calls.end(), [](const capi20_double_call& c) {
                return Named(c, "capi20_waitformessage") && c.appl_id == registered &&
                       c.left_ns == 0;
            })) {
            return;
        }
        std::this_thread::sleep_for(1ms);
    }
}

std::string Text(uint32_t result, const char* text) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", result);
    return std::string(hex) + "/\"" + text + "\"";
}

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", v);
    return text;
}

std::string Step(const std::string& step) {
    if (step == "load") {
        capi::LoadCapiDll();
        return std::to_string(capi::CapiDllStatus());
    }
    if (step == "unload") {
        const bool done = capi::UnloadCapiDll();
        return std::string(done ? "true" : "false") + "/" + std::to_string(capi::CapiDllStatus());
    }
    if (step == "kept") {
        return capi::CapiDllHandle() != nullptr ? "yes" : "no";
    }
    if (step == "version") {
        uint32_t v[4] = {};
        const uint32_t r = capi::CAPI_GET_VERSION(&v[0], &v[1], &v[2], &v[3]);
        return r != 0 ? Hex(r) : "0/" + std::to_string(v[0]) + "." + std::to_string(v[1]);
    }
    if (step == "register") {
        return Hex(capi::CAPI_REGISTER(2048, 1, 2, 128, &registered));
    }
    if (step == "appl") {
        return std::to_string(registered);
    }
    if (step == "listen") {
        return Hex(Listen());
    }
    if (step == "wait_slices") {
        // With nothing queued the wait holds on; a message queued later ends it.
        Waiter waiter;
        std::this_thread::sleep_for(1s);
        const std::string held = waiter.Done() ? "returned" : "held";
        Listen();
        return held + "/" + Hex(waiter.Join());
    }
    if (step == "release_waiting") {
        Waiter waiter;
        UntilWaitInside();
        std::this_thread::sleep_for(50ms);
        const auto start = std::chrono::steady_clock::now();
        const uint32_t released = capi::CAPI_RELEASE(registered);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        return Hex(released) + "/" + std::to_string(ms) + "/" + Hex(waiter.Join());
    }
    if (step == "waits") {
        // The double's waits: how many, the longest time-out given, the longest time inside.
        int count = 0;
        unsigned longest_timeout = 0;
        long long longest_inside = 0;
        for (const auto& c : DoubleCalls()) {
            if (Named(c, "capi20_waitformessage")) {
                ++count;
                longest_timeout = std::max(longest_timeout, c.args[0]);
                longest_inside =
                    std::max(longest_inside, (c.left_ns == 0 ? Now() : c.left_ns) - c.entered_ns);
            }
        }
        return std::to_string(count) + "/" + std::to_string(longest_timeout) + "/" +
               std::to_string(longest_inside / 1000000);
    }
    if (step == "overlap") {
        // Whether a release of the registration ran while a wait for it was inside.
        const auto calls = DoubleCalls();
        for (const auto& r : calls) {
            if (!Named(r, "capi20_release") || r.appl_id != registered) {
                continue;
            }
            for (const auto& w : calls) {
                const long long left = w.left_ns == 0 ? Now() : w.left_ns;
                if (Named(w, "capi20_waitformessage") && w.appl_id == registered &&
                    w.entered_ns < r.left_ns && left > r.entered_ns) {
                    return "yes";
                }
            }
        }
        return "no";
    }
    if (step == "double_register") {
        std::string text;
        for (const auto& c : DoubleCalls()) {
            if (Named(c, "capi20_register")) {
                text += std::to_string(c.args[0]) + "," + std::to_string(c.args[1]) + "," +
                        std::to_string(c.args[2]) + "/" + std::to_string(c.appl_id);
            }
        }
        return text;
    }
    if (step == "double_calls") {
        return std::to_string(DoubleCalls().size());
    }
    if (step == "null_texts") {
        auto* set = Double<capi20_double_set_null_texts_fn>("capi20_double_set_null_texts");
        if (set == nullptr) {
            return "-";
        }
        set(1);
        return "done";
    }
    if (step == "version4") {
        uint32_t v[4] = {7, 7, 7, 7};
        const uint32_t r = capi::CAPI_GET_VERSION(&v[0], &v[1], &v[2], &v[3]);
        return Hex(r) + "/" + std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
               std::to_string(v[2]) + "." + std::to_string(v[3]);
    }
    if (step == "texts") {
        // Buffers of exactly the promised size, so that a write past them shows.
        auto manufacturer = std::make_unique<char[]>(64);
        auto serial = std::make_unique<char[]>(8);
        std::memset(manufacturer.get(), 'x', 64);
        std::memset(serial.get(), 'x', 8);
        const uint32_t m = capi::CAPI_GET_MANUFACTURER(manufacturer.get());
        const uint32_t n = capi::CAPI_GET_SERIAL_NUMBER(serial.get());
        if (std::memchr(manufacturer.get(), 0, 64) == nullptr ||
            std::memchr(serial.get(), 0, 8) == nullptr) {
            return "unterminated";
        }
        return Text(m, manufacturer.get()) + "|" + Text(n, serial.get());
    }
    if (step.starts_with("profile:")) {
        auto profile = std::make_unique<unsigned char[]>(64);
        const uint32_t r = capi::CAPI_GET_PROFILE(
            profile.get(), static_cast<uint32_t>(std::stoul(step.substr(8))));
        std::string bytes;
        for (int i = 0; i < 64; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", profile[static_cast<size_t>(i)]);
            bytes += hex;
        }
        return Hex(r) + "/" + bytes;
    }
    if (step == "direct_all") {
        // Straight into the library the binding keeps, past the binding's own guard.
        void* handle = capi::CapiDllHandle();
        if (handle == nullptr) {
            return "-";
        }
        auto fetch = [handle](const char* name) { return dlsym(handle, name); };
        uint32_t appl = 0;
        void* message = nullptr;
        char text[64] = {};
        uint32_t v[4] = {};
        unsigned char profile[64] = {};
        const uint32_t results[] = {
            reinterpret_cast<CapiRegisterFn*>(fetch("CAPI_REGISTER"))(2048, 1, 7, 2048, &appl),
            reinterpret_cast<CapiReleaseFn*>(fetch("CAPI_RELEASE"))(1),
            reinterpret_cast<CapiPutMessageFn*>(fetch("CAPI_PUT_MESSAGE"))(1, text),
            reinterpret_cast<CapiGetMessageFn*>(fetch("CAPI_GET_MESSAGE"))(1, &message),
            reinterpret_cast<CapiWaitForSignalFn*>(fetch("CAPI_WAIT_FOR_SIGNAL"))(1),
            reinterpret_cast<CapiGetManufacturerFn*>(fetch("CAPI_GET_MANUFACTURER"))(text),
            reinterpret_cast<CapiGetVersionFn*>(fetch("CAPI_GET_VERSION"))(&v[0], &v[1], &v[2],
                                                                           &v[3]),
            reinterpret_cast<CapiGetSerialNumberFn*>(fetch("CAPI_GET_SERIAL_NUMBER"))(text),
            reinterpret_cast<CapiGetProfileFn*>(fetch("CAPI_GET_PROFILE"))(profile, 1)};
        std::string text_out;
        for (uint32_t r : results) {
            text_out += (text_out.empty() ? "" : ",") + Hex(r);
        }
        return text_out;
    }
    if (step == "wait") {
        return Hex(capi::CAPI_WAIT_FOR_SIGNAL(4711));  // no such application: never blocks
    }
    if (step == "installed_calls") {
        void* handle = capi::CapiDllHandle();
        auto* count =
            handle == nullptr
                ? nullptr
                : reinterpret_cast<capisim_call_count_fn*>(dlsym(handle, "capisim_call_count"));
        return count == nullptr ? "-" : std::to_string(count(CAPISIM_OP_INSTALLED));
    }
    if (step.starts_with("appear:")) {
        // The library turns up after a failed load, as when the user installs it meanwhile.
        const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        std::filesystem::copy_file(step.substr(7), folder / "libcapi2032.so");
        return "done";
    }
    return "?";
}

}  // namespace

int main(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        // A file path after "appear:" is not part of the step's name.
        const std::string name = step.starts_with("appear:") ? "appear" : step;
        line += (i > 1 ? " " : "") + name + "=" + Step(step);
    }
    std::printf("%s\n", line.c_str());
    return 0;
}
