#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "capi/capi_connection.h"
#include "capi/capi_message.h"

namespace capi {

class TCapiCallBack;
class TCapiInbox;
class TCapiNotifier;

// Binding failures are reported as this plus the binding status.
inline constexpr std::uint32_t kCapiDllErrorBase = 0x9000;

// How fetched messages reach the main thread: from a receive thread through the main thread's
// event loop, or only when the owner calls FetchWaiting and HandleWaiting.
enum class TCapiReceive { Thread, Manual };

// One registration with the CAPI library: the receive thread, the connection list and the
// state machine that answers every indication. Everything but the receive thread runs in the
// thread that created the engine, which must run a Qt event loop in thread mode.
class TCapi {
  public:
    // Connection may be null. Handled starts true; false holds back the engine's follow-up.
    using MessageEvent =
        std::function<void(TConnection* connection, TCapiMessage& message, bool& handled)>;
    using B3DataNeededEvent =
        std::function<void(TConnection& connection, bool& finished, bool& success)>;
    using B3TransferDoneEvent = std::function<void(TConnection& connection, bool success)>;
    using AllDisconnectedEvent = std::function<void(TCapi& sender)>;

    // Registers at once; the outcome is in LastError.
    TCapi(std::uint32_t maxLogicalConnection, std::uint32_t maxBDataBlocks,
          std::uint32_t maxBDataLen, TCapiReceive receive = TCapiReceive::Thread);
    ~TCapi();
    TCapi(const TCapi&) = delete;
    TCapi& operator=(const TCapi&) = delete;

    MessageEvent OnMessage;
    B3DataNeededEvent OnB3DataNeeded;
    B3TransferDoneEvent OnB3TransferDone;
    // Raised after the handling of the message that removed the last connection, before the
    // next message is handled. The engine may be reset or destroyed inside it.
    AllDisconnectedEvent OnAllDisconnected;

    void Register();
    void Release();
    // Refused (false) while a message waits or is handled, or any connection exists.
    bool Reset(bool unloadLibrary);

    // Stamps the ApplID, encodes and puts; true when the library took it.
    bool PutMessage(std::unique_ptr<TCapiMessage> message);
    // Clears the connection from this side; true when nothing failed.
    bool Disconnect(ConnectionId& connection);
    // Empty for no error; the library status text for binding failures; else the CAPI text.
    std::string ErrorText() const;

    // The outgoing B3 data path, fed from the connection's DataQueue.
    bool SendB3Data(ConnectionId& connection);
    std::size_t SendB3Blocks(ConnectionId& connection, std::size_t n);

    std::uint32_t ApplID() const { return applId_; }
    bool Registered() const { return registered_; }
    std::uint32_t LastError() const { return lastError_; }
    TConnections& Connections() { return connections_; }
    const TConnections& Connections() const { return connections_; }
    std::uint32_t MaxLogicalConnection() const { return maxLogicalConnection_; }
    std::uint32_t MaxBDataBlocks() const { return maxBDataBlocks_; }
    std::uint32_t MaxBDataLen() const { return maxBDataLen_; }

    // A fetched message waits or is being handled.
    bool Busy() const;

    // Manual mode: fetches what the library holds now into the hand-over; returns how many.
    std::size_t FetchWaiting();
    // Manual mode: hands these bytes over as if they had been fetched.
    void HandOver(std::vector<std::uint8_t> raw);
    // Handles the waiting messages in order, one at a time; does nothing while a handling
    // is already under way further up the stack. Thread mode calls it from the event loop.
    void HandleWaiting();

  private:
    void HandleMessage(std::span<const std::uint8_t> raw);
    void HandleIndication(TCapiMessage& message);
    void HandleConfirmation(TCapiMessage& message);
    // Raises OnMessage; false when the engine was destroyed inside it.
    bool RaiseOnMessage(TConnection* connection, TCapiMessage& message, bool& handled);
    // Puts a response with the indication's message number.
    bool Reply(const TCapiMessage& indication, std::unique_ptr<TCapiMessage> response);
    // Puts DISCONNECT_REQ once per connection.
    bool PutDisconnectReq(TConnection& connection);
    void Forget(ConnectionId& connection);
    void StopReceiving();

    std::uint32_t applId_ = 0;
    std::unique_ptr<TCapiCallBack> thread_;
    std::shared_ptr<TCapiInbox> inbox_;
    TConnections connections_;
    std::unique_ptr<TCapiNotifier> notifier_;
    bool registered_ = false;
    std::uint32_t lastError_ = 0;
    std::uint32_t maxLogicalConnection_;
    std::uint32_t maxBDataBlocks_;
    std::uint32_t maxBDataLen_;
    TCapiReceive receive_;
    std::set<ConnectionId> disconnectPut_;
    bool postAllDisconnected_ = false;
    bool handlingWaiting_ = false;
    // Expires when the engine is destroyed; lets a caller of an event see that it happened.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace capi
