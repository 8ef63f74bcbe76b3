#include <gtest/gtest.h>

#include "platform/capi2032/tests/line_fixture.h"

namespace capisim_test {
namespace {

class CallRoadTest : public LineTest {
  protected:
    // Offers a call to the one listening application and returns its PLCI.
    uint32_t Ring(uint16_t appl) {
        EXPECT_EQ(Offer("0301234567"), 1);
        return Next(appl, 0x0282).Address();
    }
    // Accepts the call up to the active B3 connection and returns the NCCI.
    uint32_t Connect(uint16_t appl, uint32_t plci) {
        EXPECT_EQ(Put(appl, ConnectResp(appl, plci, 0)), 0u);
        EXPECT_EQ(Next(appl, 0x0382).Address(), plci);
        EXPECT_EQ(Put(appl, Plain(appl, 0x0383, plci)), 0u);
        const uint32_t ncci = Next(appl, 0x8282).Address();
        EXPECT_EQ(ncci & 0xFFFF, plci);
        EXPECT_EQ(Put(appl, MessageBuilder(appl, 0x8283).D(ncci).W(0).S().Build()), 0u);
        EXPECT_EQ(Next(appl, 0x8382).Address(), ncci);
        EXPECT_EQ(Put(appl, Plain(appl, 0x8383, ncci)), 0u);
        return ncci;
    }
    uint16_t ExpectDisconnect(uint16_t appl, uint32_t plci) {
        MessageReader ind = Next(appl, 0x0482);
        EXPECT_EQ(ind.Address(), plci);
        const uint16_t reason = ind.NextWord();
        EXPECT_EQ(Put(appl, Plain(appl, 0x0483, plci)), 0u);
        return reason;
    }
};

TEST_F(CallRoadTest, ConnectIndCarriesTheCall) {
    const uint16_t appl = RegisterListening();
    capisim_call_offer offer{1, "0301234567", 0x21, 0x83, "5551234", 1};
    ASSERT_EQ(capisim_offer_call(&offer), 1);
    MessageReader ind = Next(appl, 0x0282);
    EXPECT_EQ(ind.Address() & 0xFF, 1u) << "PLCI on controller 1";
    EXPECT_EQ(ind.NextWord(), 1u);
    EXPECT_EQ(ind.NextStruct(),
              "\x81"
              "5551234");
    EXPECT_EQ(ind.NextStruct(),
              "\x21\x83"
              "0301234567");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(ind.NextStruct(), "");
    }
    EXPECT_EQ(ind.Total(), 12 + 2 + 9 + 13 + 6);
    const uint32_t first_plci = ind.Address();

    capisim_call_offer hidden{1, nullptr, 0, 0, "5551234", 16};
    ASSERT_EQ(capisim_offer_call(&hidden), 1);
    MessageReader none = Next(appl, 0x0282);
    EXPECT_NE(none.Address(), first_plci) << "each call gets a new PLCI";
    none.NextWord();
    none.NextStruct();
    EXPECT_EQ(none.NextStruct(), "") << "no calling number: an empty struct";
}

TEST_F(CallRoadTest, CipMaskChoosesWhoHearsTheCall) {
    const uint16_t speech = RegisterListening(1u << 1);
    const uint16_t telephony = RegisterListening(1u << 16);
    const uint16_t any = RegisterListening(1u);
    const uint16_t deaf = Register();
    EXPECT_EQ(Offer("0301234567", "5551234", 16), 2);
    Next(telephony, 0x0282);
    Next(any, 0x0282);
    ExpectQueueEmpty(speech);
    ExpectQueueEmpty(deaf);
    capisim_call_offer other_controller{2, "0301234567", 0x21, 0x80, "5551234", 16};
    EXPECT_EQ(capisim_offer_call(&other_controller), CAPISIM_BAD_CONTROLLER);
}

TEST_F(CallRoadTest, ListenOnAnUnknownControllerIsRefused) {
    const uint16_t appl = Register();
    ASSERT_EQ(Put(appl, ListenReq(appl, 2, 0x1FFF03FE)), 0u);
    MessageReader conf = Next(appl, 0x0581);
    EXPECT_EQ(conf.Address(), 2u);
    EXPECT_EQ(conf.NextWord(), 0x2002u);
    EXPECT_EQ(Offer("0301234567"), 0) << "the refused listen took no calls";
}

TEST_F(CallRoadTest, IgnoredOrRefusedCallIsDisconnected) {
    for (const uint16_t reject : {1, 2, 3}) {
        SCOPED_TRACE(reject);
        const uint16_t appl = RegisterListening();
        const uint32_t plci = Ring(appl);
        ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x0180, 9).D(plci).S().Build()), 0u);
        MessageReader alert = Next(appl, 0x0181);
        EXPECT_EQ(alert.Number(), 9u) << "a confirmation carries its request's number";
        EXPECT_EQ(alert.NextWord(), 0u);
        ASSERT_EQ(Put(appl, ConnectResp(appl, plci, reject)), 0u);
        EXPECT_EQ(ExpectDisconnect(appl, plci), 0u);
        ExpectQueueEmpty(appl);
        EXPECT_EQ(capisim_unanswered_count(), 0);
        EXPECT_EQ(CAPI_RELEASE(appl), 0u);
    }
}

TEST_F(CallRoadTest, AcceptedCallRunsToB3AndClearsOnDisconnectReq) {
    const uint16_t appl = RegisterListening();
    const uint32_t plci = Ring(appl);
    const uint32_t ncci = Connect(appl, plci);

    ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x8680, 4).D(ncci).D(0).W(10).W(77).W(0).Build()), 0u);
    MessageReader data = Next(appl, 0x8681);
    EXPECT_EQ(data.NextWord(), 77u) << "the data handle comes back";
    EXPECT_EQ(data.NextWord(), 0u);

    ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x0480).D(plci).S().Build()), 0u);
    EXPECT_EQ(Next(appl, 0x0481).NextWord(), 0u);
    MessageReader b3 = Next(appl, 0x8482);
    EXPECT_EQ(b3.Address(), ncci);
    ExpectQueueEmpty(appl);  // the PLCI clears only after the B3 connection is answered
    ASSERT_EQ(Put(appl, Plain(appl, 0x8483, ncci)), 0u);
    EXPECT_EQ(ExpectDisconnect(appl, plci), 0u);
    ExpectQueueEmpty(appl);
    EXPECT_EQ(capisim_unanswered_count(), 0);
}

TEST_F(CallRoadTest, RefusedB3ConnectionIsDisconnected) {
    // The monitor's own refusal: accept, refuse B3 with 2, then DISCONNECT_REQ.
    const uint16_t appl = RegisterListening();
    const uint32_t plci = Ring(appl);
    ASSERT_EQ(Put(appl, ConnectResp(appl, plci, 0)), 0u);
    Next(appl, 0x0382);
    ASSERT_EQ(Put(appl, Plain(appl, 0x0383, plci)), 0u);
    const uint32_t ncci = Next(appl, 0x8282).Address();
    ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x8283).D(ncci).W(2).S().Build()), 0u);
    ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x0480).D(plci).S().Build()), 0u);
    EXPECT_EQ(Next(appl, 0x8482).Address(), ncci);
    EXPECT_EQ(Next(appl, 0x0481).NextWord(), 0u);
    ASSERT_EQ(Put(appl, Plain(appl, 0x8483, ncci)), 0u);
    // A second DISCONNECT_REQ while the first is still clearing is out of state.
    ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x0480).D(plci).S().Build()), 0u);
    EXPECT_EQ(ExpectDisconnect(appl, plci), 0u);
    EXPECT_EQ(Next(appl, 0x0481).NextWord(), 0x2001u);
    EXPECT_EQ(capisim_unanswered_count(), 0);
}

TEST_F(CallRoadTest, RequestsInTheWrongStateOrForNoConnection) {
    const uint16_t appl = RegisterListening();
    const uint32_t plci = Ring(appl);
    struct Case {
        const char* name;
        std::vector<uint8_t> request;
        uint16_t conf;
        uint16_t info;
    } cases[] = {
        {"B3 before the call is active", MessageBuilder(appl, 0x8280).D(plci).S().Build(), 0x8281,
         0x2001},
        {"data on no NCCI",
         MessageBuilder(appl, 0x8680).D(plci | 0x10000).D(0).W(1).W(5).W(0).Build(), 0x8681,
         0x2002},
        {"alert for no PLCI", MessageBuilder(appl, 0x0180).D(0x4401).S().Build(), 0x0181, 0x2002},
        {"disconnect for no PLCI", MessageBuilder(appl, 0x0480).D(0x4401).S().Build(), 0x0481,
         0x2002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Put(appl, c.request), 0u);
        MessageReader conf = Next(appl, c.conf);
        if (c.conf == 0x8681) {
            conf.NextWord();
        }
        EXPECT_EQ(conf.NextWord(), c.info);
    }
    ASSERT_EQ(Put(appl, ConnectResp(appl, plci, 0)), 0u);
    Next(appl, 0x0382);
    ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x0180).D(plci).S().Build()), 0u);
    EXPECT_EQ(Next(appl, 0x0181).NextWord(), 0x2001u) << "alert after the answer";
}

TEST_F(CallRoadTest, OutgoingB3ConnectionOnAnActiveCall) {
    const uint16_t appl = RegisterListening();
    const uint32_t plci = Ring(appl);
    const uint32_t ncci = Connect(appl, plci);
    ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x8480).D(ncci).S().Build()), 0u);
    EXPECT_EQ(Next(appl, 0x8481).NextWord(), 0u);
    Next(appl, 0x8482);
    ASSERT_EQ(Put(appl, Plain(appl, 0x8483, ncci)), 0u);
    ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x8280).D(plci).S().Build()), 0u);
    MessageReader conf = Next(appl, 0x8281);
    EXPECT_EQ(conf.NextWord(), 0u);
    EXPECT_EQ(conf.Address() & 0xFFFF, plci);
    EXPECT_EQ(Next(appl, 0x8382).Address(), conf.Address());
}

TEST_F(CallRoadTest, AnotherApplicationTakesTheCall) {
    const uint16_t first = RegisterListening();
    const uint16_t second = RegisterListening();
    ASSERT_EQ(Offer("0301234567"), 2);
    const uint32_t plci1 = Next(first, 0x0282).Address();
    const uint32_t plci2 = Next(second, 0x0282).Address();
    EXPECT_NE(plci1, plci2);
    ASSERT_EQ(Put(second, ConnectResp(second, plci2, 0)), 0u);
    Next(second, 0x0382);
    EXPECT_EQ(ExpectDisconnect(first, plci1), 0x3304u);
    EXPECT_EQ(capisim_answer_elsewhere(), CAPISIM_CALL_ANSWERED);
}

struct NetworkCase {
    const char* name;
    int (*event)();
    bool alerted;
    uint16_t reason;
};

std::ostream& operator<<(std::ostream& os, const NetworkCase& c) {
    return os << c.name;
}

class NetworkEndsTheCall : public CallRoadTest,
                           public ::testing::WithParamInterface<NetworkCase> {};

TEST_P(NetworkEndsTheCall, RingingApplicationHearsTheReason) {
    const NetworkCase& c = GetParam();
    const uint16_t appl = RegisterListening();
    const uint32_t plci = Ring(appl);
    if (c.alerted) {
        ASSERT_EQ(Put(appl, MessageBuilder(appl, 0x0180).D(plci).S().Build()), 0u);
        Next(appl, 0x0181);
    }
    EXPECT_EQ(c.event(), 1);
    EXPECT_EQ(ExpectDisconnect(appl, plci), c.reason);
    EXPECT_EQ(c.event(), CAPISIM_NO_CALL) << "the call is over";
}

INSTANTIATE_TEST_SUITE_P(
    Events, NetworkEndsTheCall,
    ::testing::Values(NetworkCase{"CallerHangsUp", capisim_hangup, false, 0x3490},
                      NetworkCase{"AnsweredElsewhere", capisim_answer_elsewhere, true, 0x349A},
                      NetworkCase{"OtherApplication", capisim_taken_by_other_application, false,
                                  0x3304},
                      NetworkCase{"GivesUpUnalerted", capisim_network_gives_up, false, 0x3492},
                      NetworkCase{"GivesUpAlerted", capisim_network_gives_up, true, 0x3493}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallRoadTest, CallerHangsUpDuringTheConversation) {
    const uint16_t appl = RegisterListening();
    const uint32_t plci = Ring(appl);
    const uint32_t ncci = Connect(appl, plci);
    EXPECT_EQ(capisim_hangup(), 1);
    EXPECT_EQ(Next(appl, 0x8482).Address(), ncci);
    ASSERT_EQ(Put(appl, Plain(appl, 0x8483, ncci)), 0u);
    EXPECT_EQ(ExpectDisconnect(appl, plci), 0x3490u);
}

TEST_F(CallRoadTest, UnansweredIndicationsAreListed) {
    const uint16_t appl = RegisterListening();
    const uint32_t plci = Ring(appl);
    ASSERT_EQ(capisim_unanswered_count(), 1);
    capisim_entry e{};
    ASSERT_EQ(capisim_unanswered_entry(0, &e), 0);
    EXPECT_EQ(e.command, 0x0282u);
    EXPECT_EQ(e.address, plci);
    EXPECT_EQ(e.appl_id, appl);
    ASSERT_EQ(capisim_hangup(), 1);
    Next(appl, 0x0482);
    ASSERT_EQ(capisim_unanswered_count(), 1) << "the hang-up ended the offer";
    ASSERT_EQ(capisim_unanswered_entry(0, &e), 0);
    EXPECT_EQ(e.command, 0x0482u);
    ASSERT_EQ(Put(appl, Plain(appl, 0x0483, plci)), 0u);
    EXPECT_EQ(capisim_unanswered_count(), 0);
    EXPECT_EQ(capisim_unanswered_entry(0, &e), -1);
}

// However a call ends, nothing stays listed once the application answered what it still could.
TEST_F(CallRoadTest, EndedCallsLeaveNoUnansweredIndications) {
    struct Case {
        const char* name;
        int (*end)(void);
        bool connect;  // up to the active B3 connection first
    };
    const Case cases[] = {
        {"caller hangs up while it rings", capisim_hangup, false},
        {"answered elsewhere", capisim_answer_elsewhere, false},
        {"taken by another application", capisim_taken_by_other_application, false},
        {"network gives up", capisim_network_gives_up, false},
        {"caller hangs up during the conversation", capisim_hangup, true},
    };
    const uint16_t appl = RegisterListening();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int call = 0; call < 3; ++call) {
            const uint32_t plci = Ring(appl);
            if (c.connect) {
                const uint32_t ncci = Connect(appl, plci);
                ASSERT_EQ(c.end(), 1);
                EXPECT_EQ(Next(appl, 0x8482).Address(), ncci);
                ASSERT_EQ(Put(appl, Plain(appl, 0x8483, ncci)), 0u);
            } else {
                ASSERT_EQ(c.end(), 1);
            }
            ExpectDisconnect(appl, plci);
            ExpectQueueEmpty(appl);
            EXPECT_EQ(capisim_unanswered_count(), 0) << "call " << call;
        }
    }
    // A B3 connection the line clears takes its unanswered indication with it.
    const uint32_t plci = Ring(appl);
    ASSERT_EQ(Put(appl, ConnectResp(appl, plci, 0)), 0u);
    Next(appl, 0x0382);
    ASSERT_EQ(Put(appl, Plain(appl, 0x0383, plci)), 0u);
    const uint32_t ncci = Next(appl, 0x8282).Address();
    ASSERT_EQ(capisim_unanswered_count(), 1) << "CONNECT_B3_IND awaits its response";
    ASSERT_EQ(capisim_hangup(), 1);
    EXPECT_EQ(Next(appl, 0x8482).Address(), ncci);
    EXPECT_EQ(capisim_unanswered_count(), 1) << "only DISCONNECT_B3_IND is left";
    ASSERT_EQ(Put(appl, Plain(appl, 0x8483, ncci)), 0u);
    ExpectDisconnect(appl, plci);
    EXPECT_EQ(capisim_unanswered_count(), 0);

    // A released application answers nothing any more.
    Ring(appl);
    ASSERT_EQ(capisim_unanswered_count(), 1);
    ASSERT_EQ(CAPI_RELEASE(appl), 0u);
    EXPECT_EQ(capisim_unanswered_count(), 0);
}

TEST_F(CallRoadTest, TranscriptKeepsBothWaysInOrder) {
    const uint16_t appl = RegisterListening();
    const uint32_t plci = Ring(appl);
    ASSERT_EQ(Put(appl, ConnectResp(appl, plci, 1)), 0u);
    ExpectDisconnect(appl, plci);
    EXPECT_EQ(TranscriptCommands(),
              (std::vector<std::string>{">0580", "<0581", "<0282", ">0283", "<0482", ">0483"}));
    capisim_entry e{};
    ASSERT_EQ(capisim_transcript_entry(3, &e), 0);
    EXPECT_EQ(e.length, 19u);
    std::vector<unsigned char> bytes(e.length);
    EXPECT_EQ(capisim_transcript_bytes(3, bytes.data(), bytes.size()), 19u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), ConnectResp(appl, plci, 1));
    const size_t length = capisim_transcript_text(nullptr, 0);
    std::string text(length, '\0');
    capisim_transcript_text(text.data(), length + 1);
    EXPECT_NE(text.find("app->line appl " + std::to_string(appl) + " CONNECT_RESP"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("line->app appl " + std::to_string(appl) + " DISCONNECT_IND"),
              std::string::npos);
}

TEST_F(CallRoadTest, ReleaseDropsTheApplicationsConnections) {
    const uint16_t first = RegisterListening();
    const uint16_t second = RegisterListening();
    ASSERT_EQ(Offer("0301234567"), 2);
    const uint32_t plci2 = Next(second, 0x0282).Address();
    ASSERT_EQ(CAPI_RELEASE(first), 0u);
    ASSERT_EQ(Put(second, ConnectResp(second, plci2, 0)), 0u);
    Next(second, 0x0382);
    ExpectQueueEmpty(second);
}

}  // namespace
}  // namespace capisim_test
