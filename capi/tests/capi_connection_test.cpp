#include "capi/capi_connection.h"

#include <gtest/gtest.h>

#include <functional>

#include "capi/capi_error.h"

namespace capi {
namespace {

std::vector<std::uint32_t> Numbers(const TConnections& list) {
    std::vector<std::uint32_t> numbers;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        numbers.push_back(list.Items(i)->Number());
    }
    return numbers;
}

TEST(CapiConnections, NewRecordStartsBlank) {
    TConnections list;
    const TConnection* c = list.Add();
    EXPECT_EQ(c->Number(), 1u);
    EXPECT_EQ(c->PLCI(), 0u);
    EXPECT_EQ(c->NCCI, 0u);
    EXPECT_EQ(c->Owner, nullptr);
    EXPECT_EQ(c->Direction, 0);
    EXPECT_EQ(c->DisconnectInitiator, 0);
    EXPECT_EQ(c->State, ConnectionState::Idle);
    EXPECT_EQ(c->DataQueue.Count(), 0u);
    EXPECT_FALSE(c->Sending);
}

TEST(CapiConnections, NumberIsOneAboveTheHighestListed) {
    TConnections list;
    list.Add();
    ConnectionId second = list.Add()->Id();
    list.Add();
    list.Remove(second);
    EXPECT_EQ(Numbers(list), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(list.Add()->Number(), 4u);

    while (list.Count() > 0) {
        ConnectionId id = list.Items(0)->Id();
        list.Remove(id);
        EXPECT_EQ(id, 0u);
    }
    EXPECT_EQ(list.Add()->Number(), 1u);
}

TEST(CapiConnections, LookupsReturnTheFirstAddedMatch) {
    int ownerA = 0;
    int ownerB = 0;
    struct Key {
        const char* name;
        std::function<void(TConnection&)> set;
        std::function<TConnection*(const TConnections&)> find;
    };
    const Key keys[] = {
        {"PLCI", [](TConnection& c) { c.SetPLCI(0x201); },
         [](const TConnections& l) { return l.FindByPLCI(0x201); }},
        {"NCCI", [](TConnection& c) { c.NCCI = 0x10201; },
         [](const TConnections& l) { return l.FindByNCCI(0x10201); }},
        {"Owner", [&](TConnection& c) { c.Owner = &ownerA; },
         [&](const TConnections& l) { return l.FindByOwner(&ownerA); }},
    };
    for (const auto& key : keys) {
        SCOPED_TRACE(key.name);
        TConnections list;
        TConnection* other = list.Add();
        other->SetPLCI(0x101);
        other->NCCI = 0x10101;
        other->Owner = &ownerB;
        TConnection* first = list.Add();
        TConnection* second = list.Add();
        key.set(*first);
        key.set(*second);
        EXPECT_EQ(key.find(list), first);
        ConnectionId id = first->Id();
        list.Remove(id);
        EXPECT_EQ(key.find(list), second);
    }
    TConnections list;
    list.Add();
    const TConnection* two = list.Add();
    EXPECT_EQ(list.FindByNumber(2), two);
    EXPECT_EQ(list.FindByNumber(3), nullptr);
}

TEST(CapiConnections, KeyZeroMatchesNothing) {
    TConnections list;
    list.Add();  // PLCI, NCCI and Owner all still unset
    EXPECT_EQ(list.FindByPLCI(0), nullptr);
    EXPECT_EQ(list.FindByNCCI(0), nullptr);
    EXPECT_EQ(list.FindByNumber(0), nullptr);
    EXPECT_EQ(list.FindByOwner(nullptr), nullptr);
    EXPECT_EQ(list.Find(0), nullptr);
    ConnectionId none = 0;
    list.Remove(none);
    EXPECT_EQ(list.Count(), 1u);
}

TEST(CapiConnections, RemovedRecordIsNeverMistakenForANewOne) {
    TConnections list;
    ConnectionId old = list.Add()->Id();
    ConnectionId removed = old;
    list.Remove(removed);
    EXPECT_EQ(removed, 0u);

    // The new record may even reuse the freed memory; its identity is still its own.
    const TConnection* fresh = list.Add();
    EXPECT_EQ(fresh->Number(), 1u);
    EXPECT_NE(fresh->Id(), old);

    ConnectionId stale = old;
    list.Remove(stale);  // unlisted: list and variable stay as they are
    EXPECT_EQ(stale, old);
    EXPECT_EQ(list.Count(), 1u);

    EXPECT_FALSE(list.IsValid(stale));
    EXPECT_EQ(stale, 0u);
    ConnectionId live = fresh->Id();
    EXPECT_TRUE(list.IsValid(live));
    EXPECT_EQ(live, fresh->Id());
    EXPECT_EQ(list.Find(live), fresh);
}

TEST(CapiConnections, ControllerFollowsThePlci) {
    TConnections list;
    TConnection* c = list.Add();
    c->SetPLCI(0x00010203);
    EXPECT_EQ(c->PLCI(), 0x00010203u);
    EXPECT_EQ(c->Controller(), 0x03);
    c->SetPLCI(0x181);  // an external-equipment controller keeps its high bit
    EXPECT_EQ(c->Controller(), 0x81);
    EXPECT_THROW(list.Items(1), ECapiError);
}

TEST(CapiB3DataQueue, BlocksInOrderReleasedByHandle) {
    TB3DataQueue queue;
    queue.Add({1, 2, 3}, 10);
    queue.Add({4}, 11, 0x0004);
    queue.Add({5, 6}, 10);
    ASSERT_EQ(queue.Count(), 3u);
    EXPECT_EQ(queue.Items(0).DataLength(), 3);
    EXPECT_EQ(queue.Items(1).Flags, 0x0004);
    EXPECT_EQ(queue.SentCount(), 0u);
    queue.Items(0).Sent = true;
    queue.Items(2).Sent = true;
    EXPECT_EQ(queue.SentCount(), 2u);

    EXPECT_TRUE(queue.Release(10));  // the first block with handle 10 goes
    ASSERT_EQ(queue.Count(), 2u);
    EXPECT_EQ(queue.Items(0).DataHandle, 11);
    EXPECT_EQ(queue.Items(1).Data, (std::vector<std::uint8_t>{5, 6}));
    EXPECT_FALSE(queue.Release(99));
    EXPECT_EQ(queue.Count(), 2u);

    queue.Clear();
    EXPECT_EQ(queue.Count(), 0u);
    EXPECT_THROW(queue.Items(0), ECapiError);
    EXPECT_THROW(queue.Add(std::vector<std::uint8_t>(65536), 1), ECapiError);
}

}  // namespace
}  // namespace capi
