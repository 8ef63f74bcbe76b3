#pragma once

#include <cstdint>
#include <memory>

#include "capi/capi_messages.h"

namespace capi {

// The fixed forms of the messages this program puts, beside the plain constructors.

// Every incoming call of every service on `controller`: info mask 0x7F, CIP values 1-9 and
// 16-28, calling number struct 02 00 80, calling subaddress struct 01 80.
std::unique_ptr<TListenReq> MonitoringListenReq(std::uint32_t controller);
// Listens for nothing useful on controller 1; its confirmation wakes the receive thread.
std::unique_ptr<TListenReq> WakeUpListenReq();
// Takes the call with B1 1, B2 1, B3 0.
std::unique_ptr<TConnectResp> AcceptingConnectResp(std::uint32_t plci);
// Refuses the call with a non-zero reject value (1: ignore it, so other devices keep ringing).
std::unique_ptr<TConnectResp> RefusingConnectResp(std::uint32_t plci, std::uint16_t reject);

}  // namespace capi
