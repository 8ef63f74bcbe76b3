// The library's exported CAPI 2.0 operations over the simulated line; its capisim_ controls
// lie in control_exports.cpp.

#include "platform/capi2032/capi2032.h"
#include "platform/capi2032/control_server.h"
#include "platform/capi2032/line.h"

#define CAPISIM_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef CAPISIM_INSTALLED_ANSWER
#define CAPISIM_INSTALLED_ANSWER 0
#endif

const uint32_t capisim::kInstalledAnswer = CAPISIM_INSTALLED_ANSWER;

using capisim::Line;

namespace {

void SyncControlSocket() {
    capisim::ControlServer::Instance().Sync();
}

}  // namespace

CAPISIM_EXPORT uint32_t CAPI_INSTALLED(void) {
    return Line::Instance().Installed();
}

CAPISIM_EXPORT uint32_t CAPI_REGISTER(uint32_t message_buffer_size,
                                      uint32_t max_logical_connections, uint32_t max_b_data_blocks,
                                      uint32_t max_b_data_length, uint32_t* appl_id) {
    const uint32_t result =
        Line::Instance().Register(message_buffer_size, max_logical_connections, max_b_data_blocks,
                                  max_b_data_length, appl_id);
    SyncControlSocket();
    return result;
}

CAPISIM_EXPORT uint32_t CAPI_RELEASE(uint32_t appl_id) {
    const uint32_t result = Line::Instance().Release(appl_id);
    SyncControlSocket();
    return result;
}

CAPISIM_EXPORT uint32_t CAPI_PUT_MESSAGE(uint32_t appl_id, void* message) {
    return Line::Instance().Put(appl_id, message);
}

CAPISIM_EXPORT uint32_t CAPI_GET_MESSAGE(uint32_t appl_id, void** message) {
    return Line::Instance().Get(appl_id, message);
}

#ifndef CAPISIM_WITHOUT_WAIT_FOR_SIGNAL
CAPISIM_EXPORT uint32_t CAPI_WAIT_FOR_SIGNAL(uint32_t appl_id) {
    return Line::Instance().Wait(appl_id);
}
#endif

CAPISIM_EXPORT uint32_t CAPI_GET_MANUFACTURER(char* buffer) {
    return Line::Instance().GetManufacturer(buffer);
}

CAPISIM_EXPORT uint32_t CAPI_GET_VERSION(uint32_t* capi_major, uint32_t* capi_minor,
                                         uint32_t* manufacturer_major,
                                         uint32_t* manufacturer_minor) {
    return Line::Instance().GetVersion(capi_major, capi_minor, manufacturer_major,
                                       manufacturer_minor);
}

CAPISIM_EXPORT uint32_t CAPI_GET_SERIAL_NUMBER(char* buffer) {
    return Line::Instance().GetSerialNumber(buffer);
}

CAPISIM_EXPORT uint32_t CAPI_GET_PROFILE(void* buffer, uint32_t controller) {
    return Line::Instance().GetProfile(buffer, controller);
}
