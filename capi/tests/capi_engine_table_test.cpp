#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capi/capi_commands.h"
#include "capi/capi_engine.h"
#include "capi/tests/sim_line.h"
#include "capi/tests/test_bytes.h"

namespace capi {
namespace {

using test::LineEntry;
using test::MessageBytes;
using test::SimLine;
using test::ToHex;

constexpr std::uint32_t kPlci = 0x0201;
constexpr std::uint32_t kNcci = 0x00010201;  // its low 16 bits are kPlci
constexpr std::uint32_t kOtherPlci = 0x0301;
constexpr std::uint32_t kOtherNcci = 0x00020301;
constexpr std::uint16_t kIndNumber = 0x4242;

using S = ConnectionState;

enum class Addr { Plci, Ncci, OtherPlci, OtherNcci, Controller };

std::uint32_t AddressOf(Addr a) {
    switch (a) {
        case Addr::Plci:
            return kPlci;
        case Addr::Ncci:
            return kNcci;
        case Addr::OtherPlci:
            return kOtherPlci;
        case Addr::OtherNcci:
            return kOtherNcci;
        case Addr::Controller:
            return 1;
    }
    return 0;
}

struct Put {
    std::uint16_t command;
    Addr addr;
    const char* rest;  // parameters after the address, as hex
    bool reply;        // carries the received message's number
};

// One row: the connection the engine knows beforehand (if any), the message the line hands
// over, and what the engine makes of it.
struct Row {
    const char* name;
    std::optional<S> prepared =
        std::nullopt;  // a connection with kPlci (and kNcci from state 4 on)
    std::uint16_t direction = 2;
    std::uint16_t initiator = 0;
    bool disconnectedBefore = false;  // Disconnect() already put DISCONNECT_REQ
    std::uint16_t command = 0;
    Addr addr = Addr::Plci;
    const char* rest = "";
    std::uint16_t number = kIndNumber;
    bool refuse = false;  // the handler sets Handled to false

    bool fires = false;
    bool withConnection = false;
    std::uint32_t errorSeen = 0;
    S stateSeen = S::Idle;
    std::vector<Put> puts = {};
    std::size_t putsBeforeHandler = 0;
    std::optional<S> stateAfter = std::nullopt;  // nothing: no connection is left
    std::uint16_t initiatorAfter = 0;
    bool ncciStored = false;
    bool allDisconnected = false;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << r.name;
}

struct Seen {
    ConnectionId connection;
    std::uint16_t command;
    std::uint32_t lastError;
    S state;
    std::size_t putsSoFar;
};

class EngineTableTest : public ::testing::TestWithParam<Row> {
  protected:
    void SetUp() override {
        engine_ = std::make_unique<TCapi>(1, 2, 128, TCapiReceive::Manual);
        ASSERT_EQ(engine_->LastError(), 0u);
        engine_->OnMessage = [this](TConnection* c, TCapiMessage& m, bool& handled) {
            seen_.push_back(Seen{c != nullptr ? c->Id() : 0, m.Header.GetCommand(),
                                 engine_->LastError(), c != nullptr ? c->State : S::Idle,
                                 line_.PutsFrom(mark_).size()});
            if (GetParam().refuse) {
                handled = false;
            }
        };
        engine_->OnAllDisconnected = [this](TCapi&) { ++allDisconnected_; };
    }
    void TearDown() override {
        engine_.reset();
        line_.Reset();
    }

    SimLine line_;
    std::unique_ptr<TCapi> engine_;
    std::vector<Seen> seen_;
    int allDisconnected_ = 0;
    std::size_t mark_ = 0;
};

TEST_P(EngineTableTest, HandlesTheMessageAsTheTableSays) {
    const Row& row = GetParam();
    ConnectionId id = 0;
    if (row.prepared) {
        TConnection* c = engine_->Connections().Add();
        c->SetPLCI(kPlci);
        c->State = *row.prepared;
        c->Direction = row.direction;
        c->DisconnectInitiator = row.initiator;
        if (static_cast<int>(*row.prepared) >= static_cast<int>(S::B3Connecting)) {
            c->NCCI = kNcci;
        }
        id = c->Id();
        if (row.disconnectedBefore) {
            ASSERT_TRUE(engine_->Disconnect(id));
        }
    }
    mark_ = line_.Mark();

    engine_->HandOver(
        MessageBytes(row.command, engine_->ApplID(), row.number, AddressOf(row.addr), row.rest));
    engine_->HandleWaiting();

    if (!row.prepared && engine_->Connections().Count() == 1) {
        id = engine_->Connections().Items(0)->Id();  // made by the message itself
    }
    ASSERT_EQ(seen_.size(), row.fires ? 1u : 0u);
    if (row.fires) {
        EXPECT_EQ(seen_[0].command, row.command);
        EXPECT_EQ(seen_[0].connection, row.withConnection ? id : 0);
        EXPECT_EQ(seen_[0].lastError, row.errorSeen) << std::hex << seen_[0].lastError;
        if (row.withConnection) {
            EXPECT_EQ(seen_[0].state, row.stateSeen);
        }
        EXPECT_EQ(seen_[0].putsSoFar, row.putsBeforeHandler);
    }

    const std::vector<LineEntry> puts = line_.PutsFrom(mark_);
    ASSERT_EQ(puts.size(), row.puts.size());
    for (std::size_t i = 0; i < puts.size(); ++i) {
        const Put& want = row.puts[i];
        const auto bytes =
            MessageBytes(want.command, engine_->ApplID(), want.reply ? row.number : 0,
                         AddressOf(want.addr), want.rest);
        EXPECT_EQ(ToHex(puts[i].bytes), ToHex(bytes)) << "put " << i;
        EXPECT_EQ(puts[i].result, 0u) << "put " << i;
    }

    if (row.stateAfter) {
        ASSERT_EQ(engine_->Connections().Count(), 1u);
        const TConnection* c = engine_->Connections().Items(0);
        EXPECT_EQ(c->State, *row.stateAfter);
        EXPECT_EQ(c->DisconnectInitiator, row.initiatorAfter);
        EXPECT_EQ(c->Number(), 1u);
        EXPECT_EQ(c->PLCI(), kPlci);
        EXPECT_EQ(c->Controller(), 1u);
        EXPECT_EQ(c->Direction, row.direction);
        EXPECT_EQ(c->NCCI, row.ncciStored || (row.prepared && static_cast<int>(*row.prepared) >=
                                                                  static_cast<int>(S::B3Connecting))
                               ? kNcci
                               : 0u);
    } else {
        EXPECT_EQ(engine_->Connections().Count(), 0u);
    }
    EXPECT_EQ(allDisconnected_, row.allDisconnected ? 1 : 0);
    EXPECT_FALSE(engine_->Busy());
}

const char* const kConnectIndBody = "0100 0481353535 0421803132 00 00 00 00 00 00";

INSTANTIATE_TEST_SUITE_P(
    Indications, EngineTableTest,
    ::testing::Values(Row{.name = "ConnectIndAddsConnectionOneAndSendsNothing",
                          .command = kConnectInd,
                          .rest = kConnectIndBody,
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::DConnecting,
                          .stateAfter = S::DConnecting},
                      Row{.name = "ConnectActiveIndAnswersThenRaises",
                          .prepared = S::DConnecting,
                          .command = kConnectActiveInd,
                          .rest = "00 00 00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::Connected,
                          .puts = {{kConnectActiveResp, Addr::Plci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::Connected},
                      Row{.name = "ConnectActiveIndOfOutgoingCallAsksForB3",
                          .prepared = S::DConnecting,
                          .direction = 1,
                          .command = kConnectActiveInd,
                          .rest = "00 00 00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::Connected,
                          .puts = {{kConnectActiveResp, Addr::Plci, "", true},
                                   {kConnectB3Req, Addr::Plci, "00", false}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::Connected},
                      Row{.name = "ConnectActiveIndOfOutgoingCallNotHandled",
                          .prepared = S::DConnecting,
                          .direction = 1,
                          .command = kConnectActiveInd,
                          .rest = "00 00 00",
                          .refuse = true,
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::Connected,
                          .puts = {{kConnectActiveResp, Addr::Plci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::Connected},
                      Row{.name = "ConnectActiveIndForUnknownPlciIsDropped",
                          .prepared = S::DConnecting,
                          .command = kConnectActiveInd,
                          .addr = Addr::OtherPlci,
                          .rest = "00 00 00",
                          .stateAfter = S::DConnecting},
                      Row{.name = "DisconnectIndShowsReasonAndRemovesTheLastConnection",
                          .prepared = S::DConnecting,
                          .command = kDisconnectInd,
                          .rest = "9034",
                          .fires = true,
                          .withConnection = true,
                          .errorSeen = 0x3490,
                          .stateSeen = S::Idle,
                          .puts = {{kDisconnectResp, Addr::Plci, "", true}},
                          .putsBeforeHandler = 1,
                          .allDisconnected = true},
                      Row{.name = "DisconnectIndForUnknownPlciIsAnsweredOnly",
                          .prepared = S::DConnecting,
                          .command = kDisconnectInd,
                          .addr = Addr::OtherPlci,
                          .rest = "9034",
                          .puts = {{kDisconnectResp, Addr::OtherPlci, "", true}},
                          .stateAfter = S::DConnecting},
                      Row{.name = "InfoIndOfKnownPlci",
                          .prepared = S::Connected,
                          .command = kInfoInd,
                          .rest = "2800 00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::Connected,
                          .puts = {{kInfoResp, Addr::Plci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::Connected},
                      Row{.name = "InfoIndOfUnknownPlciIsAnsweredAndRaised",
                          .command = kInfoInd,
                          .addr = Addr::OtherPlci,
                          .rest = "2800 00",
                          .fires = true,
                          .puts = {{kInfoResp, Addr::OtherPlci, "", true}},
                          .putsBeforeHandler = 1},
                      Row{.name = "FacilityIndIsAnsweredWithItsSelector",
                          .command = kFacilityInd,
                          .addr = Addr::Controller,
                          .rest = "0100 0212 34",
                          .fires = true,
                          .puts = {{kFacilityResp, Addr::Controller, "0100 00", true}},
                          .putsBeforeHandler = 1},
                      Row{.name = "ConnectB3IndIsAcceptedAfterTheHandler",
                          .prepared = S::Connected,
                          .command = kConnectB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Connecting,
                          .puts = {{kConnectB3Resp, Addr::Ncci, "0000 00", true}},
                          .putsBeforeHandler = 0,
                          .stateAfter = S::B3Connecting,
                          .ncciStored = true},
                      Row{.name = "ConnectB3IndNotHandledSendsNoResponse",
                          .prepared = S::Connected,
                          .command = kConnectB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "00",
                          .refuse = true,
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Connecting,
                          .stateAfter = S::B3Connecting,
                          .ncciStored = true},
                      Row{.name = "ConnectB3IndForUnknownPlciIsDropped",
                          .prepared = S::Connected,
                          .command = kConnectB3Ind,
                          .addr = Addr::OtherNcci,
                          .rest = "00",
                          .stateAfter = S::Connected},
                      Row{.name = "ConnectB3ActiveInd",
                          .prepared = S::B3Connecting,
                          .command = kConnectB3ActiveInd,
                          .addr = Addr::Ncci,
                          .rest = "00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Active,
                          .puts = {{kConnectB3ActiveResp, Addr::Ncci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::B3Active},
                      Row{.name = "ConnectB3ActiveIndForUnknownNcciIsDropped",
                          .prepared = S::B3Connecting,
                          .command = kConnectB3ActiveInd,
                          .addr = Addr::OtherNcci,
                          .rest = "00",
                          .stateAfter = S::B3Connecting},
                      Row{.name = "DisconnectB3IndFromTheRemoteSide",
                          .prepared = S::B3Active,
                          .command = kDisconnectB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "0000 00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Disconnected,
                          .puts = {{kDisconnectB3Resp, Addr::Ncci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::B3Disconnected,
                          .initiatorAfter = 2},
                      Row{.name = "DisconnectB3IndAfterOwnB3ClearingClearsTheCall",
                          .prepared = S::B3Disconnecting,
                          .initiator = 1,
                          .command = kDisconnectB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "0000 00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Disconnected,
                          .puts = {{kDisconnectB3Resp, Addr::Ncci, "", true},
                                   {kDisconnectReq, Addr::Plci, "00", false}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::B3Disconnected,
                          .initiatorAfter = 1},
                      Row{.name = "DisconnectB3IndNotHandledLeavesTheCall",
                          .prepared = S::B3Disconnecting,
                          .initiator = 1,
                          .command = kDisconnectB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "0000 00",
                          .refuse = true,
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Disconnected,
                          .puts = {{kDisconnectB3Resp, Addr::Ncci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::B3Disconnected,
                          .initiatorAfter = 1},
                      // The refusing road: DISCONNECT_REQ went out in state 4 already; a second one
                      // would only be refused by the driver.
                      Row{.name = "DisconnectB3IndAfterDisconnectReqPutsNoSecondOne",
                          .prepared = S::B3Connecting,
                          .disconnectedBefore = true,
                          .command = kDisconnectB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "0000 00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Disconnected,
                          .puts = {{kDisconnectB3Resp, Addr::Ncci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::B3Disconnected,
                          .initiatorAfter = 1},
                      Row{.name = "DisconnectB3IndForUnknownNcciIsDropped",
                          .prepared = S::B3Active,
                          .command = kDisconnectB3Ind,
                          .addr = Addr::OtherNcci,
                          .rest = "0000 00",
                          .stateAfter = S::B3Active},
                      Row{.name = "DataB3IndIsAnsweredWithItsHandleAfterTheHandler",
                          .prepared = S::B3Active,
                          .command = kDataB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "00000000 0000 0700 0000 0000000000000000",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Active,
                          .puts = {{kDataB3Resp, Addr::Ncci, "0700", true}},
                          .putsBeforeHandler = 0,
                          .stateAfter = S::B3Active},
                      Row{.name = "DataB3IndNotHandled",
                          .prepared = S::B3Active,
                          .command = kDataB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "00000000 0000 0700 0000 0000000000000000",
                          .refuse = true,
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Active,
                          .stateAfter = S::B3Active},
                      Row{.name = "DataB3IndForUnknownNcciIsDropped",
                          .prepared = S::B3Active,
                          .command = kDataB3Ind,
                          .addr = Addr::OtherNcci,
                          .rest = "00000000 0000 0700 0000 0000000000000000",
                          .stateAfter = S::B3Active},
                      Row{.name = "ResetB3IndOfKnownNcci",
                          .prepared = S::B3Active,
                          .command = kResetB3Ind,
                          .addr = Addr::Ncci,
                          .rest = "00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Active,
                          .puts = {{kResetB3Resp, Addr::Ncci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::B3Active},
                      Row{.name = "ResetB3IndOfUnknownNcciIsAnsweredAndRaised",
                          .command = kResetB3Ind,
                          .addr = Addr::OtherNcci,
                          .rest = "00",
                          .fires = true,
                          .puts = {{kResetB3Resp, Addr::OtherNcci, "", true}},
                          .putsBeforeHandler = 1},
                      Row{.name = "T90ActiveIndOfKnownNcci",
                          .prepared = S::B3Active,
                          .command = kConnectB3T90ActiveInd,
                          .addr = Addr::Ncci,
                          .rest = "00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Active,
                          .puts = {{kConnectB3T90ActiveResp, Addr::Ncci, "", true}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::B3Active},
                      Row{.name = "T90ActiveIndOfUnknownNcciIsAnsweredAndRaised",
                          .command = kConnectB3T90ActiveInd,
                          .addr = Addr::OtherNcci,
                          .rest = "00",
                          .fires = true,
                          .puts = {{kConnectB3T90ActiveResp, Addr::OtherNcci, "", true}},
                          .putsBeforeHandler = 1},
                      Row{.name = "UnknownIndicationIsIgnored",
                          .prepared = S::Connected,
                          .command = CommandWord(0xFF, kInd),
                          .rest = "0000",
                          .stateAfter = S::Connected}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Confirmations, EngineTableTest,
    ::testing::Values(Row{.name = "AlertConfOfKnownPlci",
                          .prepared = S::DConnecting,
                          .command = kAlertConf,
                          .rest = "0000",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::DConnecting,
                          .stateAfter = S::DConnecting},
                      Row{.name = "InfoUpTo00FFIsSuccess",
                          .prepared = S::DConnecting,
                          .command = kAlertConf,
                          .rest = "FF00",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::DConnecting,
                          .stateAfter = S::DConnecting},
                      Row{.name = "Info0100IsAnError",
                          .prepared = S::DConnecting,
                          .command = kAlertConf,
                          .rest = "0001",
                          .fires = true,
                          .withConnection = true,
                          .errorSeen = 0x0100,
                          .stateSeen = S::DConnecting,
                          .stateAfter = S::DConnecting},
                      Row{.name = "DisconnectConfOfUnknownPlci",
                          .command = kDisconnectConf,
                          .addr = Addr::OtherPlci,
                          .rest = "0120",
                          .fires = true,
                          .errorSeen = 0x2001},
                      Row{.name = "InfoConf",
                          .prepared = S::Connected,
                          .command = kInfoConf,
                          .rest = "0000",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::Connected,
                          .stateAfter = S::Connected},
                      Row{.name = "SelectBProtocolConf",
                          .prepared = S::Connected,
                          .command = kSelectBProtocolConf,
                          .rest = "0000",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::Connected,
                          .stateAfter = S::Connected},
                      Row{.name = "ListenConf",
                          .command = kListenConf,
                          .addr = Addr::Controller,
                          .rest = "0000",
                          .fires = true},
                      Row{.name = "ListenConfWithError",
                          .command = kListenConf,
                          .addr = Addr::Controller,
                          .rest = "0220",
                          .fires = true,
                          .errorSeen = 0x2002},
                      Row{.name = "FacilityConf",
                          .command = kFacilityConf,
                          .addr = Addr::Controller,
                          .rest = "0000 0100 00",
                          .fires = true},
                      Row{.name = "ConnectConfFindsTheCallByMessageNumber",
                          .prepared = S::Idle,
                          .direction = 1,
                          .command = kConnectConf,
                          .rest = "0000",
                          .number = 1,
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::DConnecting,
                          .stateAfter = S::DConnecting},
                      Row{.name = "ConnectConfWithErrorRemovesTheCallAfterTheHandler",
                          .prepared = S::Idle,
                          .direction = 1,
                          .command = kConnectConf,
                          .rest = "0320",
                          .number = 1,
                          .fires = true,
                          .withConnection = true,
                          .errorSeen = 0x2003,
                          .stateSeen = S::Idle},
                      Row{.name = "ConnectConfOfUnknownNumberIsDropped",
                          .prepared = S::Idle,
                          .direction = 1,
                          .command = kConnectConf,
                          .rest = "0000",
                          .number = 7,
                          .stateAfter = S::Idle},
                      Row{.name = "ConnectB3ConfStoresTheNcci",
                          .prepared = S::Connected,
                          .command = kConnectB3Conf,
                          .addr = Addr::Ncci,
                          .rest = "0000",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Connecting,
                          .stateAfter = S::B3Connecting,
                          .ncciStored = true},
                      Row{.name = "ConnectB3ConfWithErrorClearsTheCall",
                          .prepared = S::Connected,
                          .command = kConnectB3Conf,
                          .addr = Addr::Ncci,
                          .rest = "0430",
                          .fires = true,
                          .withConnection = true,
                          .errorSeen = 0x3004,
                          .stateSeen = S::Connected,
                          .puts = {{kDisconnectReq, Addr::Plci, "00", false}},
                          .putsBeforeHandler = 1,
                          .stateAfter = S::Connected},
                      Row{.name = "ConnectB3ConfOfUnknownPlciIsDropped",
                          .prepared = S::Connected,
                          .command = kConnectB3Conf,
                          .addr = Addr::OtherNcci,
                          .rest = "0000",
                          .stateAfter = S::Connected},
                      Row{.name = "DisconnectB3Conf",
                          .prepared = S::B3Active,
                          .command = kDisconnectB3Conf,
                          .addr = Addr::Ncci,
                          .rest = "0000",
                          .fires = true,
                          .withConnection = true,
                          .stateSeen = S::B3Disconnecting,
                          .stateAfter = S::B3Disconnecting},
                      Row{.name = "DisconnectB3ConfOfUnknownNcciIsDropped",
                          .prepared = S::B3Active,
                          .command = kDisconnectB3Conf,
                          .addr = Addr::OtherNcci,
                          .rest = "0000",
                          .stateAfter = S::B3Active},
                      Row{.name = "DataB3ConfInfoFollowsTheHandle",
                          .prepared = S::B3Active,
                          .command = kDataB3Conf,
                          .addr = Addr::Ncci,
                          .rest = "0700 0B30",
                          .fires = true,
                          .withConnection = true,
                          .errorSeen = 0x300B,
                          .stateSeen = S::B3Active,
                          .stateAfter = S::B3Active},
                      Row{.name = "DataB3ConfOfUnknownNcciIsDropped",
                          .prepared = S::B3Active,
                          .command = kDataB3Conf,
                          .addr = Addr::OtherNcci,
                          .rest = "0700 0000",
                          .stateAfter = S::B3Active},
                      Row{.name = "ResetB3ConfOfUnknownNcciIsRaised",
                          .command = kResetB3Conf,
                          .addr = Addr::OtherNcci,
                          .rest = "0000",
                          .fires = true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace capi
