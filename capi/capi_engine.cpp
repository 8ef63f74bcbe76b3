#include "capi/capi_engine.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <vector>

#include "capi/capi_commands.h"
#include "capi/capi_dll.h"
#include "capi/capi_messages.h"
#include "capi/capi_notifier.h"
#include "capi/capi_outgoing.h"
#include "capi/capi_receive_thread.h"
#include "capi/capi_texts.h"

namespace capi {

namespace {

constexpr std::chrono::milliseconds kThreadEndWait{4000};
// After the release has ended the library's wait, the thread needs only moments to leave.
constexpr std::chrono::milliseconds kThreadEndAfterRelease{1000};
// Info values up to this are informative and count as success.
constexpr std::uint16_t kLastInformativeInfo = 0x00FF;

std::uint16_t CommandOf(std::span<const std::uint8_t> raw) {
    return raw.size() >= 6 ? static_cast<std::uint16_t>(raw[4] << 8 | raw[5]) : 0;
}

void LogFailure(const char* what, std::uint16_t command, const char* detail) {
    std::cerr << "capi: " << what << " of message 0x" << std::hex << command << std::dec
              << " failed: " << detail << '\n';
}

}  // namespace

TCapi::TCapi(std::uint32_t maxLogicalConnection, std::uint32_t maxBDataBlocks,
             std::uint32_t maxBDataLen, TCapiReceive receive)
    : notifier_(std::make_unique<TCapiNotifier>([this] { HandleWaiting(); })),
      maxLogicalConnection_(maxLogicalConnection),
      maxBDataBlocks_(maxBDataBlocks),
      maxBDataLen_(maxBDataLen),
      receive_(receive) {
    Register();
}

TCapi::~TCapi() {
    try {
        Release();
    } catch (const std::exception& e) {
        std::cerr << "capi: release on destruction failed: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "capi: release on destruction failed\n";
    }
    StopReceiving();
}

void TCapi::StopReceiving() {
    if (inbox_) {
        inbox_->Close();
        inbox_->SetAnnounce({});
    }
}

void TCapi::Register() {
    if (registered_) {
        return;
    }
    lastError_ = 0;
    if (CapiDllStatus() == kCapiDllNotLoaded) {
        LoadCapiDll();
    }
    if (const int status = CapiDllStatus(); status != kCapiDllInstalled) {
        lastError_ = kCapiDllErrorBase + static_cast<std::uint32_t>(status);
        return;
    }
    std::uint32_t applId = 0;
    const std::uint32_t result =
        CAPI_REGISTER(CapiMessageBufferSize(maxLogicalConnection_), maxLogicalConnection_,
                      maxBDataBlocks_, maxBDataLen_, &applId);
    if (result != 0) {
        lastError_ = result;
        return;
    }
    applId_ = applId;
    registered_ = true;
    inbox_ = std::make_shared<TCapiInbox>();
    if (receive_ == TCapiReceive::Thread) {
        TCapiNotifier* notifier = notifier_.get();
        inbox_->SetAnnounce([notifier] { notifier->Post(); });
        thread_ = std::make_unique<TCapiCallBack>(applId_, inbox_);
    }
}

void TCapi::Release() {
    if (registered_) {
        const std::shared_ptr<TCapiInbox> inbox = inbox_;
        StopReceiving();
        PutMessage(WakeUpListenReq());
        std::optional<std::uint32_t> released;
        if (thread_ && !thread_->WaitForEnd(kThreadEndWait)) {
            // Releasing ends the library's wait; only a thread that has ended is freed.
            released = CAPI_RELEASE(applId_);
            if (!thread_->WaitForEnd(kThreadEndAfterRelease)) {
                std::cerr << "capi: the receive thread of application " << applId_
                          << " did not end; it is left holding only its own state\n";
            }
        }
        thread_.reset();
        if (!released) {
            released = CAPI_RELEASE(applId_);
        }
        if (*released != 0) {
            lastError_ = *released;
        }
        if (const std::size_t dropped = inbox->Discard(); dropped > 0) {
            std::cerr << "capi: " << dropped << " message(s) of application " << applId_
                      << " dropped on release\n";
        }
        inbox_.reset();
        registered_ = false;
    }
    const std::weak_ptr<int> alive = alive_;
    for (std::size_t i = 0; i < connections_.Count(); ++i) {
        TConnection* c = connections_.Items(i);
        if (c->Sending) {
            c->Sending = false;
            if (OnB3TransferDone) {
                const auto event = OnB3TransferDone;
                event(*c, false);
                if (alive.expired()) {
                    return;
                }
            }
        }
    }
}

bool TCapi::Reset(bool unloadLibrary) {
    if (connections_.Count() > 0) {
        return false;
    }
    // Closing here, under the hand-over's lock, means no message can be fetched between the
    // check and the release.
    if (inbox_ && !inbox_->CloseIfIdle()) {
        return false;
    }
    try {
        Release();
        if (unloadLibrary) {
            // Refused while a receive thread that never ended is still inside the library.
            UnloadCapiDll();
        }
        Register();
        return lastError_ == 0;
    } catch (const std::exception& e) {
        std::cerr << "capi: reset failed: " << e.what() << '\n';
        return false;
    } catch (...) {
        std::cerr << "capi: reset failed\n";
        return false;
    }
}

bool TCapi::PutMessage(std::unique_ptr<TCapiMessage> message) {
    lastError_ = 0;
    if (!message) {
        return false;
    }
    message->Header.ApplID = static_cast<std::uint16_t>(applId_);
    const std::span<const std::uint8_t> bytes = message->Encode();
    // The library only reads the bytes; its C signature lacks the const.
    const std::uint32_t result = CAPI_PUT_MESSAGE(applId_, const_cast<std::uint8_t*>(bytes.data()));
    if (result != 0) {
        lastError_ = result;
    }
    return result == 0;
}

bool TCapi::Reply(const TCapiMessage& indication, std::unique_ptr<TCapiMessage> response) {
    // A response carries the number of the indication it answers.
    response->Header.MessageNumber = indication.Header.MessageNumber;
    return PutMessage(std::move(response));
}

bool TCapi::PutDisconnectReq(TConnection& connection) {
    if (disconnectPut_.contains(connection.Id())) {
        lastError_ = 0;
        return true;
    }
    const ConnectionId id = connection.Id();
    if (!PutMessage(std::make_unique<TDisconnectReq>(connection.PLCI()))) {
        return false;
    }
    disconnectPut_.insert(id);
    return true;
}

void TCapi::Forget(ConnectionId& connection) {
    disconnectPut_.erase(connection);
    connections_.Remove(connection);
}

bool TCapi::Disconnect(ConnectionId& connection) {
    lastError_ = 0;
    if (!connections_.IsValid(connection)) {
        return false;
    }
    TConnection* c = connections_.Find(connection);
    switch (c->State) {
        case ConnectionState::B3Active:
            c->DisconnectInitiator = 1;
            PutMessage(std::make_unique<TDisconnectB3Req>(c->NCCI));
            break;
        case ConnectionState::DConnecting:
        case ConnectionState::Connected:
        case ConnectionState::B3Connecting:
        case ConnectionState::B3Disconnecting:
        case ConnectionState::B3Disconnected:
            c->DisconnectInitiator = 1;
            PutDisconnectReq(*c);
            break;
        case ConnectionState::Idle:
            break;
    }
    return lastError_ == 0;
}

std::string TCapi::ErrorText() const {
    if (lastError_ == 0) {
        return "";
    }
    if (lastError_ >= kCapiDllErrorBase) {
        return CapiDllStatusText(static_cast<int>(lastError_ - kCapiDllErrorBase));
    }
    return CapiInfoText(lastError_);
}

bool TCapi::Busy() const {
    return inbox_ && inbox_->Busy();
}

std::size_t TCapi::FetchWaiting() {
    if (receive_ != TCapiReceive::Manual || !inbox_) {
        return 0;
    }
    std::size_t n = 0;
    while (inbox_->Fetch(applId_, &CAPI_GET_MESSAGE)) {
        ++n;
    }
    return n;
}

void TCapi::HandOver(std::vector<std::uint8_t> raw) {
    if (receive_ == TCapiReceive::Manual && inbox_) {
        inbox_->Append(std::move(raw));
    }
}

void TCapi::HandleWaiting() {
    // A nested event loop inside a handler lands here again; the outer loop goes on with the
    // waiting messages once that handler has returned.
    if (handlingWaiting_) {
        return;
    }
    const std::weak_ptr<int> alive = alive_;
    handlingWaiting_ = true;
    for (;;) {
        const std::shared_ptr<TCapiInbox> inbox = inbox_;
        std::optional<std::vector<std::uint8_t>> raw;
        if (inbox) {
            raw = inbox->BeginHandling();
        }
        if (!raw) {
            break;
        }
        HandleMessage(*raw);
        if (alive.expired()) {
            return;
        }
        inbox->EndHandling();
        if (postAllDisconnected_) {
            postAllDisconnected_ = false;
            if (OnAllDisconnected) {
                const auto event = OnAllDisconnected;
                try {
                    event(*this);
                } catch (const std::exception& e) {
                    std::cerr << "capi: all-disconnected handler failed: " << e.what() << '\n';
                } catch (...) {
                    std::cerr << "capi: all-disconnected handler failed\n";
                }
                if (alive.expired()) {
                    return;
                }
            }
        }
    }
    handlingWaiting_ = false;
}

void TCapi::HandleMessage(std::span<const std::uint8_t> raw) {
    const std::uint16_t command = CommandOf(raw);
    try {
        const std::unique_ptr<TCapiMessage> message = CreateCapiMessage(raw);
        switch (message->Header.Subcommand) {
            case kConf:
                HandleConfirmation(*message);
                break;
            case kInd:
                HandleIndication(*message);
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        LogFailure("handling", command, e.what());
    } catch (...) {
        LogFailure("handling", command, "unknown exception");
    }
}

bool TCapi::RaiseOnMessage(TConnection* connection, TCapiMessage& message, bool& handled) {
    if (!OnMessage) {
        return true;
    }
    const std::weak_ptr<int> alive = alive_;
    const auto event = OnMessage;  // the handler may replace it
    event(connection, message, handled);
    return !alive.expired();
}

void TCapi::HandleIndication(TCapiMessage& message) {
    lastError_ = 0;
    bool handled = true;
    switch (message.Header.GetCommand()) {
        case kConnectInd: {
            auto* ind = dynamic_cast<TConnectInd*>(&message);
            if (ind == nullptr) {
                return;
            }
            TConnection* c = connections_.Add();
            c->Direction = 2;
            c->DisconnectInitiator = 0;
            c->State = ConnectionState::DConnecting;
            c->SetPLCI(ind->PLCI);
            RaiseOnMessage(c, message, handled);
            return;
        }
        case kConnectActiveInd: {
            auto* ind = dynamic_cast<TConnectActiveInd*>(&message);
            TConnection* c = ind != nullptr ? connections_.FindByPLCI(ind->PLCI) : nullptr;
            if (c == nullptr) {
                return;
            }
            const ConnectionId id = c->Id();
            c->State = ConnectionState::Connected;
            Reply(message, std::make_unique<TConnectActiveResp>(ind->PLCI));
            if (!RaiseOnMessage(c, message, handled)) {
                return;
            }
            c = connections_.Find(id);
            if (handled && c != nullptr && c->Direction == 1) {
                PutMessage(std::make_unique<TConnectB3Req>(c->PLCI()));
            }
            return;
        }
        case kDisconnectInd: {
            auto* ind = dynamic_cast<TDisconnectInd*>(&message);
            if (ind == nullptr) {
                return;
            }
            TConnection* c = connections_.FindByPLCI(ind->PLCI);
            if (c == nullptr) {
                Reply(message, std::make_unique<TDisconnectResp>(ind->PLCI));
                return;
            }
            ConnectionId id = c->Id();
            c->State = ConnectionState::Idle;
            // The reply's put clears LastError; the handler is to see the reason, unless the
            // reply itself failed.
            if (Reply(message, std::make_unique<TDisconnectResp>(ind->PLCI))) {
                lastError_ = ind->Reason;
            }
            if (!RaiseOnMessage(c, message, handled)) {
                return;
            }
            c = connections_.Find(id);
            if (c == nullptr) {
                return;
            }
            if (c->Sending) {
                c->Sending = false;
                if (OnB3TransferDone) {
                    const std::weak_ptr<int> alive = alive_;
                    const auto event = OnB3TransferDone;
                    event(*c, false);
                    if (alive.expired()) {
                        return;
                    }
                }
            }
            Forget(id);
            if (OnAllDisconnected && connections_.Count() == 0) {
                postAllDisconnected_ = true;
            }
            return;
        }
        case kInfoInd: {
            auto* ind = dynamic_cast<TInfoInd*>(&message);
            if (ind == nullptr) {
                return;
            }
            TConnection* c = connections_.FindByPLCI(ind->PLCI);
            Reply(message, std::make_unique<TInfoResp>(ind->PLCI));
            RaiseOnMessage(c, message, handled);
            return;
        }
        case kFacilityInd: {
            auto* ind = dynamic_cast<TFacilityInd*>(&message);
            if (ind == nullptr) {
                return;
            }
            Reply(message, std::make_unique<TFacilityResp>(ind->Address, ind->FacilitySelector));
            RaiseOnMessage(nullptr, message, handled);
            return;
        }
        case kConnectB3Ind: {
            auto* ind = dynamic_cast<TConnectB3Ind*>(&message);
            TConnection* c = ind != nullptr ? connections_.FindByPLCI(ind->NCCI & 0xFFFF) : nullptr;
            if (c == nullptr) {
                return;
            }
            const ConnectionId id = c->Id();
            c->State = ConnectionState::B3Connecting;
            c->NCCI = ind->NCCI;
            if (!RaiseOnMessage(c, message, handled)) {
                return;
            }
            if (handled && connections_.Find(id) != nullptr) {
                Reply(message, std::make_unique<TConnectB3Resp>(ind->NCCI, 0));
            }
            return;
        }
        case kConnectB3ActiveInd: {
            auto* ind = dynamic_cast<TConnectB3ActiveInd*>(&message);
            TConnection* c = ind != nullptr ? connections_.FindByNCCI(ind->NCCI) : nullptr;
            if (c == nullptr) {
                return;
            }
            c->State = ConnectionState::B3Active;
            Reply(message, std::make_unique<TConnectB3ActiveResp>(ind->NCCI));
            RaiseOnMessage(c, message, handled);
            return;
        }
        case kDisconnectB3Ind: {
            auto* ind = dynamic_cast<TDisconnectB3Ind*>(&message);
            TConnection* c = ind != nullptr ? connections_.FindByNCCI(ind->NCCI) : nullptr;
            if (c == nullptr) {
                return;
            }
            const ConnectionId id = c->Id();
            c->State = ConnectionState::B3Disconnected;
            if (c->DisconnectInitiator == 0) {
                c->DisconnectInitiator = 2;
            }
            Reply(message, std::make_unique<TDisconnectB3Resp>(ind->NCCI));
            if (!RaiseOnMessage(c, message, handled)) {
                return;
            }
            c = connections_.Find(id);
            if (handled && c != nullptr && c->DisconnectInitiator == 1) {
                PutDisconnectReq(*c);
            }
            return;
        }
        case kDataB3Ind: {
            auto* ind = dynamic_cast<TDataB3Ind*>(&message);
            TConnection* c = ind != nullptr ? connections_.FindByNCCI(ind->NCCI) : nullptr;
            if (c == nullptr) {
                return;
            }
            const ConnectionId id = c->Id();
            if (!RaiseOnMessage(c, message, handled)) {
                return;
            }
            if (handled && connections_.Find(id) != nullptr) {
                Reply(message, std::make_unique<TDataB3Resp>(ind->NCCI, ind->DataHandle));
            }
            return;
        }
        case kResetB3Ind: {
            auto* ind = dynamic_cast<TResetB3Ind*>(&message);
            if (ind == nullptr) {
                return;
            }
            TConnection* c = connections_.FindByNCCI(ind->NCCI);
            Reply(message, std::make_unique<TResetB3Resp>(ind->NCCI));
            RaiseOnMessage(c, message, handled);
            return;
        }
        case kConnectB3T90ActiveInd: {
            auto* ind = dynamic_cast<TConnectB3T90ActiveInd*>(&message);
            if (ind == nullptr) {
                return;
            }
            TConnection* c = connections_.FindByNCCI(ind->NCCI);
            Reply(message, std::make_unique<TConnectB3T90ActiveResp>(ind->NCCI));
            RaiseOnMessage(c, message, handled);
            return;
        }
        default:
            return;
    }
}

void TCapi::HandleConfirmation(TCapiMessage& message) {
    lastError_ = 0;
    bool handled = true;
    auto* conf = dynamic_cast<TCapiConfirmation*>(&message);
    if (conf == nullptr) {
        return;
    }
    const bool failed = conf->Info > kLastInformativeInfo;
    if (failed) {
        lastError_ = conf->Info;
    }
    switch (message.Header.GetCommand()) {
        case kAlertConf:
        case kDisconnectConf:
        case kInfoConf:
        case kSelectBProtocolConf:
            RaiseOnMessage(connections_.FindByPLCI(conf->Address), message, handled);
            return;
        case kListenConf:
        case kFacilityConf:
            RaiseOnMessage(nullptr, message, handled);
            return;
        case kConnectConf: {
            TConnection* c = connections_.FindByNumber(message.Header.MessageNumber);
            if (c == nullptr) {
                return;
            }
            ConnectionId id = c->Id();
            if (failed) {
                c->State = ConnectionState::Idle;
            } else {
                c->State = ConnectionState::DConnecting;
                c->SetPLCI(conf->Address);
            }
            if (!RaiseOnMessage(c, message, handled)) {
                return;
            }
            if (failed) {
                Forget(id);
            }
            return;
        }
        case kConnectB3Conf: {
            TConnection* c = connections_.FindByPLCI(conf->Address & 0xFFFF);
            if (c == nullptr) {
                return;
            }
            if (failed) {
                // The put clears LastError; the handler is to see the confirmation's error.
                if (PutDisconnectReq(*c)) {
                    lastError_ = conf->Info;
                }
            } else {
                c->State = ConnectionState::B3Connecting;
                c->NCCI = conf->Address;
            }
            RaiseOnMessage(c, message, handled);
            return;
        }
        case kDisconnectB3Conf: {
            TConnection* c = connections_.FindByNCCI(conf->Address);
            if (c == nullptr) {
                return;
            }
            c->State = ConnectionState::B3Disconnecting;
            RaiseOnMessage(c, message, handled);
            return;
        }
        case kDataB3Conf: {
            auto* data = dynamic_cast<TDataB3Conf*>(&message);
            TConnection* c = data != nullptr ? connections_.FindByNCCI(conf->Address) : nullptr;
            if (c == nullptr) {
                return;
            }
            ConnectionId id = c->Id();
            if (!RaiseOnMessage(c, message, handled)) {
                return;
            }
            c = connections_.Find(id);
            if (c == nullptr) {
                return;
            }
            if (handled) {
                c->DataQueue.Release(data->DataHandle);
            }
            if (c->Sending) {
                SendB3Data(id);
            }
            return;
        }
        case kResetB3Conf:
            RaiseOnMessage(connections_.FindByNCCI(conf->Address), message, handled);
            return;
        default:
            return;
    }
}

bool TCapi::SendB3Data(ConnectionId& connection) {
    if (!connections_.IsValid(connection)) {
        return false;
    }
    const ConnectionId id = connection;
    TConnection* c = connections_.Find(id);
    c->Sending = true;
    bool finished = false;
    bool success = true;
    const std::weak_ptr<int> alive = alive_;
    if (c->DataQueue.SentCount() == c->DataQueue.Count()) {
        if (OnB3DataNeeded) {
            const auto event = OnB3DataNeeded;
            event(*c, finished, success);
            if (alive.expired()) {
                return true;
            }
            c = connections_.Find(id);
            if (c == nullptr) {
                return true;
            }
        } else {
            finished = true;
        }
    }
    bool ok = true;
    if (!finished) {
        const std::size_t sent = c->DataQueue.SentCount();
        const std::size_t window = maxBDataBlocks_ > sent ? maxBDataBlocks_ - sent : 0;
        const std::size_t expected = std::min(window, c->DataQueue.Count() - sent);
        ConnectionId target = id;
        ok = SendB3Blocks(target, window) == expected;
        c = connections_.Find(id);
        if (c == nullptr) {
            return true;
        }
    }
    if (finished || !ok) {
        c->Sending = false;
        if (OnB3TransferDone) {
            const auto event = OnB3TransferDone;
            event(*c, success && ok);
        }
    }
    return true;
}

std::size_t TCapi::SendB3Blocks(ConnectionId& connection, std::size_t n) {
    if (!connections_.IsValid(connection)) {
        return 0;
    }
    TConnection* c = connections_.Find(connection);
    std::size_t put = 0;
    for (std::size_t i = 0; i < c->DataQueue.Count() && put < n; ++i) {
        TB3DataBlock& block = c->DataQueue.Items(i);
        if (block.Sent) {
            continue;
        }
        if (!PutMessage(std::make_unique<TDataB3Req>(c->NCCI, block.Data.data(), block.DataLength(),
                                                     block.DataHandle, block.Flags))) {
            c->DataQueue.Clear();
            break;
        }
        block.Sent = true;
        ++put;
    }
    return put;
}

}  // namespace capi
