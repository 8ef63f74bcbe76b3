#include "capi/capi_monitor.h"

#include <algorithm>
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

TBelverin::TBelverin(RingTimerFactory timers, TCapiReceive receive)
    : timerFactory_(std::move(timers)), receive_(receive) {
    if (!timerFactory_) {
        timerFactory_ = [] { return std::make_unique<TQtRingTimer>(); };
    }
}

TBelverin::~TBelverin() {
    for (const auto& timer : timers_) {
        timer->Stop();
        timer->OnTick = nullptr;
    }
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

void TBelverin::StartCountdown(ConnectionId id) {
    TRingTimer* timer = nullptr;
    for (const auto& t : timers_) {
        const bool inUse = std::any_of(ringing_.begin(), ringing_.end(),
                                       [&](const RingingCall& r) { return r.timer == t.get(); });
        if (!inUse && !t->Active()) {
            timer = t.get();
            break;
        }
    }
    if (timer == nullptr) {
        timers_.push_back(timerFactory_());
        timer = timers_.back().get();
        timer->OnTick = [this, timer] {
            Guarded("ring countdown", [&] { RejectTimerTick(timer); });
        };
    }
    ringing_.push_back({id, rejectTimeOut_, timer});
    timer->Start();
}

void TBelverin::StopCountdown(ConnectionId id) {
    const auto it = std::find_if(ringing_.begin(), ringing_.end(),
                                 [&](const RingingCall& r) { return r.id == id; });
    if (it != ringing_.end()) {
        it->timer->Stop();
        ringing_.erase(it);
    }
}

void TBelverin::StopAllCountdowns() {
    for (const RingingCall& r : ringing_) {
        r.timer->Stop();
    }
    ringing_.clear();
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
    StopAllCountdowns();
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
    if (!ringing_.empty()) {
        AnswerCall(ringing_.back().id, 0);
    }
}

void TBelverin::AnswerCall(ConnectionId id, std::uint16_t reject) {
    if (!capi_) {
        return;
    }
    TConnection* c = capi_->Connections().Find(id);
    if (c == nullptr || c->State != ConnectionState::DConnecting) {
        return;
    }
    // A call stays in state 1 after its CONNECT_RESP until the network answers; it is
    // answered once.
    if (!answered_.insert(id).second) {
        return;
    }
    const std::uint32_t plci = c->PLCI();
    TCapi* const engine = capi_.get();
    StopCountdown(id);
    // Busy while this call is answered, unless another one still rings.
    RaiseStateChange(!ringing_.empty(), false);
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

void TBelverin::RejectTimerTick(TRingTimer* timer) {
    const auto it = std::find_if(ringing_.begin(), ringing_.end(),
                                 [&](const RingingCall& r) { return r.timer == timer; });
    if (it == ringing_.end()) {
        timer->Stop();
        return;
    }
    if (--it->countdown <= 0) {
        AnswerCall(it->id, kIgnoreCall);
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
            const ConnectionId id = connection->Id();
            if (noDisturbMode_) {
                AnswerCall(id, 0);
            } else if (rejectTimeOut_ < 1) {
                AnswerCall(id, kIgnoreCall);
            } else {
                StartCountdown(id);
                if (capi_) {
                    capi_->PutMessage(std::make_unique<TAlertReq>(ind->PLCI));
                }
            }
            RaiseStateChange(!ringing_.empty(), false);
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
                StopCountdown(connection->Id());
            }
            // Idle and listening once no other call rings.
            if (ringing_.empty()) {
                RaiseStateChange(false, true);
            } else {
                RaiseStateChange(true, false);
            }
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
            RaiseStateChange(!ringing_.empty(), false);
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
