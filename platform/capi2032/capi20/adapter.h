#pragma once

// The CAPI 2.0 operations of libcapi2032.so translated to libcapi20. One adapter per process.
// libcapi20 takes no locks of its own, so every call into it runs under the adapter's lock,
// except the wait: a put from the main thread must never wait for the receive thread.
// A remote CAPI that goes away ends the registration's socket: the adapter then tells the
// application that its calls and its listen have ended, holds its wait on without spinning,
// and registers again and puts the last listen again once the far end answers, under the
// ApplID the application already has.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

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
        int waiting = 0;          // threads inside capi20_waitformessage
        unsigned library_id = 0;  // the library's ApplID now; 0 while the line is lost
        unsigned limits[3] = {};  // as registered, for registering again
        bool lost = false;
        std::vector<unsigned char> listen;  // the last LISTEN_REQ, put again on return
        std::set<uint32_t> calls;           // PLCIs offered and not yet cleared
        std::deque<std::vector<unsigned char>> made_up;
        std::vector<unsigned char> handed_out;  // a made-up message, valid until the next fetch
        std::chrono::steady_clock::time_point next_try;
    };

    Adapter() = default;
    // Loads libcapi20 on the first call; false, for good, when it or a function is missing.
    bool Bound();
    uint32_t GetText(GetTextFn* EntryPoints::*fn, char* buffer, size_t size);
    // Notes what the application must be told again or hears of its calls.
    void Follow(Registration& r, const unsigned char* message, bool put);
    // The number the library knows the registration by; one the adapter never registered
    // goes to the library as it is, to be refused there.
    static unsigned LibraryId(const Registration& r, uint32_t appl_id);
    bool SocketEnded(const Registration& r);
    // While a remote line is lost, the library would only try to connect again, blocking the
    // caller for as long as the network lets it: what asks it then hears "not installed".
    bool LineLost() const;
    void MarkLost(uint32_t appl_id, Registration& r);
    // One try to reach the far end again; the lock is let go while it is probed.
    void TryReturn(uint32_t appl_id, std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable waiter_left_;
    std::condition_variable wake_;  // a wait held on while the line is lost
    bool tried_ = false;
    std::optional<EntryPoints> entry_;
    std::map<uint32_t, Registration> registrations_;
};

}  // namespace capi20
