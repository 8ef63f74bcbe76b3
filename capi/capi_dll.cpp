#include "capi/capi_dll.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "platform/capi2032/capi2032.h"

namespace capi {
namespace {

constexpr const char* kLibraryName = "libcapi2032.so";

struct EntryPoints {
    CapiInstalledFn* installed = nullptr;
    CapiRegisterFn* reg = nullptr;
    CapiReleaseFn* release = nullptr;
    CapiPutMessageFn* put_message = nullptr;
    CapiGetMessageFn* get_message = nullptr;
    CapiWaitForSignalFn* wait_for_signal = nullptr;
    CapiGetManufacturerFn* get_manufacturer = nullptr;
    CapiGetVersionFn* get_version = nullptr;
    CapiGetSerialNumberFn* get_serial_number = nullptr;
    CapiGetProfileFn* get_profile = nullptr;
};

struct Binding {
    std::mutex mutex;
    int status = kCapiDllNotLoaded;
    bool loaded = false;
    void* handle = nullptr;
    EntryPoints entry;
    int calls_inside = 0;  // calls that have entered the library and not yet returned
};

Binding& State() {
    // Never destroyed: a receive thread may still be inside the library at process end.
    static Binding* binding = new Binding;
    return *binding;
}

struct UnloadAtProcessEnd {
    ~UnloadAtProcessEnd() { UnloadCapiDll(); }
} unload_at_process_end;

template <typename Fn>
bool Fetch(void* handle, const char* name, Fn*& out) {
    out = reinterpret_cast<Fn*>(dlsym(handle, name));
    return out != nullptr;
}

void* OpenLibrary() {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::string beside = (program.parent_path() / kLibraryName).string();
        if (void* handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return handle;
        }
    }
    return dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
}

// Counts a call as inside the library for as long as it runs, so that an unload waits for it.
template <typename Pick, typename... Args>
uint32_t Call(Pick pick, Args... args) {
    Binding& b = State();
    decltype(pick(b.entry)) fn = nullptr;
    {
        std::lock_guard lock(b.mutex);
        if (b.status != kCapiDllInstalled) {
            return 0x9000u + static_cast<uint32_t>(b.status);
        }
        fn = pick(b.entry);
        ++b.calls_inside;
    }
    const uint32_t result = fn(args...);
    std::lock_guard lock(b.mutex);
    --b.calls_inside;
    return result;
}

}  // namespace

EDLLLoadError::EDLLLoadError() : rtl::Exception("File \"CAPI2032.DLL\" not found.") {}

void LoadCapiDll() {
    Binding& b = State();
    std::lock_guard lock(b.mutex);
    // Only "not loaded" loads: a missing file is not retried, and a library kept at status 3
    // is not taken a second time.
    if (b.status != kCapiDllNotLoaded) {
        return;
    }
    b.status = kCapiDllInstalled;
    b.loaded = true;
    try {
        b.handle = OpenLibrary();
        if (b.handle == nullptr) {
            throw EDLLLoadError();
        }
    } catch (const EDLLLoadError&) {
        b.status = kCapiDllFileNotFound;
        b.loaded = false;
        return;
    }
    EntryPoints e;
    if (!Fetch(b.handle, "CAPI_INSTALLED", e.installed) || e.installed() != 0) {
        b.status = kCapiDllNotInstalled;
        return;
    }
    // A library without one of its operations counts as not installed: nothing may call
    // through an unbound entry point.
    const bool complete = Fetch(b.handle, "CAPI_REGISTER", e.reg) &&
                          Fetch(b.handle, "CAPI_RELEASE", e.release) &&
                          Fetch(b.handle, "CAPI_PUT_MESSAGE", e.put_message) &&
                          Fetch(b.handle, "CAPI_GET_MESSAGE", e.get_message) &&
                          Fetch(b.handle, "CAPI_WAIT_FOR_SIGNAL", e.wait_for_signal) &&
                          Fetch(b.handle, "CAPI_GET_MANUFACTURER", e.get_manufacturer) &&
                          Fetch(b.handle, "CAPI_GET_VERSION", e.get_version) &&
                          Fetch(b.handle, "CAPI_GET_SERIAL_NUMBER", e.get_serial_number) &&
                          Fetch(b.handle, "CAPI_GET_PROFILE", e.get_profile);
    if (!complete) {
        b.status = kCapiDllNotInstalled;
        return;
    }
    b.entry = e;
}

bool UnloadCapiDll() {
    Binding& b = State();
    std::lock_guard lock(b.mutex);
    // A receive thread still inside the library would return into unmapped code.
    if (!b.loaded || b.calls_inside > 0 || dlclose(b.handle) != 0) {
        return false;
    }
    b.handle = nullptr;
    b.entry = EntryPoints{};
    b.loaded = false;
    b.status = kCapiDllNotLoaded;
    return true;
}

int CapiDllStatus() {
    Binding& b = State();
    std::lock_guard lock(b.mutex);
    return b.status;
}

void* CapiDllHandle() {
    Binding& b = State();
    std::lock_guard lock(b.mutex);
    return b.handle;
}

uint32_t CAPI_INSTALLED() {
    return Call([](const EntryPoints& e) { return e.installed; });
}

uint32_t CAPI_REGISTER(uint32_t message_buffer_size, uint32_t max_logical_connections,
                       uint32_t max_b_data_blocks, uint32_t max_b_data_length, uint32_t* appl_id) {
    return Call([](const EntryPoints& e) { return e.reg; }, message_buffer_size,
                max_logical_connections, max_b_data_blocks, max_b_data_length, appl_id);
}

uint32_t CAPI_RELEASE(uint32_t appl_id) {
    return Call([](const EntryPoints& e) { return e.release; }, appl_id);
}

uint32_t CAPI_PUT_MESSAGE(uint32_t appl_id, void* message) {
    return Call([](const EntryPoints& e) { return e.put_message; }, appl_id, message);
}

uint32_t CAPI_GET_MESSAGE(uint32_t appl_id, void** message) {
    return Call([](const EntryPoints& e) { return e.get_message; }, appl_id, message);
}

uint32_t CAPI_WAIT_FOR_SIGNAL(uint32_t appl_id) {
    return Call([](const EntryPoints& e) { return e.wait_for_signal; }, appl_id);
}

uint32_t CAPI_GET_MANUFACTURER(char* buffer) {
    return Call([](const EntryPoints& e) { return e.get_manufacturer; }, buffer);
}

uint32_t CAPI_GET_VERSION(uint32_t* capi_major, uint32_t* capi_minor, uint32_t* manufacturer_major,
                          uint32_t* manufacturer_minor) {
    return Call([](const EntryPoints& e) { return e.get_version; }, capi_major, capi_minor,
                manufacturer_major, manufacturer_minor);
}

uint32_t CAPI_GET_SERIAL_NUMBER(char* buffer) {
    return Call([](const EntryPoints& e) { return e.get_serial_number; }, buffer);
}

uint32_t CAPI_GET_PROFILE(void* buffer, uint32_t controller) {
    return Call([](const EntryPoints& e) { return e.get_profile; }, buffer, controller);
}

}  // namespace capi
