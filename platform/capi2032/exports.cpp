// The library's exported C functions: the CAPI 2.0 operations and the capisim_ controls.

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/capi2032/capi2032.h"
#include "platform/capi2032/capisim.h"
#include "platform/capi2032/control_server.h"
#include "platform/capi2032/line.h"

#define CAPISIM_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef CAPISIM_INSTALLED_ANSWER
#define CAPISIM_INSTALLED_ANSWER 0
#endif

const uint32_t capisim::kInstalledAnswer = CAPISIM_INSTALLED_ANSWER;

using capisim::Line;
using capisim::Operation;

namespace {

void SyncControlSocket() {
    capisim::ControlServer::Instance().Sync();
}

void Fill(const capisim::TranscriptEntry& from, capisim_entry* to) {
    to->sequence = from.sequence;
    to->to_application = from.to_application ? 1 : 0;
    to->appl_id = from.appl_id;
    to->command = from.command;
    to->message_number = from.message_number;
    to->address = from.address;
    to->result = from.result;
    to->length = static_cast<unsigned>(from.bytes.size());
}

int Entry(const std::vector<capisim::TranscriptEntry>& list, int index, capisim_entry* entry) {
    if (index < 0 || static_cast<size_t>(index) >= list.size() || entry == nullptr) {
        return -1;
    }
    Fill(list[static_cast<size_t>(index)], entry);
    return 0;
}

size_t CopyOut(const std::string& text, char* buffer, size_t size) {
    if (buffer != nullptr && size > 0) {
        const size_t n = std::min(size - 1, text.size());
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return text.size();
}

bool ValidOperation(int operation) {
    return operation >= static_cast<int>(Operation::kInstalled) &&
           operation < static_cast<int>(Operation::kCount);
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

CAPISIM_EXPORT int capisim_offer_call(const capisim_call_offer* offer) {
    if (offer == nullptr || offer->called == nullptr) {
        return CAPISIM_BAD_ARGUMENT;
    }
    capisim::CallOffer call;
    call.controller = offer->controller;
    if (offer->calling != nullptr) {
        call.calling = std::string(offer->calling);
    }
    call.calling_type = offer->calling_type;
    call.calling_presentation = offer->calling_presentation;
    call.called = offer->called;
    call.cip = offer->cip;
    return Line::Instance().Offer(call);
}

CAPISIM_EXPORT int capisim_hangup(void) {
    return Line::Instance().Network(capisim::NetworkEvent::kCallerHangsUp);
}

CAPISIM_EXPORT int capisim_hangup_earliest(void) {
    return Line::Instance().Network(capisim::NetworkEvent::kCallerHangsUp, true);
}

CAPISIM_EXPORT int capisim_answer_elsewhere(void) {
    return Line::Instance().Network(capisim::NetworkEvent::kAnsweredElsewhere);
}

CAPISIM_EXPORT int capisim_taken_by_other_application(void) {
    return Line::Instance().Network(capisim::NetworkEvent::kTakenByOtherApplication);
}

CAPISIM_EXPORT int capisim_network_gives_up(void) {
    return Line::Instance().Network(capisim::NetworkEvent::kGivesUp);
}

CAPISIM_EXPORT int capisim_transcript_count(void) {
    return static_cast<int>(Line::Instance().Transcript().size());
}

CAPISIM_EXPORT int capisim_transcript_entry(int index, capisim_entry* entry) {
    return Entry(Line::Instance().Transcript(), index, entry);
}

CAPISIM_EXPORT size_t capisim_transcript_bytes(int index, unsigned char* buffer, size_t size) {
    const auto list = Line::Instance().Transcript();
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
        return 0;
    }
    const auto& bytes = list[static_cast<size_t>(index)].bytes;
    if (buffer != nullptr) {
        std::memcpy(buffer, bytes.data(), std::min(size, bytes.size()));
    }
    return bytes.size();
}

CAPISIM_EXPORT int capisim_unanswered_count(void) {
    return static_cast<int>(Line::Instance().Unanswered().size());
}

CAPISIM_EXPORT int capisim_unanswered_entry(int index, capisim_entry* entry) {
    return Entry(Line::Instance().Unanswered(), index, entry);
}

CAPISIM_EXPORT size_t capisim_transcript_text(char* buffer, size_t size) {
    return CopyOut(Line::Instance().TranscriptText(), buffer, size);
}

CAPISIM_EXPORT size_t capisim_status_text(char* buffer, size_t size) {
    return CopyOut(Line::Instance().StatusText(), buffer, size);
}

CAPISIM_EXPORT void capisim_fail_next(int operation, unsigned code) {
    if (ValidOperation(operation)) {
        Line::Instance().FailNext(static_cast<Operation>(operation), code);
    }
}

CAPISIM_EXPORT void capisim_set_wait_hang(int on) {
    Line::Instance().SetWaitHang(on != 0);
}

CAPISIM_EXPORT void capisim_set_installed(unsigned code) {
    Line::Instance().SetInstalled(code);
}

CAPISIM_EXPORT void capisim_set_version(unsigned capi_major, unsigned capi_minor,
                                        unsigned manufacturer_major, unsigned manufacturer_minor) {
    Line::Instance().SetVersion(capi_major, capi_minor, manufacturer_major, manufacturer_minor);
}

CAPISIM_EXPORT unsigned capisim_call_count(int operation) {
    return ValidOperation(operation) ? Line::Instance().CallCount(static_cast<Operation>(operation))
                                     : 0;
}

CAPISIM_EXPORT void capisim_reset(void) {
    Line::Instance().Reset();
    SyncControlSocket();
}
