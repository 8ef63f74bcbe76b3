#include "platform/capi2032/capi20/capi20_entry_points.h"

#include <capi20.h>
#include <dlfcn.h>

#include <type_traits>

namespace capi20 {

// The library is not linked, so only these checks hold our types to its declarations.
static_assert(std::is_same_v<decltype(capi20_isinstalled), IsInstalledFn>);
static_assert(std::is_same_v<decltype(capi20_register), RegisterFn>);
static_assert(std::is_same_v<decltype(capi20_release), ReleaseFn>);
static_assert(std::is_same_v<decltype(capi20_put_message), PutMessageFn>);
static_assert(std::is_same_v<decltype(capi20_get_message), GetMessageFn>);
static_assert(std::is_same_v<decltype(capi20_waitformessage), WaitForMessageFn>);
static_assert(std::is_same_v<decltype(capi20_get_manufacturer), GetTextFn>);
static_assert(std::is_same_v<decltype(capi20_get_version), GetTextFn>);
static_assert(std::is_same_v<decltype(capi20_get_serial_number), GetTextFn>);
static_assert(std::is_same_v<decltype(capi20_get_profile), GetProfileFn>);
static_assert(std::is_same_v<decltype(capi20_fileno), FilenoFn>);
static_assert(std::is_same_v<decltype(capi20ext_get_host), GetHostFn>);
static_assert(std::is_same_v<decltype(capi20ext_get_port), GetPortFn>);

namespace {

template <typename Fn>
bool Fetch(void* handle, const char* name, Fn*& out) {
    out = reinterpret_cast<Fn*>(dlsym(handle, name));
    return out != nullptr;
}

}  // namespace

std::optional<EntryPoints> LoadEntryPoints() {
    void* handle = dlopen("libcapi20.so.3", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
        return std::nullopt;
    }
    EntryPoints e;
    const bool complete = Fetch(handle, "capi20_isinstalled", e.isinstalled) &&
                          Fetch(handle, "capi20_register", e.reg) &&
                          Fetch(handle, "capi20_release", e.release) &&
                          Fetch(handle, "capi20_put_message", e.put_message) &&
                          Fetch(handle, "capi20_get_message", e.get_message) &&
                          Fetch(handle, "capi20_waitformessage", e.waitformessage) &&
                          Fetch(handle, "capi20_get_manufacturer", e.get_manufacturer) &&
                          Fetch(handle, "capi20_get_version", e.get_version) &&
                          Fetch(handle, "capi20_get_serial_number", e.get_serial_number) &&
                          Fetch(handle, "capi20_get_profile", e.get_profile);
    if (!complete) {
        dlclose(handle);
        return std::nullopt;
    }
    Fetch(handle, "capi20_fileno", e.fileno);
    Fetch(handle, "capi20ext_get_host", e.get_host);
    Fetch(handle, "capi20ext_get_port", e.get_port);
    return e;
}

}  // namespace capi20
