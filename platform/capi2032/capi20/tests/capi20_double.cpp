// libcapi20's functions, with its header's names and types, routed into the simulated line.

#include <capi20.h>
#include <time.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/capi2032/capi20/tests/capi20_double.h"
#include "platform/capi2032/line.h"

#ifndef CAPI20_DOUBLE_INSTALLED_ANSWER
#define CAPI20_DOUBLE_INSTALLED_ANSWER 0
#endif

// The line's own CAPI_INSTALLED is not exported here; capi20_isinstalled answers instead.
const uint32_t capisim::kInstalledAnswer = 0;

using capisim::Line;

namespace {

std::mutex record_mutex;
std::vector<capi20_double_call> calls;
std::atomic<bool> null_texts{false};

long long Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Records a call from its entry to its return.
class Recorded {
  public:
    Recorded(const char* name, unsigned appl_id, unsigned a0 = 0, unsigned a1 = 0,
             unsigned a2 = 0) {
        capi20_double_call call{};
        std::strncpy(call.name, name, sizeof call.name - 1);
        call.appl_id = appl_id;
        call.args[0] = a0;
        call.args[1] = a1;
        call.args[2] = a2;
        call.entered_ns = Now();
        std::lock_guard lock(record_mutex);
        index_ = calls.size();
        calls.push_back(call);
    }
    unsigned Left(unsigned result, unsigned appl_id = 0) {
        std::lock_guard lock(record_mutex);
        calls[index_].result = result;
        if (appl_id != 0) {
            calls[index_].appl_id = appl_id;
        }
        calls[index_].left_ns = Now();
        return result;
    }

  private:
    size_t index_ = 0;
};

unsigned char* Text(const char* name, unsigned ctrl, unsigned char* buf, const char* text,
                    size_t size) {
    Recorded r(name, 0, ctrl);
    if (null_texts) {
        r.Left(0);
        return nullptr;
    }
    std::memcpy(buf, text, size);
    r.Left(1);
    return buf;
}

}  // namespace

unsigned capi20_isinstalled(void) {
    Recorded r("capi20_isinstalled", 0);
    return r.Left(CAPI20_DOUBLE_INSTALLED_ANSWER);
}

unsigned capi20_register(unsigned MaxLogicalConnection, unsigned MaxBDataBlocks,
                         unsigned MaxBDataLen, unsigned* ApplIDp) {
    Recorded r("capi20_register", 0, MaxLogicalConnection, MaxBDataBlocks, MaxBDataLen);
    // libcapi20 sizes the message buffer itself, as the CAPI 2.0 rule has it.
    const uint32_t result =
        Line::Instance().Register(1024 + 1024 * MaxLogicalConnection, MaxLogicalConnection,
                                  MaxBDataBlocks, MaxBDataLen, ApplIDp);
    return r.Left(result, result == 0 ? *ApplIDp : 0);
}

unsigned capi20_release(unsigned ApplID) {
    Recorded r("capi20_release", ApplID);
    return r.Left(Line::Instance().Release(ApplID));
}

unsigned capi20_put_message(unsigned ApplID, unsigned char* Msg) {
    Recorded r("capi20_put_message", ApplID);
    return r.Left(Line::Instance().Put(ApplID, Msg));
}

unsigned capi20_get_message(unsigned ApplID, unsigned char** Buf) {
    Recorded r("capi20_get_message", ApplID);
    void* message = nullptr;
    const uint32_t result = Line::Instance().Get(ApplID, &message);
    if (result == 0) {
        *Buf = static_cast<unsigned char*>(message);
    }
    return r.Left(result);
}

#ifndef CAPI20_DOUBLE_WITHOUT_WAIT
unsigned capi20_waitformessage(unsigned ApplID, struct timeval* TimeOut) {
    const unsigned micros =
        TimeOut == nullptr ? ~0u
                           : static_cast<unsigned>(TimeOut->tv_sec * 1000000 + TimeOut->tv_usec);
    Recorded r("capi20_waitformessage", ApplID, micros);
    const uint32_t result =
        TimeOut == nullptr ? Line::Instance().Wait(ApplID)
                           : Line::Instance().WaitFor(ApplID, std::chrono::microseconds(micros));
    return r.Left(result);
}
#endif

unsigned char* capi20_get_manufacturer(unsigned Ctrl, unsigned char* Buf) {
    return Text("capi20_get_manufacturer", Ctrl, Buf, CAPI20_DOUBLE_MANUFACTURER, 64);
}

unsigned char* capi20_get_serial_number(unsigned Ctrl, unsigned char* Buf) {
    return Text("capi20_get_serial_number", Ctrl, Buf, CAPI20_DOUBLE_SERIAL_NUMBER, 8);
}

unsigned char* capi20_get_version(unsigned Ctrl, unsigned char* Buf) {
    Recorded r("capi20_get_version", 0, Ctrl);
    if (null_texts) {
        r.Left(0);
        return nullptr;
    }
    uint32_t v[4] = {};
    Line::Instance().GetVersion(&v[0], &v[1], &v[2], &v[3]);
    std::memcpy(Buf, v, sizeof v);
    r.Left(1);
    return Buf;
}

unsigned capi20_get_profile(unsigned Controller, unsigned char* Buf) {
    Recorded r("capi20_get_profile", 0, Controller);
    return r.Left(Line::Instance().GetProfile(Buf, Controller));
}

extern "C" int capi20_double_call_count(void) {
    std::lock_guard lock(record_mutex);
    return static_cast<int>(calls.size());
}

extern "C" int capi20_double_call_entry(int index, capi20_double_call* call) {
    std::lock_guard lock(record_mutex);
    if (index < 0 || static_cast<size_t>(index) >= calls.size() || call == nullptr) {
        return -1;
    }
    *call = calls[static_cast<size_t>(index)];
    return 0;
}

extern "C" void capi20_double_set_null_texts(int on) {
    null_texts = on != 0;
}
