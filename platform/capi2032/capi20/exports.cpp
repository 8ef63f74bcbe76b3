// The ten exported CAPI 2.0 operations of the libcapi20 adapter.

#include "platform/capi2032/capi20/adapter.h"
#include "platform/capi2032/capi2032.h"

#define CAPI20_EXPORT extern "C" __attribute__((visibility("default")))

using capi20::Adapter;

CAPI20_EXPORT uint32_t CAPI_INSTALLED(void) {
    return Adapter::Instance().Installed();
}

// libcapi20 sizes its message buffer itself.
CAPI20_EXPORT uint32_t CAPI_REGISTER(uint32_t /*message_buffer_size*/,
                                     uint32_t max_logical_connections, uint32_t max_b_data_blocks,
                                     uint32_t max_b_data_length, uint32_t* appl_id) {
    return Adapter::Instance().Register(max_logical_connections, max_b_data_blocks,
                                        max_b_data_length, appl_id);
}

CAPI20_EXPORT uint32_t CAPI_RELEASE(uint32_t appl_id) {
    return Adapter::Instance().Release(appl_id);
}

CAPI20_EXPORT uint32_t CAPI_PUT_MESSAGE(uint32_t appl_id, void* message) {
    return Adapter::Instance().PutMessage(appl_id, message);
}

CAPI20_EXPORT uint32_t CAPI_GET_MESSAGE(uint32_t appl_id, void** message) {
    return Adapter::Instance().GetMessage(appl_id, message);
}

CAPI20_EXPORT uint32_t CAPI_WAIT_FOR_SIGNAL(uint32_t appl_id) {
    return Adapter::Instance().WaitForSignal(appl_id);
}

CAPI20_EXPORT uint32_t CAPI_GET_MANUFACTURER(char* buffer) {
    return Adapter::Instance().GetManufacturer(buffer);
}

CAPI20_EXPORT uint32_t CAPI_GET_VERSION(uint32_t* capi_major, uint32_t* capi_minor,
                                        uint32_t* manufacturer_major,
                                        uint32_t* manufacturer_minor) {
    return Adapter::Instance().GetVersion(capi_major, capi_minor, manufacturer_major,
                                          manufacturer_minor);
}

CAPI20_EXPORT uint32_t CAPI_GET_SERIAL_NUMBER(char* buffer) {
    return Adapter::Instance().GetSerialNumber(buffer);
}

CAPI20_EXPORT uint32_t CAPI_GET_PROFILE(void* buffer, uint32_t controller) {
    return Adapter::Instance().GetProfile(buffer, controller);
}
