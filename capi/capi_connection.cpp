#include "capi/capi_connection.h"

#include <algorithm>
#include <string>

#include "capi/capi_error.h"

namespace capi {

TB3DataBlock& TB3DataQueue::Add(std::vector<std::uint8_t> data, std::uint16_t dataHandle,
                                std::uint16_t flags) {
    if (data.size() > 0xFFFF) {
        throw ECapiError("B3 data block of " + std::to_string(data.size()) +
                         " bytes exceeds 65535 bytes");
    }
    blocks_.push_back(TB3DataBlock{std::move(data), dataHandle, flags, false});
    return blocks_.back();
}

TB3DataBlock& TB3DataQueue::Items(std::size_t index) {
    if (index >= blocks_.size()) {
        throw ECapiError("B3 data block " + std::to_string(index) + " does not exist");
    }
    return blocks_[index];
}

std::size_t TB3DataQueue::SentCount() const {
    return static_cast<std::size_t>(std::count_if(blocks_.begin(), blocks_.end(),
                                                  [](const TB3DataBlock& b) { return b.Sent; }));
}

bool TB3DataQueue::Release(std::uint16_t dataHandle) {
    const auto it =
        std::find_if(blocks_.begin(), blocks_.end(),
                     [dataHandle](const TB3DataBlock& b) { return b.DataHandle == dataHandle; });
    if (it == blocks_.end()) {
        return false;
    }
    blocks_.erase(it);
    return true;
}

void TConnection::SetPLCI(std::uint32_t plci) {
    plci_ = plci;
    controller_ = static_cast<std::uint8_t>(plci & 0xFF);
}

TConnection* TConnections::Add() {
    std::uint32_t highest = 0;
    for (const auto& c : items_) {
        highest = std::max(highest, c->Number());
    }
    items_.push_back(std::unique_ptr<TConnection>(new TConnection(++lastId_, highest + 1)));
    return items_.back().get();
}

void TConnections::Remove(ConnectionId& id) {
    const auto it = std::find_if(items_.begin(), items_.end(),
                                 [id](const auto& c) { return id != 0 && c->Id() == id; });
    if (it == items_.end()) {
        return;
    }
    items_.erase(it);
    id = 0;
}

bool TConnections::IsValid(ConnectionId& id) const {
    if (Find(id) != nullptr) {
        return true;
    }
    id = 0;
    return false;
}

template <class Match>
TConnection* TConnections::FindFirst(Match match) const {
    const auto it =
        std::find_if(items_.begin(), items_.end(), [&match](const auto& c) { return match(*c); });
    return it != items_.end() ? it->get() : nullptr;
}

TConnection* TConnections::Find(ConnectionId id) const {
    return id == 0 ? nullptr : FindFirst([id](const TConnection& c) { return c.Id() == id; });
}

TConnection* TConnections::FindByPLCI(std::uint32_t plci) const {
    return plci == 0 ? nullptr
                     : FindFirst([plci](const TConnection& c) { return c.PLCI() == plci; });
}

TConnection* TConnections::FindByNCCI(std::uint32_t ncci) const {
    return ncci == 0 ? nullptr : FindFirst([ncci](const TConnection& c) { return c.NCCI == ncci; });
}

TConnection* TConnections::FindByNumber(std::uint32_t number) const {
    return number == 0 ? nullptr
                       : FindFirst([number](const TConnection& c) { return c.Number() == number; });
}

TConnection* TConnections::FindByOwner(const void* owner) const {
    return owner == nullptr ? nullptr
                            : FindFirst([owner](const TConnection& c) { return c.Owner == owner; });
}

TConnection* TConnections::Items(std::size_t index) const {
    if (index >= items_.size()) {
        throw ECapiError("connection " + std::to_string(index) + " does not exist");
    }
    return items_[index].get();
}

}  // namespace capi
