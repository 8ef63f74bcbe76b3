#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capi/capi_commands.h"
#include "capi/capi_monitor.h"
#include "capi/capi_receive_thread.h"
#include "capi/tests/sim_line.h"

namespace capi {
namespace {

using test::LineEntry;
using test::PumpUntil;
using test::SimLine;

struct Call {
    std::string calling;
    std::string called;
    std::uint16_t cip;
    std::string text;
};

// The whole road with the real receive thread and the real one-second countdown.
TEST(MonitorOnTheLineTest, OfferedCallIsLeftToOthersThenTheLineIsReopened) {
    SimLine line;
    std::vector<Call> calls;
    std::vector<std::pair<bool, bool>> states;
    int resets = 0;
    {
        TBelverin monitor;
        monitor.OnIncomingCall = [&](const std::string& calling, const std::string& called,
                                     std::uint16_t cip, const std::string& text) {
            calls.push_back({calling, called, cip, text});
        };
        monitor.OnStateChange = [&](bool a, bool b) { states.emplace_back(a, b); };
        monitor.OnDoResetCapi = [&](TBelverin& sender) {
            ++resets;
            EXPECT_TRUE(sender.ResetCapi());
            EXPECT_TRUE(sender.Open(sender.Controller(), sender.RejectTimeOut()));
        };
        ASSERT_TRUE(monitor.Open(1, 1));
        ASSERT_TRUE(PumpUntil([&] { return states.size() == 2; }));  // opened, LISTEN_CONF
        const std::uint32_t firstAppl = monitor.Capi()->ApplID();

        ASSERT_EQ(line.Offer("0301234567", "5551234", 1), 1);
        ASSERT_TRUE(PumpUntil([&] { return calls.size() == 1; }));
        EXPECT_EQ(calls[0].calling, "0301234567");
        EXPECT_EQ(calls[0].called, "5551234");
        EXPECT_EQ(calls[0].cip, 1);
        EXPECT_EQ(calls[0].text, "speech");
        EXPECT_EQ(monitor.RejectCountdown(), 1);

        // One tick later the call is left to the other terminals, the line clears it and the
        // component asks for the reset, which registers and listens anew.
        ASSERT_TRUE(PumpUntil([&] { return resets == 1 && states.size() >= 7; }, 5000));
        ASSERT_NE(monitor.Capi(), nullptr);
        const std::uint32_t newAppl = monitor.Capi()->ApplID();
        EXPECT_NE(newAppl, firstAppl);
        EXPECT_EQ(monitor.Error(), 0u);
        EXPECT_EQ(monitor.ErrorString(), "OK");
        const std::vector<std::pair<bool, bool>> expected = {
            {false, true},   // opened
            {false, true},   // LISTEN_CONF
            {true, false},   // ringing
            {false, false},  // left to others
            {false, true},   // DISCONNECT_IND
            {false, true},   // reopened
            {false, true},   // its LISTEN_CONF
        };
        EXPECT_EQ(states, expected);

        bool ignored = false;
        bool listening = false;
        for (const LineEntry& e : line.Transcript()) {
            if (!e.toApplication && e.applId == firstAppl && e.command == kConnectResp) {
                ignored = e.bytes[12] == 1 && e.result == 0;
            }
            if (e.toApplication && e.applId == newAppl && e.command == kListenConf) {
                listening = e.bytes[12] == 0 && e.bytes[13] == 0;
            }
        }
        EXPECT_TRUE(ignored);
        EXPECT_TRUE(listening);

        // And the reopened line hears the next call.
        ASSERT_EQ(line.Offer("0207654321", "5559876", 16), 1);
        ASSERT_TRUE(PumpUntil([&] { return calls.size() == 2; }));
        EXPECT_EQ(calls[1].text, "telephony");
    }
    EXPECT_TRUE(PumpUntil([] { return TCapiCallBack::Running() == 0; }));
    line.Reset();
}

}  // namespace
}  // namespace capi
