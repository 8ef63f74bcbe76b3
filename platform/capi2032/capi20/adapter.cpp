#include "platform/capi2032/capi20/adapter.h"

#include <algorithm>
#include <cstring>

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
    return Bound() ? entry_->isinstalled() : kNotInstalled;
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
    const uint32_t result =
        entry_->reg(max_logical_connections, max_b_data_blocks, max_b_data_length, &id);
    if (result == 0) {
        *appl_id = id;
        registrations_[id].releasing = false;
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
    // Each waiter comes out within one slice and sees the mark before it waits again.
    waiter_left_.wait(lock, [&r] { return r.waiting == 0; });
    return entry_->release(appl_id);
}

uint32_t Adapter::PutMessage(uint32_t appl_id, void* message) {
    std::lock_guard lock(mutex_);
    if (!Bound()) {
        return kNotInstalled;
    }
    if (message == nullptr) {
        return kIllegalCommandOrLength;
    }
    return entry_->put_message(appl_id, static_cast<unsigned char*>(message));
}

uint32_t Adapter::GetMessage(uint32_t appl_id, void** message) {
    std::lock_guard lock(mutex_);
    if (!Bound()) {
        return kNotInstalled;
    }
    if (message == nullptr) {
        return kIllegalCommandOrLength;
    }
    unsigned char* fetched = nullptr;
    const uint32_t result = entry_->get_message(appl_id, &fetched);
    if (result == 0) {
        *message = fetched;
    }
    return result;
}

uint32_t Adapter::WaitForSignal(uint32_t appl_id) {
    std::unique_lock lock(mutex_);
    if (!Bound()) {
        return kNotInstalled;
    }
    WaitForMessageFn* wait = entry_->waitformessage;
    for (;;) {
        if (registrations_[appl_id].releasing) {
            return kIllegalApplication;
        }
        ++registrations_[appl_id].waiting;
        lock.unlock();
        // A fresh time-out each time: select may leave the remainder in it.
        timeval timeout{0, kWaitSliceMicroseconds};
        const uint32_t result = wait(appl_id, &timeout);
        lock.lock();
        Registration& r = registrations_[appl_id];
        if (--r.waiting == 0) {
            waiter_left_.notify_all();
        }
        if (r.releasing) {
            return kIllegalApplication;
        }
        if (result != kQueueEmpty) {
            return result;
        }
    }
}

uint32_t Adapter::GetText(GetTextFn* EntryPoints::*fn, char* buffer, size_t size) {
    std::lock_guard lock(mutex_);
    if (buffer != nullptr) {
        buffer[0] = '\0';
    }
    if (!Bound()) {
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
        if (Bound() && entry_->get_version(kDriver, own) != nullptr) {
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
    if (!Bound()) {
        return kNotInstalled;
    }
    if (buffer == nullptr) {
        return kIllegalCommandOrLength;
    }
    return entry_->get_profile(controller, static_cast<unsigned char*>(buffer));
}

}  // namespace capi20
