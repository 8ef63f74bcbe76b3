#pragma once

// libcapi20's functions as the adapter calls them, fetched by name from libcapi20.so.3 at run
// time so that a machine without the library hears "not installed" instead of failing to start.

#include <sys/time.h>

#include <optional>

namespace capi20 {

using IsInstalledFn = unsigned(void);
using RegisterFn = unsigned(unsigned, unsigned, unsigned, unsigned*);
using ReleaseFn = unsigned(unsigned);
using PutMessageFn = unsigned(unsigned, unsigned char*);
using GetMessageFn = unsigned(unsigned, unsigned char**);
using WaitForMessageFn = unsigned(unsigned, struct timeval*);
using GetTextFn = unsigned char*(unsigned, unsigned char*);  // manufacturer, version, serial
using GetProfileFn = unsigned(unsigned, unsigned char*);
using FilenoFn = int(unsigned);
using GetHostFn = char*(void);
using GetPortFn = int(void);

struct EntryPoints {
    IsInstalledFn* isinstalled = nullptr;
    RegisterFn* reg = nullptr;
    ReleaseFn* release = nullptr;
    PutMessageFn* put_message = nullptr;
    GetMessageFn* get_message = nullptr;
    WaitForMessageFn* waitformessage = nullptr;
    GetTextFn* get_manufacturer = nullptr;
    GetTextFn* get_version = nullptr;
    GetTextFn* get_serial_number = nullptr;
    GetProfileFn* get_profile = nullptr;
    // Beyond the ten, and null where the library lacks them: the socket of a registration and
    // the remote CAPI's address, read by the adapter to notice a lost line and its return.
    FilenoFn* fileno = nullptr;
    GetHostFn* get_host = nullptr;
    GetPortFn* get_port = nullptr;
};

// Loads libcapi20.so.3 and fetches all ten functions (and the optional three); nothing when
// the library or one of the ten is missing. The library is never unloaded: it loads modules and
// maps shared memory that a reload of the adapter must find again.
std::optional<EntryPoints> LoadEntryPoints();

}  // namespace capi20
