#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace capi {

// Powers of two, as the engine tests them in sets.
enum class ConnectionState : int {
    Idle = 0,
    DConnecting = 1,
    Connected = 2,
    B3Connecting = 4,
    B3Active = 8,
    B3Disconnecting = 16,
    B3Disconnected = 32,
};

// One outgoing B3 data block.
struct TB3DataBlock {
    std::vector<std::uint8_t> Data;
    std::uint16_t DataHandle = 0;
    std::uint16_t Flags = 0;
    bool Sent = false;

    std::uint16_t DataLength() const { return static_cast<std::uint16_t>(Data.size()); }
};

// The outgoing B3 data blocks of a connection, in order.
class TB3DataQueue {
  public:
    // Throws ECapiError for a block over 65535 bytes.
    TB3DataBlock& Add(std::vector<std::uint8_t> data, std::uint16_t dataHandle,
                      std::uint16_t flags = 0);
    std::size_t Count() const { return blocks_.size(); }
    TB3DataBlock& Items(std::size_t index);  // throws ECapiError out of range
    std::size_t SentCount() const;
    // Frees the first block with this handle; false when there is none.
    bool Release(std::uint16_t dataHandle);
    void Clear() { blocks_.clear(); }

  private:
    std::vector<TB3DataBlock> blocks_;
};

// Identifies one record for as long as its list lives; never reused, 0 is none. A caller that
// keeps a record across messages keeps this, not the pointer, so a freed record is never touched.
using ConnectionId = std::uint64_t;

// One call the engine knows of.
class TConnection {
  public:
    ConnectionId Id() const { return id_; }
    std::uint32_t Number() const { return number_; }
    std::uint32_t PLCI() const { return plci_; }
    std::uint8_t Controller() const { return controller_; }
    // The controller is the PLCI's low byte and follows it.
    void SetPLCI(std::uint32_t plci);

    const void* Owner = nullptr;            // the component handling the call; compared, never used
    std::uint16_t Direction = 0;            // 0 not set, 1 outgoing, 2 incoming
    std::uint16_t DisconnectInitiator = 0;  // 0 none, 1 this side, 2 the remote side
    ConnectionState State = ConnectionState::Idle;
    std::uint32_t NCCI = 0;  // 0 until a B3 connection exists
    TB3DataQueue DataQueue;
    bool Sending = false;

  private:
    friend class TConnections;
    TConnection(ConnectionId id, std::uint32_t number) : id_(id), number_(number) {}

    ConnectionId id_;
    std::uint32_t number_;
    std::uint32_t plci_ = 0;
    std::uint8_t controller_ = 0;
};

// The records in insertion order, owned. Lookups return the first match; a key of 0 matches
// nothing, since 0 stands for "not assigned yet".
class TConnections {
  public:
    // Number is one above the highest listed (1 in an empty list).
    TConnection* Add();
    // Frees the record and sets id to 0; an unlisted id leaves list and id unchanged.
    void Remove(ConnectionId& id);
    // True when listed; otherwise sets id to 0.
    bool IsValid(ConnectionId& id) const;
    TConnection* Find(ConnectionId id) const;

    TConnection* FindByPLCI(std::uint32_t plci) const;
    TConnection* FindByNCCI(std::uint32_t ncci) const;
    TConnection* FindByNumber(std::uint32_t number) const;
    TConnection* FindByOwner(const void* owner) const;

    std::size_t Count() const { return items_.size(); }
    TConnection* Items(std::size_t index) const;  // throws ECapiError out of range

  private:
    template <class Match>
    TConnection* FindFirst(Match match) const;

    std::vector<std::unique_ptr<TConnection>> items_;
    ConnectionId lastId_ = 0;
};

}  // namespace capi
