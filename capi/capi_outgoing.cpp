#include "capi/capi_outgoing.h"

#include "capi/capi_error.h"

namespace capi {

namespace {

constexpr std::uint32_t kAllInfo = 0x0000007F;
constexpr std::uint32_t kEveryService = 0x1FFF03FE;  // CIP 1-9 and 16-28
constexpr std::uint32_t kSpeechOnly = 0x00000002;

}  // namespace

std::unique_ptr<TListenReq> MonitoringListenReq(std::uint32_t controller) {
    return std::make_unique<TListenReq>(controller, kAllInfo, kEveryService, 0,
                                        std::make_unique<TCallingPartyNumber>(0x00, 0x80, ""),
                                        std::make_unique<TCallingPartySubAddress>(0x80, ""));
}

std::unique_ptr<TListenReq> WakeUpListenReq() {
    return std::make_unique<TListenReq>(1, kAllInfo, kSpeechOnly, 0);
}

std::unique_ptr<TConnectResp> AcceptingConnectResp(std::uint32_t plci) {
    return std::make_unique<TConnectResp>(plci, 0, std::make_unique<TBProtocol>(1, 1, 0));
}

std::unique_ptr<TConnectResp> RefusingConnectResp(std::uint32_t plci, std::uint16_t reject) {
    if (reject == 0) {
        // Reject 0 would take the call without a B protocol.
        throw ECapiError("a refusing CONNECT_RESP needs a reject value other than 0");
    }
    return std::make_unique<TConnectResp>(plci, reject);
}

}  // namespace capi
