#include <gtest/gtest.h>

#include <QCoreApplication>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "capi/capi_commands.h"
#include "capi/capi_layout.h"
#include "capi/capi_monitor.h"
#include "capi/tests/sim_line.h"

namespace capi {
namespace {

using test::LineEntry;
using test::SimLine;

// Ticks when the test says so, and only while started, as a QTimer would.
class TestRingTimer : public TRingTimer {
  public:
    void Start() override { active_ = true; }
    void Stop() override { active_ = false; }
    bool Active() const override { return active_; }
    void Tick() {
        if (active_ && OnTick) {
            OnTick();
        }
    }

  private:
    bool active_ = false;
};

// A monitor component in manual receive mode on the simulated line; Pump plays the receive
// thread and the event loop until the line falls quiet, Tick one second of every running timer.
class MonitorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        monitor_ = std::make_unique<TBelverin>(
            [this] {
                auto timer = std::make_unique<TestRingTimer>();
                timers_.push_back(timer.get());
                return timer;
            },
            TCapiReceive::Manual);
        monitor_->OnStateChange = [this](bool canReject, bool canChange) {
            Event(std::string("state ") + (canReject ? "1" : "0") + " " + (canChange ? "1" : "0"));
        };
        monitor_->OnIncomingCall = [this](const std::string& calling, const std::string& called,
                                          std::uint16_t cip, const std::string& cipText) {
            Event("call " + calling + "|" + called + "|" + std::to_string(cip) + "|" + cipText);
        };
        monitor_->OnDoResetCapi = [this](TBelverin& sender) {
            EXPECT_EQ(&sender, monitor_.get());
            Event("reset");
        };
    }
    void TearDown() override {
        monitor_.reset();
        QCoreApplication::processEvents();
        line_.Reset();
    }
    virtual void Event(const std::string& text) { events_.push_back(text); }

    void Tick() {
        std::vector<TestRingTimer*> running;
        for (TestRingTimer* t : timers_) {
            if (t->Active()) {
                running.push_back(t);
            }
        }
        for (TestRingTimer* t : running) {
            t->Tick();
        }
    }

    void Pump() {
        for (int quiet = 0, round = 0; quiet < 2 && round < 100; ++round) {
            std::size_t fetched = 0;
            if (TCapi* capi = monitor_->Capi()) {
                fetched = capi->FetchWaiting();
                capi->HandleWaiting();
            }
            QCoreApplication::processEvents();
            quiet = fetched == 0 ? quiet + 1 : 0;
        }
    }
    void OpenListening(int timeout, int controller = 1) {
        ASSERT_TRUE(monitor_->Open(controller, timeout));
        Pump();
    }

    // What the application put from `from` on, as "NAME [reject] cN", cN being the call in
    // order of its CONNECT_IND.
    std::vector<std::string> PutsFrom(std::size_t from) const {
        const std::vector<LineEntry> all = line_.Transcript();
        std::vector<std::uint32_t> calls;
        for (const LineEntry& e : all) {
            if (e.toApplication && e.command == kConnectInd) {
                calls.push_back(e.address);
            }
        }
        std::vector<std::string> out;
        for (std::size_t i = from; i < all.size(); ++i) {
            const LineEntry& e = all[i];
            if (e.toApplication) {
                continue;
            }
            const MessageLayout* layout = FindLayout(e.command);
            std::string text = layout != nullptr ? std::string(layout->name) : "?";
            if (e.command == kConnectResp || e.command == kConnectB3Resp) {
                text += " " + std::to_string(e.bytes[12] | e.bytes[13] << 8);
            }
            for (std::size_t c = 0; c < calls.size(); ++c) {
                if (e.command != kListenReq && (e.address & 0xFFFF) == calls[c]) {
                    text += " c" + std::to_string(c + 1);
                }
            }
            if (e.result != 0) {
                text += " refused";
            }
            out.push_back(text);
        }
        return out;
    }

    SimLine line_;
    std::vector<TestRingTimer*> timers_;
    std::unique_ptr<TBelverin> monitor_;
    std::vector<std::string> events_;
};

struct Scenario {
    const char* name;
    int rejectTimeOut;
    bool noDisturb;
    std::vector<std::string> steps;
    std::vector<std::string> puts;
    std::vector<std::string> events;
};

std::ostream& operator<<(std::ostream& os, const Scenario& s) {
    return os << s.name;
}

class MonitorScenarioTest : public MonitorTest, public ::testing::WithParamInterface<Scenario> {
  protected:
    void Event(const std::string& text) override {
        events_.push_back(text);
        log_.push_back(text);
    }
    std::vector<std::string> log_;
};

// Each step is followed by the line's answers; the log shows every step, then what was put
// during it, then the events it raised.
TEST_P(MonitorScenarioTest, PutsAndEventsInOrder) {
    const Scenario& s = GetParam();
    monitor_->SetNoDisturbMode(s.noDisturb);
    OpenListening(s.rejectTimeOut);
    events_.clear();
    std::vector<std::string> puts;
    std::vector<std::string> events;
    for (const std::string& step : s.steps) {
        const std::size_t mark = line_.Mark();
        log_.clear();
        if (step == "offer") {
            ASSERT_EQ(line_.Offer("0301234567", "5551234", 1), 1);
        } else if (step == "offer2") {
            ASSERT_EQ(line_.Offer("0207654321", "5559876", 16), 1);
        } else if (step == "offers") {  // the second comes before the first is handled
            ASSERT_EQ(line_.Offer("0301234567", "5551234", 1), 1);
            ASSERT_EQ(line_.Offer("0207654321", "5559876", 16), 1);
        } else if (step == "anonymous") {
            ASSERT_EQ(line_.Offer(nullptr, "5551234", 4), 1);
        } else if (step == "tick") {
            Tick();
        } else if (step == "reject") {
            monitor_->RejectCall();
        } else if (step == "hangup") {
            ASSERT_GE(line_.Hangup(), 0);
        } else if (step == "hangup-first") {
            ASSERT_EQ(line_.HangupEarliest(), 1);
        } else if (step == "elsewhere") {
            ASSERT_GE(line_.AnswerElsewhere(), 0);
        } else {
            FAIL() << "unknown step " << step;
        }
        Pump();
        for (const std::string& p : PutsFrom(mark)) {
            puts.push_back(step + ": " + p);
        }
        for (const std::string& e : log_) {
            events.push_back(step + ": " + e);
        }
    }
    EXPECT_EQ(puts, s.puts);
    EXPECT_EQ(events, s.events);
}

const std::vector<std::string> kRefusingRoad = {
    "CONNECT_ACTIVE_RESP c1", "CONNECT_B3_RESP 2 c1", "DISCONNECT_REQ c1",
    "DISCONNECT_B3_RESP c1",  "DISCONNECT_RESP c1",
};

const std::vector<std::string> kRefusingRoadC2 = {
    "CONNECT_ACTIVE_RESP c2", "CONNECT_B3_RESP 2 c2", "DISCONNECT_REQ c2",
    "DISCONNECT_B3_RESP c2",  "DISCONNECT_RESP c2",
};

std::vector<std::string> Prefixed(const std::string& step, std::vector<std::string> lines,
                                  std::vector<std::string> before = {},
                                  const std::vector<std::string>& after = {}) {
    for (std::string& l : lines) {
        before.push_back(step + ": " + l);
    }
    before.insert(before.end(), after.begin(), after.end());
    return before;
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, MonitorScenarioTest,
    ::testing::Values(
        Scenario{"IgnoredAtOnceWithoutRingTime",
                 0,
                 false,
                 {"offer"},
                 {"offer: CONNECT_RESP 1 c1", "offer: DISCONNECT_RESP c1"},
                 {"offer: state 0 0", "offer: state 0 0", "offer: call 0301234567|5551234|1|speech",
                  "offer: state 0 1", "offer: reset"}},
        Scenario{"FifthTickLeavesTheCallToOthers",
                 5,
                 false,
                 {"offer", "tick", "tick", "tick", "tick", "tick"},
                 {"offer: ALERT_REQ c1", "tick: CONNECT_RESP 1 c1", "tick: DISCONNECT_RESP c1"},
                 {"offer: state 1 0", "offer: call 0301234567|5551234|1|speech", "tick: state 0 0",
                  "tick: state 0 1", "tick: reset"}},
        Scenario{
            "UserRefusesAtTickTwo",
            5,
            false,
            {"offer", "tick", "tick", "reject", "tick", "tick", "tick"},
            Prefixed("reject", kRefusingRoad, {"offer: ALERT_REQ c1", "reject: CONNECT_RESP 0 c1"}),
            {"offer: state 1 0", "offer: call 0301234567|5551234|1|speech", "reject: state 0 0",
             "reject: state 0 0", "reject: state 0 1", "reject: reset"}},
        Scenario{"CallerHangsUpAtTickThree",
                 5,
                 false,
                 {"offer", "tick", "tick", "tick", "hangup", "tick", "tick", "reject"},
                 {"offer: ALERT_REQ c1", "hangup: DISCONNECT_RESP c1"},
                 {"offer: state 1 0", "offer: call 0301234567|5551234|1|speech",
                  "hangup: state 0 1", "hangup: reset"}},
        Scenario{"AnsweredByAnotherTerminal",
                 5,
                 false,
                 {"offer", "tick", "elsewhere", "tick", "tick", "tick", "tick"},
                 {"offer: ALERT_REQ c1", "elsewhere: DISCONNECT_RESP c1"},
                 {"offer: state 1 0", "offer: call 0301234567|5551234|1|speech",
                  "elsewhere: state 0 1", "elsewhere: reset"}},
        Scenario{"NoDisturbModeTakesAndClearsEveryCall",
                 5,
                 true,
                 {"offer", "tick"},
                 Prefixed("offer", kRefusingRoad, {"offer: CONNECT_RESP 0 c1"}),
                 {"offer: state 0 0", "offer: state 0 0", "offer: call 0301234567|5551234|1|speech",
                  "offer: state 0 0", "offer: state 0 1", "offer: reset"}},
        Scenario{"RejectCallWithNothingRinging", 5, false, {"reject", "tick"}, {}, {}},
        Scenario{"CallWithoutCallingNumber",
                 0,
                 false,
                 {"anonymous"},
                 {"anonymous: CONNECT_RESP 1 c1", "anonymous: DISCONNECT_RESP c1"},
                 {"anonymous: state 0 0", "anonymous: state 0 0",
                  "anonymous: call |5551234|4|3.1 kHz audio", "anonymous: state 0 1",
                  "anonymous: reset"}},
        // Each call counts its own ring time down and is left to others at its end; the
        // line is idle and reset once both have gone.
        Scenario{
            "TwoOverlappingCallsEachLeftAfterItsOwnRingTime",
            3,
            false,
            {"offer", "tick", "offer2", "tick", "tick", "tick", "tick"},
            {"offer: ALERT_REQ c1", "offer2: ALERT_REQ c2", "tick: CONNECT_RESP 1 c1",
             "tick: DISCONNECT_RESP c1", "tick: CONNECT_RESP 1 c2", "tick: DISCONNECT_RESP c2"},
            {"offer: state 1 0", "offer: call 0301234567|5551234|1|speech", "offer2: state 1 0",
             "offer2: call 0207654321|5559876|16|telephony", "tick: state 1 0", "tick: state 1 0",
             "tick: state 0 0", "tick: state 0 1", "tick: reset"}},
        // The refusal goes to the caller last announced; the first rings on its own time.
        Scenario{
            "RejectWhileTwoRingRefusesTheLastAnnounced",
            3,
            false,
            {"offer", "tick", "offer2", "reject", "tick", "tick", "reject"},
            Prefixed("reject", kRefusingRoadC2,
                     {"offer: ALERT_REQ c1", "offer2: ALERT_REQ c2", "reject: CONNECT_RESP 0 c2"},
                     {"tick: CONNECT_RESP 1 c1", "tick: DISCONNECT_RESP c1"}),
            {"offer: state 1 0", "offer: call 0301234567|5551234|1|speech", "offer2: state 1 0",
             "offer2: call 0207654321|5559876|16|telephony", "reject: state 1 0",
             "reject: state 1 0", "reject: state 1 0", "tick: state 0 0", "tick: state 0 1",
             "tick: reset"}},
        Scenario{"TwoCallsBackToBackWithoutRingTimeAreBothIgnored",
                 0,
                 false,
                 {"offers"},
                 {"offers: CONNECT_RESP 1 c1", "offers: CONNECT_RESP 1 c2",
                  "offers: DISCONNECT_RESP c1", "offers: DISCONNECT_RESP c2"},
                 {"offers: state 0 0", "offers: state 0 0",
                  "offers: call 0301234567|5551234|1|speech", "offers: state 0 0",
                  "offers: state 0 0", "offers: call 0207654321|5559876|16|telephony",
                  "offers: state 0 1", "offers: state 0 1", "offers: reset"}},
        // The first caller hangs up: only its countdown stops.
        Scenario{"FirstOfTwoHangsUpTheOtherKeepsItsCountdown",
                 3,
                 false,
                 {"offer", "offer2", "tick", "hangup-first", "tick", "tick", "reject"},
                 {"offer: ALERT_REQ c1", "offer2: ALERT_REQ c2", "hangup-first: DISCONNECT_RESP c1",
                  "tick: CONNECT_RESP 1 c2", "tick: DISCONNECT_RESP c2"},
                 {"offer: state 1 0", "offer: call 0301234567|5551234|1|speech",
                  "offer2: state 1 0", "offer2: call 0207654321|5559876|16|telephony",
                  "hangup-first: state 1 0", "tick: state 0 0", "tick: state 0 1", "tick: reset"}},
        Scenario{
            "NoDisturbModeTakesEachOfTwoCalls",
            3,
            true,
            {"offers", "tick"},
            {"offers: CONNECT_RESP 0 c1", "offers: CONNECT_RESP 0 c2",
             "offers: CONNECT_ACTIVE_RESP c1", "offers: CONNECT_ACTIVE_RESP c2",
             "offers: CONNECT_B3_RESP 2 c1", "offers: DISCONNECT_REQ c1",
             "offers: CONNECT_B3_RESP 2 c2", "offers: DISCONNECT_REQ c2",
             "offers: DISCONNECT_B3_RESP c1", "offers: DISCONNECT_B3_RESP c2",
             "offers: DISCONNECT_RESP c1", "offers: DISCONNECT_RESP c2"},
            {"offers: state 0 0", "offers: state 0 0", "offers: call 0301234567|5551234|1|speech",
             "offers: state 0 0", "offers: state 0 0",
             "offers: call 0207654321|5559876|16|telephony", "offers: state 0 0",
             "offers: state 0 0", "offers: state 0 1", "offers: state 0 1", "offers: reset"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorTest, RejectAfterTheCountdownLetTheCallGoAnswersItOnce) {
    OpenListening(1);
    ASSERT_EQ(line_.Offer("0301234567"), 1);
    Pump();
    const std::size_t mark = line_.Mark();
    Tick();
    // The CONNECT_RESP is out, the call still listed in state 1 until the line answers.
    monitor_->RejectCall();
    EXPECT_EQ(PutsFrom(mark), std::vector<std::string>{"CONNECT_RESP 1 c1"});
    Pump();
    EXPECT_EQ(monitor_->Capi()->Connections().Count(), 0u);
}

TEST_F(MonitorTest, ErrorStringIsOkWhileNoErrorIsLeft) {
    OpenListening(0);
    EXPECT_EQ(monitor_->Error(), 0u);
    EXPECT_EQ(monitor_->ErrorString(), "OK");
    ASSERT_EQ(line_.Offer("0301234567"), 1);
    Pump();
    EXPECT_EQ(monitor_->Error(), 0u);
    EXPECT_EQ(monitor_->ErrorString(), "OK");
}

TEST_F(MonitorTest, HangUpReasonReachesErrorString) {
    OpenListening(5);
    ASSERT_EQ(line_.Offer("0301234567"), 1);
    Pump();
    ASSERT_EQ(line_.Hangup(), 1);
    Pump();
    EXPECT_EQ(monitor_->Error(), 0x3490u);
    EXPECT_EQ(monitor_->ErrorString(), "Normal call clearing ($3490)");
}

TEST_F(MonitorTest, RefusedRegistrationLeavesNoEngine) {
    line_.FailNext(CAPISIM_OP_REGISTER, 0x1001);
    EXPECT_FALSE(monitor_->Open(1, 5));
    EXPECT_EQ(monitor_->Error(), 0x1001u);
    EXPECT_EQ(monitor_->ErrorString(), "too many applications ($1001)");
    EXPECT_EQ(monitor_->Capi(), nullptr);
    EXPECT_TRUE(events_.empty());
    const std::size_t mark = line_.Mark();
    monitor_->RejectCall();
    EXPECT_FALSE(monitor_->ResetCapi());
    EXPECT_TRUE(PutsFrom(mark).empty());
}

TEST_F(MonitorTest, RefusedListenLeavesNoEngineAndABusyLine) {
    const unsigned releases = line_.CallCount(CAPISIM_OP_RELEASE);
    line_.FailNext(CAPISIM_OP_PUT_MESSAGE, 0x1103);
    EXPECT_FALSE(monitor_->Open(1, 5));
    EXPECT_EQ(monitor_->Error(), 0x1103u);
    EXPECT_EQ(monitor_->ErrorString(),
              "the message could not be accepted because of a queue full condition. ($1103)");
    EXPECT_EQ(monitor_->Capi(), nullptr);
    EXPECT_EQ(line_.CallCount(CAPISIM_OP_RELEASE), releases + 1);
    EXPECT_EQ(events_, std::vector<std::string>{"state 0 0"});
    EXPECT_FALSE(monitor_->ResetCapi());
    QCoreApplication::processEvents();  // the released engine goes
}

TEST_F(MonitorTest, ListenConfWithAnErrorKeepsTheEngineForARetry) {
    EXPECT_TRUE(monitor_->Open(2, 5));  // the line has controller 1 only
    EXPECT_EQ(events_, std::vector<std::string>{"state 0 1"});
    Pump();
    EXPECT_EQ(events_, (std::vector<std::string>{"state 0 1", "state 0 0"}));
    EXPECT_EQ(monitor_->Error(), 0x2002u);
    EXPECT_EQ(monitor_->ErrorString(), "illegal Controller/PLCI/NCCI ($2002)");
    ASSERT_NE(monitor_->Capi(), nullptr);
    const std::uint32_t applId = monitor_->Capi()->ApplID();
    EXPECT_TRUE(monitor_->ResetCapi());
    EXPECT_NE(monitor_->Capi()->ApplID(), applId);
}

TEST_F(MonitorTest, SecondOpenReleasesTheOldRegistrationFirst) {
    OpenListening(5);
    const std::uint32_t oldAppl = monitor_->Capi()->ApplID();
    const unsigned releases = line_.CallCount(CAPISIM_OP_RELEASE);
    // Even a second open that fails to register has let the old registration go.
    line_.FailNext(CAPISIM_OP_REGISTER, 0x1001);
    EXPECT_FALSE(monitor_->Open(1, 3));
    EXPECT_EQ(line_.CallCount(CAPISIM_OP_RELEASE), releases + 1);
    EXPECT_EQ(monitor_->Capi(), nullptr);
    EXPECT_EQ(monitor_->RejectTimeOut(), 3);

    OpenListening(4);
    EXPECT_NE(monitor_->Capi()->ApplID(), oldAppl);
    EXPECT_EQ(monitor_->Error(), 0u);
    EXPECT_EQ(monitor_->ErrorString(), "OK");
    EXPECT_EQ(monitor_->RejectTimeOut(), 4);
    EXPECT_EQ(monitor_->Controller(), 1);
}

// The application's own road: the reset notice comes after the engine's handling, and reset
// and reopen inside it are safe.
TEST_F(MonitorTest, ResetAndReopenInsideTheResetNotice) {
    OpenListening(0);
    std::uint32_t before = monitor_->Capi()->ApplID();
    bool reopened = false;
    monitor_->OnDoResetCapi = [&](TBelverin& sender) {
        EXPECT_TRUE(sender.ResetCapi());
        reopened = sender.Open(sender.Controller(), sender.RejectTimeOut());
    };
    ASSERT_EQ(line_.Offer("0301234567"), 1);
    Pump();
    EXPECT_TRUE(reopened);
    ASSERT_NE(monitor_->Capi(), nullptr);
    EXPECT_NE(monitor_->Capi()->ApplID(), before);
    EXPECT_EQ(monitor_->Error(), 0u);
}

TEST_F(MonitorTest, ResetNoticeComesFromTheEventLoopNotFromTheHandling) {
    OpenListening(0);
    ASSERT_EQ(line_.Offer("0301234567"), 1);
    TCapi* capi = monitor_->Capi();
    for (int i = 0; i < 10 && capi->Connections().Count() == 0; ++i) {
        capi->FetchWaiting();
        capi->HandleWaiting();
    }
    for (int i = 0; i < 10 && capi->Connections().Count() > 0; ++i) {
        capi->FetchWaiting();
        capi->HandleWaiting();
    }
    ASSERT_EQ(capi->Connections().Count(), 0u);
    EXPECT_EQ(events_.back(), "state 0 1");
    QCoreApplication::processEvents();
    EXPECT_EQ(events_.back(), "reset");
}

TEST_F(MonitorTest, OpenInsideTheEnginesOwnHandlingReleasesAtOnceAndFreesLater) {
    OpenListening(5);
    const std::uint32_t oldAppl = monitor_->Capi()->ApplID();
    const unsigned releases = line_.CallCount(CAPISIM_OP_RELEASE);
    bool reopened = false;
    monitor_->OnIncomingCall = [&](const std::string&, const std::string&, std::uint16_t,
                                   const std::string&) {
        reopened = monitor_->Open(1, 5);
        EXPECT_EQ(line_.CallCount(CAPISIM_OP_RELEASE), releases + 1);
    };
    ASSERT_EQ(line_.Offer("0301234567"), 1);
    Pump();
    EXPECT_TRUE(reopened);
    EXPECT_NE(monitor_->Capi()->ApplID(), oldAppl);
    EXPECT_EQ(monitor_->Error(), 0u);
}

}  // namespace
}  // namespace capi
