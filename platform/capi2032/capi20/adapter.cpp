#include "platform/capi2032/capi20/adapter.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "platform/capi2032/capi20/line_loss.h"
#include "platform/capi2032/capi20/made_up_messages.h"
#include "platform/capi2032/capi20/sigpipe_guard.h"

namespace capi20 {
namespace {

constexpr uint32_t kNotInstalled = 0x1009;
constexpr uint32_t kIllegalApplication = 0x1101;
constexpr uint32_t kIllegalCommandOrLength = 0x1102;
constexpr uint32_t kQueueEmpty = 0x1104;
constexpr uint32_t kOsResource = 0x1008;
// One slice of the wait: how long a release may have to wait for a waiting thread.
constexpr long kWaitSliceMicroseconds = 200000;
// The driver's own answers, as against a controller's.
constexpr unsigned kDriver = 0;
constexpr size_t kManufacturerSize = 64;
constexpr size_t kSerialNumberSize = 8;
constexpr size_t kVersionSize = 4 * sizeof(uint32_t);
// How often a lost line is tried again, and how long one try may take to connect.
constexpr std::chrono::milliseconds kReturnInterval{1000};
constexpr std::chrono::milliseconds kReturnConnectLimit{1000};

constexpr uint8_t kListen = 0x05;
constexpr uint8_t kConnect = 0x02;
constexpr uint8_t kDisconnect = 0x04;
constexpr uint8_t kReq = 0x80;
constexpr uint8_t kInd = 0x82;
constexpr uint8_t kResp = 0x83;

}  // namespace

Adapter& Adapter::Instance() {
    // Never destroyed: a receive thread may still be inside while the process ends.
    static Adapter* adapter = new Adapter;
    return *adapter;
}

bool Adapter::Bound() {
    if (!tried_) {
        tried_ = true;
        entry_ = LoadEntryPoints();
    }
    return entry_.has_value();
}

uint32_t Adapter::Installed() {
    std::lock_guard lock(mutex_);
    return Bound() && !LineLost() ? entry_->isinstalled() : kNotInstalled;
}

uint32_t Adapter::Register(uint32_t max_logical_connections, uint32_t max_b_data_blocks,
                           uint32_t max_b_data_length, uint32_t* appl_id) {
    std::lock_guard lock(mutex_);
    if (!Bound()) {
        return kNotInstalled;
    }
    if (appl_id == nullptr) {
        // A registration nobody could name again would never be released.
        return kOsResource;
    }
    unsigned id = 0;
    uint32_t result = 0;
    {
        SigpipeGuard guard;
        result = entry_->reg(max_logical_connections, max_b_data_blocks, max_b_data_length, &id);
    }
    if (result == 0) {
        *appl_id = id;
        // A thread of an earlier registration under this number may still be counted as waiting.
        Registration& r = registrations_[id];
        const int waiting = r.waiting;
        r = Registration{};
        r.waiting = waiting;
        r.library_id = id;
        r.limits[0] = max_logical_connections;
        r.limits[1] = max_b_data_blocks;
        r.limits[2] = max_b_data_length;
    }
    return result;
}

uint32_t Adapter::Release(uint32_t appl_id) {
    std::unique_lock lock(mutex_);
    if (!Bound()) {
        return kNotInstalled;
    }
    Registration& r = registrations_[appl_id];
    r.releasing = true;
    wake_.notify_all();
    // Each waiter comes out within one slice and sees the mark before it waits again.
    waiter_left_.wait(lock, [&r] { return r.waiting == 0; });
    const unsigned library_id = LibraryId(r, appl_id);
    const bool lost = r.lost;
    r.lost = false;
    r.library_id = 0;
    r.listen.clear();
    r.calls.clear();
    r.made_up.clear();
    if (lost) {
        return 0;  // the library's registration ended with the line
    }
    SigpipeGuard guard;
    return entry_->release(library_id);
}

uint32_t Adapter::PutMessage(uint32_t appl_id, void* message) {
    std::lock_guard lock(mutex_);
    if (!Bound()) {
        return kNotInstalled;
    }
    if (message == nullptr) {
        return kIllegalCommandOrLength;
    }
    auto* bytes = static_cast<unsigned char*>(message);
    Registration& r = registrations_[appl_id];
    if (r.lost) {
        // Answers to what the adapter made up go nowhere; a request finds no line.
        return Subcommand(bytes) == kResp ? 0 : kNotInstalled;
    }
    Follow(r, bytes, true);
    const unsigned library_id = LibraryId(r, appl_id);
    std::vector<unsigned char> own;
    if (library_id != appl_id && Command(bytes) != 0) {
        own.assign(bytes, bytes + MessageLength(bytes));
        SetApplId(own.data(), static_cast<uint16_t>(library_id));
        bytes = own.data();
    }
    SigpipeGuard guard;
    return entry_->put_message(library_id, bytes);
}

uint32_t Adapter::GetMessage(uint32_t appl_id, void** message) {
    std::lock_guard lock(mutex_);
    if (!Bound()) {
        return kNotInstalled;
    }
    if (message == nullptr) {
        return kIllegalCommandOrLength;
    }
    Registration& r = registrations_[appl_id];
    if (r.made_up.empty() && !r.lost) {
        unsigned char* fetched = nullptr;
        const uint32_t result = entry_->get_message(LibraryId(r, appl_id), &fetched);
        if (result == 0) {
            if (Command(fetched) != 0) {
                SetApplId(fetched, static_cast<uint16_t>(appl_id));
            }
            Follow(r, fetched, false);
            *message = fetched;
            return result;
        }
        if (result != kQueueEmpty || !SocketEnded(r)) {
            return result;
        }
        MarkLost(appl_id, r);
    }
    if (r.made_up.empty()) {
        return kQueueEmpty;
    }
    r.handed_out = std::move(r.made_up.front());
    r.made_up.pop_front();
    *message = r.handed_out.data();
    return 0;
}

uint32_t Adapter::WaitForSignal(uint32_t appl_id) {
    std::unique_lock lock(mutex_);
    if (!Bound()) {
        return kNotInstalled;
    }
    WaitForMessageFn* wait = entry_->waitformessage;
    for (;;) {
        Registration& r = registrations_[appl_id];
        if (r.releasing) {
            return kIllegalApplication;
        }
        if (!r.made_up.empty()) {
            return 0;
        }
        if (r.lost) {
            if (std::chrono::steady_clock::now() >= r.next_try) {
                TryReturn(appl_id, lock);
            } else {
                wake_.wait_for(lock, std::chrono::microseconds(kWaitSliceMicroseconds));
            }
            continue;
        }
        const unsigned library_id = LibraryId(r, appl_id);
        ++r.waiting;
        lock.unlock();
        // A fresh time-out each time: select may leave the remainder in it.
        timeval timeout{0, kWaitSliceMicroseconds};
        const uint32_t result = wait(library_id, &timeout);
        lock.lock();
        Registration& after = registrations_[appl_id];
        if (--after.waiting == 0) {
            waiter_left_.notify_all();
        }
        if (after.releasing) {
            return kIllegalApplication;
        }
        if (result == 0 && SocketEnded(after)) {
            MarkLost(appl_id, after);
            continue;
        }
        if (result != kQueueEmpty) {
            return result;
        }
    }
}

void Adapter::Follow(Registration& r, const unsigned char* message, bool put) {
    const uint8_t command = Command(message);
    const uint8_t subcommand = Subcommand(message);
    if (put && command == kListen && subcommand == kReq) {
        r.listen.assign(message, message + MessageLength(message));
    } else if (!put && command == kConnect && subcommand == kInd) {
        r.calls.insert(Address(message));
    } else if (!put && command == kDisconnect && subcommand == kInd) {
        r.calls.erase(Address(message));
    }
}

unsigned Adapter::LibraryId(const Registration& r, uint32_t appl_id) {
    return r.library_id != 0 ? r.library_id : appl_id;
}

bool Adapter::LineLost() const {
    return std::any_of(registrations_.begin(), registrations_.end(),
                       [](const auto& entry) { return entry.second.lost; });
}

bool Adapter::SocketEnded(const Registration& r) {
    return entry_->fileno != nullptr && r.library_id != 0 &&
           capi20::SocketEnded(entry_->fileno(r.library_id));
}

void Adapter::MarkLost(uint32_t appl_id, Registration& r) {
    {
        // The registration's socket is dead: let the library close it and free its number.
        SigpipeGuard guard;
        entry_->release(r.library_id);
    }
    r.library_id = 0;
    r.lost = true;
    const auto id = static_cast<uint16_t>(appl_id);
    for (const uint32_t plci : r.calls) {
        r.made_up.push_back(DisconnectInd(id, plci, kLineLost));
    }
    r.calls.clear();
    if (!r.listen.empty()) {
        const unsigned char* listen = r.listen.data();
        r.made_up.push_back(ListenConf(id, MessageNumber(listen), Address(listen), kLineLost));
    }
    r.next_try = std::chrono::steady_clock::now() + kReturnInterval;
}

void Adapter::TryReturn(uint32_t appl_id, std::unique_lock<std::mutex>& lock) {
    registrations_[appl_id].next_try = std::chrono::steady_clock::now() + kReturnInterval;
    if (entry_->get_host == nullptr || entry_->get_port == nullptr) {
        return;
    }
    const char* host_text = entry_->get_host();
    const std::string host = host_text != nullptr ? host_text : "";
    // The library keeps the port in a short: above 32767 it reads negative, -1 being none.
    const int kept = entry_->get_port();
    if (kept == -1) {
        return;
    }
    const auto port = static_cast<uint16_t>(kept);
    lock.unlock();
    const bool reachable = Reachable(host, port, kReturnConnectLimit);
    lock.lock();
    Registration& r = registrations_[appl_id];
    if (!reachable || r.releasing || !r.lost) {
        return;
    }
    unsigned id = 0;
    SigpipeGuard guard;
    if (entry_->reg(r.limits[0], r.limits[1], r.limits[2], &id) != 0) {
        return;
    }
    r.library_id = id;
    r.lost = false;
    if (!r.listen.empty()) {
        // Its confirmation tells the application that it is heard again.
        std::vector<unsigned char> listen = r.listen;
        SetApplId(listen.data(), static_cast<uint16_t>(id));
        if (entry_->put_message(id, listen.data()) != 0) {
            MarkLost(appl_id, r);
            r.made_up.clear();
        }
    }
}

uint32_t Adapter::GetText(GetTextFn* EntryPoints::*fn, char* buffer, size_t size) {
    std::lock_guard lock(mutex_);
    if (buffer != nullptr) {
        buffer[0] = '\0';
    }
    if (!Bound() || LineLost()) {
        return kNotInstalled;
    }
    // The library fills its fixed size without a terminator when the text is that long.
    unsigned char own[kManufacturerSize] = {};
    if ((*entry_.*fn)(kDriver, own) == nullptr) {
        return kNotInstalled;
    }
    if (buffer != nullptr) {
        const auto* text = reinterpret_cast<const char*>(own);
        const size_t n = std::min(strnlen(text, size), size - 1);
        std::memcpy(buffer, text, n);
        buffer[n] = '\0';
    }
    return 0;
}

uint32_t Adapter::GetManufacturer(char* buffer) {
    return GetText(&EntryPoints::get_manufacturer, buffer, kManufacturerSize);
}

uint32_t Adapter::GetSerialNumber(char* buffer) {
    return GetText(&EntryPoints::get_serial_number, buffer, kSerialNumberSize);
}

uint32_t Adapter::GetVersion(uint32_t* capi_major, uint32_t* capi_minor,
                             uint32_t* manufacturer_major, uint32_t* manufacturer_minor) {
    uint32_t* out[4] = {capi_major, capi_minor, manufacturer_major, manufacturer_minor};
    uint32_t values[4] = {};
    uint32_t result = kNotInstalled;
    {
        std::lock_guard lock(mutex_);
        alignas(uint32_t) unsigned char own[kVersionSize] = {};
        if (Bound() && !LineLost() && entry_->get_version(kDriver, own) != nullptr) {
            std::memcpy(values, own, sizeof values);
            result = 0;
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (out[i] != nullptr) {
            *out[i] = values[i];
        }
    }
    return result;
}

uint32_t Adapter::GetProfile(void* buffer, uint32_t controller) {
    std::lock_guard lock(mutex_);
    if (!Bound() || LineLost()) {
        return kNotInstalled;
    }
    if (buffer == nullptr) {
        return kIllegalCommandOrLength;
    }
    return entry_->get_profile(controller, static_cast<unsigned char*>(buffer));
}

}  // namespace capi20
