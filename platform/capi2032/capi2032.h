#pragma once

// The CAPI 2.0 library's C interface (libcapi2032.so): the ten operations of a CAPI 2.0
// driver. Every result is 0 for success or a CAPI 2.0 info value.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint32_t CAPI_INSTALLED(void);
uint32_t CAPI_REGISTER(uint32_t message_buffer_size, uint32_t max_logical_connections,
                       uint32_t max_b_data_blocks, uint32_t max_b_data_length, uint32_t* appl_id);
uint32_t CAPI_RELEASE(uint32_t appl_id);
// The message's bytes are read up to its TotalLength only; the caller keeps them.
uint32_t CAPI_PUT_MESSAGE(uint32_t appl_id, void* message);
// The bytes handed out stay valid until the application's next fetch or its release.
uint32_t CAPI_GET_MESSAGE(uint32_t appl_id, void** message);
uint32_t CAPI_WAIT_FOR_SIGNAL(uint32_t appl_id);
// Fills 64 bytes with a zero-terminated text.
uint32_t CAPI_GET_MANUFACTURER(char* buffer);
uint32_t CAPI_GET_VERSION(uint32_t* capi_major, uint32_t* capi_minor, uint32_t* manufacturer_major,
                          uint32_t* manufacturer_minor);
// Fills 8 bytes with a zero-terminated text.
uint32_t CAPI_GET_SERIAL_NUMBER(char* buffer);
// Fills 64 bytes; controller 0 asks for the number of controllers only.
uint32_t CAPI_GET_PROFILE(void* buffer, uint32_t controller);

typedef uint32_t CapiInstalledFn(void);
typedef uint32_t CapiRegisterFn(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t*);
typedef uint32_t CapiReleaseFn(uint32_t);
typedef uint32_t CapiPutMessageFn(uint32_t, void*);
typedef uint32_t CapiGetMessageFn(uint32_t, void**);
typedef uint32_t CapiWaitForSignalFn(uint32_t);
typedef uint32_t CapiGetManufacturerFn(char*);
typedef uint32_t CapiGetVersionFn(uint32_t*, uint32_t*, uint32_t*, uint32_t*);
typedef uint32_t CapiGetSerialNumberFn(char*);
typedef uint32_t CapiGetProfileFn(void*, uint32_t);

#ifdef __cplusplus
}
#endif
