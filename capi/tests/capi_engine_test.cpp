#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "capi/capi_commands.h"
#include "capi/capi_engine.h"
#include "capi/capi_messages.h"
#include "capi/capi_texts.h"
#include "capi/tests/sim_line.h"
#include "capi/tests/test_bytes.h"

namespace capi {
namespace {

using test::LineEntry;
using test::MessageBytes;
using test::SimLine;
using S = ConnectionState;

std::vector<std::uint16_t> Commands(const std::vector<LineEntry>& entries) {
    std::vector<std::uint16_t> out;
    for (const auto& e : entries) {
        out.push_back(e.command);
    }
    return out;
}

// An engine on the simulated line whose messages the test fetches and hands over itself.
class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine_ = std::make_unique<TCapi>(1, 2, 128, TCapiReceive::Manual);
        ASSERT_EQ(engine_->LastError(), 0u);
        ASSERT_TRUE(engine_->Registered());
        // Listening, so that the line offers calls to this application.
        ASSERT_TRUE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 0x1FFF03FE, 0)));
        Pump();
        engine_->OnMessage = [this](TConnection* c, TCapiMessage& m, bool&) {
            log_.push_back("msg " + std::to_string(m.Header.GetCommand()) + " " +
                           std::to_string(engine_->LastError()) + " " + engine_->ErrorText() +
                           (c != nullptr ? " conn" : ""));
        };
    }
    void TearDown() override {
        engine_.reset();
        line_.Reset();
    }
    void Pump() {
        engine_->FetchWaiting();
        engine_->HandleWaiting();
    }
    // A call offered and taken into the engine's list, in state 1.
    ConnectionId Ringing() {
        EXPECT_EQ(line_.Offer("0301234567"), 1);
        Pump();
        EXPECT_EQ(engine_->Connections().Count(), 1u);
        return engine_->Connections().Count() > 0 ? engine_->Connections().Items(0)->Id() : 0;
    }

    SimLine line_;
    std::unique_ptr<TCapi> engine_;
    std::vector<std::string> log_;
};

TEST_F(EngineTest, HangUpShowsTheReasonAndNoticesAllDisconnectedOnceAfterTheHandler) {
    Ringing();
    engine_->OnAllDisconnected = [this](TCapi& sender) {
        EXPECT_EQ(&sender, engine_.get());
        log_.push_back("all disconnected");
    };
    log_.clear();
    const std::size_t mark = line_.Mark();
    ASSERT_EQ(line_.Hangup(), 1);
    // A message behind the DISCONNECT_IND is handled only after the notice.
    engine_->FetchWaiting();
    engine_->HandOver(MessageBytes(kListenConf, engine_->ApplID(), 9, 1, "0000"));
    engine_->HandleWaiting();

    EXPECT_EQ(log_, (std::vector<std::string>{
                        "msg " + std::to_string(kDisconnectInd) + " " + std::to_string(0x3490) +
                            " Normal call clearing ($3490) conn",
                        "all disconnected", "msg " + std::to_string(kListenConf) + " 0 "}));
    EXPECT_EQ(engine_->Connections().Count(), 0u);
    EXPECT_EQ(Commands(line_.PutsFrom(mark)), std::vector<std::uint16_t>{kDisconnectResp});
}

TEST_F(EngineTest, NoAllDisconnectedNoticeWhileAConnectionRemains) {
    Ringing();
    ASSERT_EQ(line_.Offer("0307654321"), 1);
    Pump();
    ASSERT_EQ(engine_->Connections().Count(), 2u);
    int notices = 0;
    engine_->OnAllDisconnected = [&](TCapi&) { ++notices; };
    const std::uint32_t first = engine_->Connections().Items(0)->PLCI();
    engine_->HandOver(MessageBytes(kDisconnectInd, engine_->ApplID(), 3, first, "9034"));
    engine_->HandleWaiting();
    EXPECT_EQ(engine_->Connections().Count(), 1u);
    EXPECT_EQ(notices, 0);
}

TEST_F(EngineTest, FailedReplyToDisconnectIndLeavesThePutErrorForTheHandler) {
    Ringing();
    line_.FailNext(CAPISIM_OP_PUT_MESSAGE, 0x1103);
    log_.clear();
    ASSERT_EQ(line_.Hangup(), 1);
    Pump();
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0], "msg " + std::to_string(kDisconnectInd) + " " + std::to_string(0x1103) +
                           " " + CapiInfoText(0x1103) + " conn");
}

TEST_F(EngineTest, ResetIsRefusedWhileAConnectionExistsOrAMessageWaits) {
    const std::uint32_t applId = engine_->ApplID();
    Ringing();
    EXPECT_FALSE(engine_->Reset(false));
    EXPECT_EQ(engine_->ApplID(), applId);
    EXPECT_TRUE(engine_->Registered());

    ASSERT_EQ(line_.Hangup(), 1);
    ASSERT_EQ(engine_->FetchWaiting(), 1u);  // the DISCONNECT_IND waits, not yet handled
    EXPECT_TRUE(engine_->Busy());
    EXPECT_FALSE(engine_->Reset(false));
    engine_->HandleWaiting();
    EXPECT_EQ(engine_->Connections().Count(), 0u);

    engine_->HandOver(MessageBytes(kListenConf, applId, 1, 1, "0000"));
    EXPECT_TRUE(engine_->Busy());
    EXPECT_FALSE(engine_->Reset(false));
    EXPECT_EQ(engine_->ApplID(), applId);
    engine_->HandleWaiting();
    EXPECT_FALSE(engine_->Busy());

    const std::size_t mark = line_.Mark();
    const unsigned releases = line_.CallCount(CAPISIM_OP_RELEASE);
    EXPECT_TRUE(engine_->Reset(true));
    EXPECT_TRUE(engine_->Registered());
    EXPECT_NE(engine_->ApplID(), applId);
    EXPECT_EQ(line_.CallCount(CAPISIM_OP_RELEASE), releases + 1);
    const auto puts = line_.PutsFrom(mark);
    ASSERT_EQ(puts.size(), 1u);
    EXPECT_EQ(puts[0].command, kListenReq);
    EXPECT_EQ(puts[0].applId, applId);
    EXPECT_EQ(puts[0].result, 0u);  // put while still registered
}

TEST_F(EngineTest, ResetInsideTheAllDisconnectedNoticeRegistersAgain) {
    Ringing();
    const std::uint32_t applId = engine_->ApplID();
    bool reset = false;
    engine_->OnAllDisconnected = [&](TCapi& sender) { reset = sender.Reset(false); };
    ASSERT_EQ(line_.Hangup(), 1);
    Pump();
    EXPECT_TRUE(reset);
    EXPECT_NE(engine_->ApplID(), applId);
    EXPECT_EQ(engine_->LastError(), 0u);
}

TEST_F(EngineTest, EngineMayBeDestroyedInsideTheAllDisconnectedNotice) {
    Ringing();
    engine_->OnAllDisconnected = [this](TCapi&) { engine_.reset(); };
    ASSERT_EQ(line_.Hangup(), 1);
    Pump();
    EXPECT_EQ(engine_, nullptr);
}

TEST_F(EngineTest, DisconnectPutsWhatTheStateCallsFor) {
    struct Case {
        S state;
        std::vector<std::uint16_t> puts;
    };
    const Case cases[] = {
        {S::Idle, {}},
        {S::DConnecting, {kDisconnectReq}},
        {S::Connected, {kDisconnectReq}},
        {S::B3Connecting, {kDisconnectReq}},
        {S::B3Active, {kDisconnectB3Req}},
        {S::B3Disconnecting, {kDisconnectReq}},
        {S::B3Disconnected, {kDisconnectReq}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        TConnection* conn = engine_->Connections().Add();
        conn->SetPLCI(0x0201);
        conn->NCCI = 0x00010201;
        conn->State = c.state;
        ConnectionId id = conn->Id();
        const std::size_t mark = line_.Mark();
        EXPECT_TRUE(engine_->Disconnect(id));
        EXPECT_EQ(Commands(line_.PutsFrom(mark)), c.puts);
        EXPECT_EQ(conn->DisconnectInitiator, c.puts.empty() ? 0 : 1);
        // A second request for the same call does not reach the driver again, which would
        // refuse it; DISCONNECT_B3_REQ is not held back.
        const std::size_t again = line_.Mark();
        EXPECT_TRUE(engine_->Disconnect(id));
        EXPECT_EQ(line_.PutsFrom(again).size(), c.state == S::B3Active ? 1u : 0u);
        engine_->Connections().Remove(id);
    }
    ConnectionId gone = 4711;
    EXPECT_FALSE(engine_->Disconnect(gone));
    EXPECT_EQ(gone, 0u);
}

TEST_F(EngineTest, FailedPutIsTheLastErrorAndItsText) {
    line_.FailNext(CAPISIM_OP_PUT_MESSAGE, 0x1103);
    EXPECT_FALSE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 2, 0)));
    EXPECT_EQ(engine_->LastError(), 0x1103u);
    EXPECT_EQ(engine_->ErrorText(),
              "the message could not be accepted because of a queue full condition. ($1103)");
    EXPECT_TRUE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 2, 0)));
    EXPECT_EQ(engine_->LastError(), 0u);
    EXPECT_EQ(engine_->ErrorText(), "");
}

TEST_F(EngineTest, ExceptionInAHandlerIsLoggedAndTheNextMessageIsHandled) {
    int calls = 0;
    engine_->OnMessage = [&](TConnection*, TCapiMessage&, bool&) {
        if (++calls == 1) {
            throw std::runtime_error("handler broke");
        }
    };
    engine_->HandOver(MessageBytes(kListenConf, engine_->ApplID(), 1, 1, "0000"));
    engine_->HandOver(MessageBytes(kListenConf, engine_->ApplID(), 2, 1, "0000"));
    ::testing::internal::CaptureStderr();
    engine_->HandleWaiting();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(calls, 2);
    EXPECT_NE(err.find("handler broke"), std::string::npos) << err;
    EXPECT_FALSE(engine_->Busy());
}

TEST(EngineRegistrationTest, RefusedRegistrationKeepsTheErrorAndStartsNothing) {
    SimLine line;
    line.FailNext(CAPISIM_OP_REGISTER, 0x1001);
    TCapi engine(1, 2, 128, TCapiReceive::Thread);
    EXPECT_FALSE(engine.Registered());
    EXPECT_EQ(engine.LastError(), 0x1001u);
    EXPECT_EQ(engine.ErrorText(), "too many applications ($1001)");
    EXPECT_TRUE(engine.Reset(false));
    EXPECT_TRUE(engine.Registered());
    line.Reset();
}

TEST(EngineRegistrationTest, RefusedReleaseIsTheLastError) {
    SimLine line;
    TCapi engine(1, 2, 128, TCapiReceive::Manual);
    line.FailNext(CAPISIM_OP_RELEASE, 0x1101);
    engine.Release();
    EXPECT_FALSE(engine.Registered());
    EXPECT_EQ(engine.LastError(), 0x1101u);
    line.Reset();
}

// The outgoing B3 data path, fed by the test through the connection's queue.
class B3DataTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        TConnection* c = engine_->Connections().Add();
        c->SetPLCI(0x0201);
        c->NCCI = 0x00010201;
        c->State = S::B3Active;
        id_ = c->Id();
        engine_->OnB3TransferDone = [this](TConnection& conn, bool success) {
            EXPECT_EQ(conn.Id(), id_);
            done_.push_back(success);
        };
    }
    TConnection& Conn() { return *engine_->Connections().Find(id_); }
    void Confirm(std::uint16_t handle, const char* info = "0000") {
        engine_->HandOver(MessageBytes(
            kDataB3Conf, engine_->ApplID(), 1, 0x00010201,
            std::string(test::ToHex(std::vector<std::uint8_t>{
                static_cast<std::uint8_t>(handle), static_cast<std::uint8_t>(handle >> 8)})) +
                info));
        engine_->HandleWaiting();
    }
    std::vector<std::uint16_t> HandlesPutFrom(std::size_t mark) {
        std::vector<std::uint16_t> handles;
        for (const auto& e : line_.PutsFrom(mark)) {
            EXPECT_EQ(e.command, kDataB3Req);
            handles.push_back(static_cast<std::uint16_t>(e.bytes[18] | e.bytes[19] << 8));
        }
        return handles;
    }

    ConnectionId id_ = 0;
    std::vector<bool> done_;
};

TEST_F(B3DataTest, SendsWithinTheWindowAndAsksForMoreWhenAllAreSent) {
    for (std::uint16_t h = 1; h <= 3; ++h) {
        Conn().DataQueue.Add({0x10, 0x20, static_cast<std::uint8_t>(h)}, h);
    }
    int asked = 0;
    engine_->OnB3DataNeeded = [&](TConnection& conn, bool& finished, bool&) {
        ++asked;
        if (asked == 1) {
            conn.DataQueue.Add({0x44}, 4);
        } else {
            finished = true;
        }
    };
    std::size_t mark = line_.Mark();
    ConnectionId id = id_;
    EXPECT_TRUE(engine_->SendB3Data(id));
    EXPECT_EQ(HandlesPutFrom(mark), (std::vector<std::uint16_t>{1, 2}));  // two blocks at most
    EXPECT_TRUE(Conn().Sending);

    mark = line_.Mark();
    Confirm(1);
    EXPECT_EQ(HandlesPutFrom(mark), (std::vector<std::uint16_t>{3}));
    EXPECT_EQ(Conn().DataQueue.Count(), 2u);

    // With block 3 out, every queued block has been sent: the source is asked for more.
    mark = line_.Mark();
    Confirm(2);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(HandlesPutFrom(mark), (std::vector<std::uint16_t>{4}));
    EXPECT_TRUE(done_.empty());
    Confirm(3);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(done_, (std::vector<bool>{true}));
    EXPECT_FALSE(Conn().Sending);
    mark = line_.Mark();
    Confirm(4);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(line_.PutsFrom(mark).empty());
    EXPECT_EQ(Conn().DataQueue.Count(), 0u);
}

TEST_F(B3DataTest, WithoutADataSourceTheTransferEndsAtOnce) {
    ConnectionId id = id_;
    EXPECT_TRUE(engine_->SendB3Data(id));
    EXPECT_EQ(done_, (std::vector<bool>{true}));
    EXPECT_FALSE(Conn().Sending);
}

TEST_F(B3DataTest, AFailedPutClearsTheQueueAndEndsTheTransferUnsuccessfully) {
    Conn().DataQueue.Add({1}, 1);
    Conn().DataQueue.Add({2}, 2);
    line_.FailNext(CAPISIM_OP_PUT_MESSAGE, 0x1103);
    ConnectionId id = id_;
    EXPECT_TRUE(engine_->SendB3Data(id));
    EXPECT_EQ(Conn().DataQueue.Count(), 0u);
    EXPECT_EQ(done_, (std::vector<bool>{false}));
    EXPECT_FALSE(Conn().Sending);
}

TEST_F(B3DataTest, TransferIsReportedFailedWhenTheCallEndsOrTheEngineIsReleased) {
    Conn().Sending = true;
    engine_->HandOver(MessageBytes(kDisconnectInd, engine_->ApplID(), 1, 0x0201, "9034"));
    engine_->HandleWaiting();
    EXPECT_EQ(done_, (std::vector<bool>{false}));

    TConnection* other = engine_->Connections().Add();
    id_ = other->Id();
    other->Sending = true;
    engine_->Release();
    engine_->Release();  // reported once
    EXPECT_EQ(done_, (std::vector<bool>{false, false}));
}

TEST_F(B3DataTest, UnknownConnectionSendsNothing) {
    ConnectionId gone = id_ + 100;
    const std::size_t mark = line_.Mark();
    EXPECT_FALSE(engine_->SendB3Data(gone));
    EXPECT_EQ(engine_->SendB3Blocks(gone, 2), 0u);
    EXPECT_TRUE(line_.PutsFrom(mark).empty());
}

}  // namespace
}  // namespace capi
