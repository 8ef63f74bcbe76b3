#pragma once

// The run-time binding of the CAPI 2.0 library libcapi2032.so: loaded from the program folder
// first, then from the library path; one binding per process.

#include <cstdint>

#include "platform/rtl/exception.h"

namespace capi {

// Binding status values.
inline constexpr int kCapiDllInstalled = 0;
inline constexpr int kCapiDllNotLoaded = 1;
inline constexpr int kCapiDllFileNotFound = 2;
inline constexpr int kCapiDllNotInstalled = 3;

class EDLLLoadError : public rtl::Exception {
  public:
    EDLLLoadError();
};

// Acts only while not loaded (status 1): status 0 with every entry point bound, 2 when the
// file is missing, 3 when CAPI_INSTALLED refuses or an entry point is missing (the library
// stays loaded then).
void LoadCapiDll();
// False, changing nothing, when nothing is loaded, a call is still inside the library, or
// the library cannot be freed; otherwise status 1.
bool UnloadCapiDll();
int CapiDllStatus();
// The loaded library's handle for dlsym, nullptr when none is held.
void* CapiDllHandle();

// The entry points. While the status is not 0 none reaches the library: each returns
// 0x9000 + status.
uint32_t CAPI_INSTALLED();
uint32_t CAPI_REGISTER(uint32_t message_buffer_size, uint32_t max_logical_connections,
                       uint32_t max_b_data_blocks, uint32_t max_b_data_length, uint32_t* appl_id);
uint32_t CAPI_RELEASE(uint32_t appl_id);
uint32_t CAPI_PUT_MESSAGE(uint32_t appl_id, void* message);
uint32_t CAPI_GET_MESSAGE(uint32_t appl_id, void** message);
uint32_t CAPI_WAIT_FOR_SIGNAL(uint32_t appl_id);
uint32_t CAPI_GET_MANUFACTURER(char* buffer);
uint32_t CAPI_GET_VERSION(uint32_t* capi_major, uint32_t* capi_minor, uint32_t* manufacturer_major,
                          uint32_t* manufacturer_minor);
uint32_t CAPI_GET_SERIAL_NUMBER(char* buffer);
uint32_t CAPI_GET_PROFILE(void* buffer, uint32_t controller);

}  // namespace capi
