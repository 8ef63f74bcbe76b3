#include "capi/capi_monitor.h"

#include <iostream>

#include "capi/capi_commands.h"
#include "capi/capi_messages.h"
#include "capi/capi_outgoing.h"
#include "capi/capi_texts.h"

namespace capi {

namespace {

constexpr std::uint32_t kLogicalConnections = 1;
constexpr std::uint32_t kB3DataBlocks = 2;
constexpr std::uint32_t kB3DataBlockLength = 128;
constexpr std::uint16_t kIgnoreCall = 1;
constexpr std::uint16_t kRefuseB3 = 2;

template <typename Body>
void Guarded(const char* what, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        std::cerr << "capi: " << what << " failed: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "capi: " << what << " failed\n";
    }
}

}  // namespace

TBelverin::TBelverin(std::unique_ptr<TRingTimer> timer, TCapiReceive receive)
    : rejectTimer_(timer ? std::move(timer) : std::make_unique<TQtRingTimer>()), receive_(receive) {
    rejectTimer_->OnTick = [this] { Guarded("ring countdown", [this] { RejectTimerTick(); }); };
}

TBelverin::~TBelverin() {
    rejectTimer_->Stop();
    rejectTimer_->OnTick = nullptr;
    capi_.reset();
    retired_.clear();
}

void TBelverin::Retire() {
    if (!capi_) {
        return;
    }
    std::unique_ptr<TCapi> old = std::move(capi_);
    old->OnMessage = nullptr;
    old->OnAllDisconnected = nullptr;
    old->Release();
    retired_.push_back(std::move(old));
    QMetaObject::invokeMethod(
        &context_, [this] { retired_.clear(); }, Qt::QueuedConnection);
}

void TBelverin::StopCountdown() {
    rejectCountdown_ = 0;
    rejectTimer_->Stop();
}

void TBelverin::RaiseStateChange(bool userCanReject, bool userCanChangeNoDisturbMode) {
    if (OnStateChange) {
        const auto event = OnStateChange;
        event(userCanReject, userCanChangeNoDisturbMode);
    }
}

bool TBelverin::Open(int controller, int rejectTimeOut) {
    error_ = 0;
    Retire();
    StopCountdown();
    answered_.clear();
    connectIndNumber_.clear();
    controller_ = controller;
    rejectTimeOut_ = rejectTimeOut;

    capi_ =
        std::make_unique<TCapi>(kLogicalConnections, kB3DataBlocks, kB3DataBlockLength, receive_);
    UpdateError();
    if (error_ != 0) {
        capi_.reset();  // never registered: no thread, nothing on the stack
        return false;
    }
    capi_->OnMessage = [this](TConnection* c, TCapiMessage& m, bool& handled) {
        HandleCapiMessage(c, m, handled);
    };
    capi_->OnAllDisconnected = [this](TCapi&) { HandleAllDisconnected(); };

    if (!capi_->PutMessage(MonitoringListenReq(static_cast<std::uint32_t>(controller)))) {
        UpdateError();
        Retire();
        RaiseStateChange(false, false);
    } else {
        RaiseStateChange(false, true);
    }
    return error_ == 0;
}

void TBelverin::UpdateError() {
    if (!capi_) {
        return;
    }
    error_ = capi_->LastError();
    errorString_ = capi_->ErrorText();
    if (errorString_.empty()) {
        errorString_ = "OK";
    }
}

bool TBelverin::ResetCapi() {
    if (!capi_) {
        return false;
    }
    return capi_->Reset(true);
}

void TBelverin::RejectCall() {
    AnswerCall(0);
}

void TBelverin::AnswerCall(std::uint16_t reject) {
    if (!capi_) {
        return;
    }
    TConnection* c = capi_->Connections().FindByOwner(this);
    if (c == nullptr || c->State != ConnectionState::DConnecting) {
        return;
    }
    // A call stays in state 1 after its CONNECT_RESP until the network answers; it is
    // answered once.
    const ConnectionId id = c->Id();
    if (!answered_.insert(id).second) {
        return;
    }
    const std::uint32_t plci = c->PLCI();
    TCapi* const engine = capi_.get();
    RaiseStateChange(false, false);
    StopCountdown();
    std::unique_ptr<TCapiMessage> response;
    if (reject == 0) {
        response = AcceptingConnectResp(plci);
    } else {
        response = RefusingConnectResp(plci, reject);
    }
    if (const auto number = connectIndNumber_.find(id); number != connectIndNumber_.end()) {
        response->Header.MessageNumber = number->second;
    }
    // A handler that reopened the line has left this call with the old registration.
    if (capi_.get() == engine) {
        capi_->PutMessage(std::move(response));
    }
}

void TBelverin::RejectTimerTick() {
    --rejectCountdown_;
    if (rejectCountdown_ <= 0) {
        rejectTimer_->Stop();
        AnswerCall(kIgnoreCall);
    }
}

void TBelverin::HandleCapiMessage(TConnection* connection, TCapiMessage& message, bool& handled) {
    UpdateError();
    switch (message.Header.GetCommand()) {
        case kConnectInd: {
            auto* ind = dynamic_cast<TConnectInd*>(&message);
            if (ind == nullptr || connection == nullptr) {
                return;
            }
            connection->Owner = this;
            connectIndNumber_[connection->Id()] = message.Header.MessageNumber;
            const std::string calling =
                ind->CallingPartyNumber ? ind->CallingPartyNumber->Digits : std::string();
            const std::string called =
                ind->CalledPartyNumber ? ind->CalledPartyNumber->Digits : std::string();
            const std::uint16_t cip = ind->CIPValue;
            if (noDisturbMode_) {
                AnswerCall(0);
            } else if (rejectTimeOut_ < 1) {
                AnswerCall(kIgnoreCall);
            } else {
                rejectCountdown_ = rejectTimeOut_;
                rejectTimer_->Start();
                if (capi_) {
                    capi_->PutMessage(std::make_unique<TAlertReq>(ind->PLCI));
                }
            }
            RaiseStateChange(rejectTimeOut_ >= 1 && !noDisturbMode_, false);
            if (OnIncomingCall) {
                const auto event = OnIncomingCall;
                event(calling, called, cip, CipValueText(cip));
            }
            return;
        }
        case kDisconnectInd:
            if (connection != nullptr) {
                answered_.erase(connection->Id());
                connectIndNumber_.erase(connection->Id());
            }
            StopCountdown();
            RaiseStateChange(false, true);
            return;
        case kListenConf:
            // A refused listen leaves the line deaf: not idle and listening.
            RaiseStateChange(false, error_ == 0);
            return;
        case kConnectB3Ind: {
            auto* ind = dynamic_cast<TConnectB3Ind*>(&message);
            if (ind == nullptr || connection == nullptr || !capi_) {
                return;
            }
            handled = false;
            auto response = std::make_unique<TConnectB3Resp>(ind->NCCI, kRefuseB3);
            response->Header.MessageNumber = message.Header.MessageNumber;
            capi_->PutMessage(std::move(response));
            ConnectionId id = connection->Id();
            capi_->Disconnect(id);
            RaiseStateChange(false, false);
            return;
        }
        default:
            return;
    }
}

void TBelverin::HandleAllDisconnected() {
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            if (OnDoResetCapi) {
                const auto event = OnDoResetCapi;
                Guarded("reset notice", [&] { event(*this); });
            }
        },
        Qt::QueuedConnection);
}

}  // namespace capi
