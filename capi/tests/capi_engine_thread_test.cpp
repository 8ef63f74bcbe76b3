#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "capi/capi_commands.h"
#include "capi/capi_engine.h"
#include "capi/capi_messages.h"
#include "capi/capi_receive_thread.h"
#include "capi/tests/sim_line.h"

namespace capi {
namespace {

using namespace std::chrono_literals;
using test::LineEntry;
using test::PumpUntil;
using test::SimLine;

// An engine with its real receive thread on the simulated line, listening for every call.
class EngineThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine_ = std::make_unique<TCapi>(1, 2, 128);
        ASSERT_TRUE(engine_->Registered());
        engine_->OnMessage = [this](TConnection*, TCapiMessage& m, bool&) {
            EXPECT_EQ(std::this_thread::get_id(), main_);
            handled_.push_back(m.Header.GetCommand());
            numbers_.push_back(m.Header.MessageNumber);
        };
        ASSERT_TRUE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 0x1FFF03FE, 0)));
        ASSERT_TRUE(PumpUntil([this] { return handled_.size() == 1; }));
        handled_.clear();
        numbers_.clear();
    }
    void TearDown() override {
        engine_.reset();
        line_.SetWaitHang(false);
        // A thread let go of must still end once the library lets it.
        EXPECT_TRUE(PumpUntil([] { return TCapiCallBack::Running() == 0; }));
        line_.Reset();
    }

    SimLine line_;
    std::unique_ptr<TCapi> engine_;
    std::vector<std::uint16_t> handled_;
    std::vector<std::uint16_t> numbers_;
    std::thread::id main_ = std::this_thread::get_id();
};

TEST_F(EngineThreadTest, OfferedCallIsHandledInTheMainThread) {
    ASSERT_EQ(line_.Offer("0301234567", "5551234", 1), 1);
    ASSERT_TRUE(PumpUntil([this] { return engine_->Connections().Count() == 1; }));
    EXPECT_EQ(handled_, std::vector<std::uint16_t>{kConnectInd});
    const TConnection* c = engine_->Connections().Items(0);
    EXPECT_EQ(c->State, ConnectionState::DConnecting);
    EXPECT_EQ(c->Direction, 2);
}

TEST_F(EngineThreadTest, MessagesAreHandledInArrivalOrder) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 0x1FFF03FE, 0)));
    }
    ASSERT_TRUE(PumpUntil([this] { return handled_.size() == 20; }));
    std::vector<std::uint16_t> arrived;
    for (const LineEntry& e : line_.Transcript()) {
        if (e.toApplication && e.applId == engine_->ApplID() && e.command == kListenConf) {
            arrived.push_back(e.messageNumber);
        }
    }
    ASSERT_GE(arrived.size(), 20u);
    arrived.erase(arrived.begin(), arrived.end() - 20);
    EXPECT_EQ(numbers_, arrived);
}

TEST_F(EngineThreadTest, NestedEventLoopInAHandlerNeverHandlesTheNextMessage) {
    int depth = 0;
    int deepest = 0;
    engine_->OnMessage = [&](TConnection*, TCapiMessage& m, bool&) {
        ++depth;
        deepest = std::max(deepest, depth);
        handled_.push_back(m.Header.GetCommand());
        if (handled_.size() == 1) {
            // The second message arrives and is posted while this handler runs its own loop.
            EXPECT_TRUE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 0x1FFF03FE, 0)));
            QEventLoop loop;
            QTimer::singleShot(200, &loop, &QEventLoop::quit);
            loop.exec();
            EXPECT_EQ(handled_.size(), 1u);
        }
        --depth;
    };
    ASSERT_TRUE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 0x1FFF03FE, 0)));
    ASSERT_TRUE(PumpUntil([this] { return handled_.size() == 2; }));
    EXPECT_EQ(deepest, 1);
}

TEST_F(EngineThreadTest, ReleaseWakesTheThreadAndReleasesWellWithinTheWait) {
    const std::uint32_t applId = engine_->ApplID();
    const std::size_t mark = line_.Mark();
    const unsigned releases = line_.CallCount(CAPISIM_OP_RELEASE);
    const auto start = std::chrono::steady_clock::now();
    engine_->Release();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, 1000ms);
    EXPECT_FALSE(engine_->Registered());
    EXPECT_EQ(engine_->LastError(), 0u);
    EXPECT_EQ(TCapiCallBack::Running(), 0);
    EXPECT_EQ(line_.CallCount(CAPISIM_OP_RELEASE), releases + 1);
    const auto puts = line_.PutsFrom(mark);
    ASSERT_EQ(puts.size(), 1u);
    // Accepted, so put before the release; CIP mask 2 only.
    EXPECT_EQ(puts[0].command, kListenReq);
    EXPECT_EQ(puts[0].applId, applId);
    EXPECT_EQ(puts[0].result, 0u);
    EXPECT_EQ(puts[0].bytes[16], 0x02);
}

TEST_F(EngineThreadTest, ReleaseReturnsWhenTheLibraryWaitHangs) {
    line_.SetWaitHang(true);
    const auto start = std::chrono::steady_clock::now();
    engine_->Release();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(engine_->Registered());
    EXPECT_GE(took, 4000ms);
    EXPECT_LT(took, 6000ms);
    EXPECT_EQ(TCapiCallBack::Running(), 1);  // let go, holding nothing of the engine
    engine_.reset();
    line_.SetWaitHang(false);
    EXPECT_TRUE(PumpUntil([] { return TCapiCallBack::Running() == 0; }));
}

TEST_F(EngineThreadTest, DestroyingTheEngineWithAMessageWaitingIsSafe) {
    ASSERT_TRUE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 0x1FFF03FE, 0)));
    // Fetched and posted, not yet delivered.
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (!engine_->Busy() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(engine_->Busy());
    engine_.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(handled_.empty());
}

TEST_F(EngineThreadTest, EngineMayBeDestroyedInsideItsAllDisconnectedNotice) {
    bool noticed = false;
    engine_->OnAllDisconnected = [&](TCapi&) {
        noticed = true;
        engine_.reset();
    };
    ASSERT_EQ(line_.Offer("0301234567"), 1);
    ASSERT_TRUE(PumpUntil([this] { return handled_.size() == 1; }));
    ASSERT_EQ(line_.Hangup(), 1);
    ASSERT_TRUE(PumpUntil([&] { return noticed; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(engine_, nullptr);
}

TEST_F(EngineThreadTest, ResetRegistersAgainAndTheNewThreadReceives) {
    const std::uint32_t applId = engine_->ApplID();
    ASSERT_TRUE(engine_->Reset(true));
    EXPECT_NE(engine_->ApplID(), applId);
    EXPECT_EQ(TCapiCallBack::Running(), 1);
    ASSERT_TRUE(engine_->PutMessage(std::make_unique<TListenReq>(1, 0x7F, 0x1FFF03FE, 0)));
    ASSERT_TRUE(PumpUntil([this] { return handled_.size() == 1; }));
    EXPECT_EQ(handled_[0], kListenConf);
}

}  // namespace
}  // namespace capi
