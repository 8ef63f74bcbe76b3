#pragma once

// The CAPI 2.0 operations of libcapi2032.so translated to libcapi20. One adapter per process.
// libcapi20 takes no locks of its own, so every call into it runs under the adapter's lock,
// except the wait: a put from the main thread must never wait for the receive thread.

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

#include "platform/capi2032/capi20/capi20_entry_points.h"

namespace capi20 {

class Adapter {
  public:
    static Adapter& Instance();

    uint32_t Installed();
    uint32_t Register(uint32_t max_logical_connections, uint32_t max_b_data_blocks,
                      uint32_t max_b_data_length, uint32_t* appl_id);
    uint32_t Release(uint32_t appl_id);
    uint32_t PutMessage(uint32_t appl_id, void* message);
    uint32_t GetMessage(uint32_t appl_id, void** message);
    uint32_t WaitForSignal(uint32_t appl_id);
    uint32_t GetManufacturer(char* buffer);
    uint32_t GetVersion(uint32_t* capi_major, uint32_t* capi_minor, uint32_t* manufacturer_major,
                        uint32_t* manufacturer_minor);
    uint32_t GetSerialNumber(char* buffer);
    uint32_t GetProfile(void* buffer, uint32_t controller);

  private:
    // libcapi20 waits with select on the application's descriptor and releases by closing it,
    // so a release must never meet a thread inside the wait for the same ApplID.
    struct Registration {
        bool releasing = false;
        int waiting = 0;  // threads inside capi20_waitformessage
    };

    Adapter() = default;
    // Loads libcapi20 on the first call; false, for good, when it or a function is missing.
    bool Bound();
    uint32_t GetText(GetTextFn* EntryPoints::*fn, char* buffer, size_t size);

    std::mutex mutex_;
    std::condition_variable waiter_left_;
    bool tried_ = false;
    std::optional<EntryPoints> entry_;
    std::map<uint32_t, Registration> registrations_;
};

}  // namespace capi20
