#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/capi2032/tests/line_fixture.h"

namespace capisim_test {
namespace {

using namespace std::chrono_literals;

struct RegisterCase {
    const char* name;
    uint32_t buffer, connections, block_length;
    uint32_t expected;
};

std::ostream& operator<<(std::ostream& os, const RegisterCase& c) {
    return os << c.name;
}

class RegisterTest : public LineTest, public ::testing::WithParamInterface<RegisterCase> {};

TEST_P(RegisterTest, ChecksItsArguments) {
    const RegisterCase& c = GetParam();
    uint32_t appl = 0;
    EXPECT_EQ(CAPI_REGISTER(c.buffer, c.connections, 2, c.block_length, &appl), c.expected);
    if (c.expected == 0) {
        EXPECT_NE(appl, 0u);
        EXPECT_EQ(CAPI_RELEASE(appl), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, RegisterTest,
                         ::testing::Values(RegisterCase{"Smallest", 1024, 1, 128, 0},
                                           RegisterCase{"Largest", 65536, 1, 128, 0},
                                           RegisterCase{"BufferTooSmall", 1023, 1, 128, 0x1004},
                                           RegisterCase{"BufferTooLarge", 65537, 1, 128, 0x1003},
                                           RegisterCase{"BlockTooSmall", 2048, 1, 127, 0x1002},
                                           RegisterCase{"NoConnections", 2048, 0, 128, 0x1005}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineTest, ApplIdsAreFreshAndIncreasing) {
    const uint16_t first = Register();
    const uint16_t second = Register();
    EXPECT_GT(second, first);
    EXPECT_EQ(CAPI_RELEASE(first), 0u);
    EXPECT_GT(Register(), second) << "a released ApplID is not handed out again";
}

TEST_F(LineTest, ReleaseOfAnUnknownApplicationFails) {
    const uint16_t appl = Register();
    EXPECT_EQ(CAPI_RELEASE(appl), 0u);
    EXPECT_EQ(CAPI_RELEASE(appl), 0x1101u);
    EXPECT_EQ(CAPI_RELEASE(4711), 0x1101u);
    void* message = nullptr;
    EXPECT_EQ(CAPI_GET_MESSAGE(appl, &message), 0x1101u);
    EXPECT_EQ(Put(appl, ListenReq(appl, 1, 2)), 0x1101u);
}

TEST_F(LineTest, TellsVersionAndProfile) {
    uint32_t v[4] = {};
    EXPECT_EQ(CAPI_GET_VERSION(&v[0], &v[1], &v[2], &v[3]), 0u);
    EXPECT_EQ(v[0], 2u);
    EXPECT_EQ(v[1], 0u);
    capisim_set_version(2, 1, 7, 3);
    EXPECT_EQ(CAPI_GET_VERSION(&v[0], &v[1], &v[2], &v[3]), 0u);
    EXPECT_EQ((std::vector<uint32_t>{v[0], v[1], v[2], v[3]}), (std::vector<uint32_t>{2, 1, 7, 3}));
    uint8_t profile[64] = {};
    EXPECT_EQ(CAPI_GET_PROFILE(profile, 0), 0u);
    EXPECT_EQ(profile[0], 1) << "one controller";
    EXPECT_EQ(CAPI_GET_PROFILE(profile, 2), 0x2002u);
    EXPECT_EQ(CAPI_INSTALLED(), 0u);
    capisim_set_installed(0x1009);
    EXPECT_EQ(CAPI_INSTALLED(), 0x1009u);
}

// Messages the line must refuse, each in a buffer exactly as long as it claims.
struct BadMessage {
    const char* name;
    std::vector<uint8_t> (*make)(uint16_t appl);
    uint32_t expected;
};

std::ostream& operator<<(std::ostream& os, const BadMessage& c) {
    return os << c.name;
}

std::vector<uint8_t> TooShortForAHeader(uint16_t appl) {
    return MessageBuilder(appl, 0x0483).Build(8);
}
std::vector<uint8_t> ListenWithoutItsStructs(uint16_t appl) {
    auto m = ListenReq(appl, 1, 2);
    m.resize(24);
    m[0] = 24;
    return m;
}
std::vector<uint8_t> StructRunsPastTheEnd(uint16_t appl) {
    return MessageBuilder(appl, 0x0180).D(0x101).B(5).B(1).B(2).Build();
}
std::vector<uint8_t> LongStructRunsPastTheEnd(uint16_t appl) {
    return MessageBuilder(appl, 0x0480).D(0x101).B(0xFF).W(300).B(1).Build();
}
std::vector<uint8_t> StructPrefixCutOff(uint16_t appl) {
    return MessageBuilder(appl, 0x0480).D(0x101).B(0xFF).Build();
}
std::vector<uint8_t> TrailingByte(uint16_t appl) {
    return MessageBuilder(appl, 0x0483).D(0x101).B(0).Build();
}
std::vector<uint8_t> HeaderApplIdDiffers(uint16_t appl) {
    return Plain(static_cast<uint16_t>(appl + 1), 0x0483, 0x101);
}
std::vector<uint8_t> UnknownCommand(uint16_t appl) {
    return Plain(appl, 0x7780, 1);
}
std::vector<uint8_t> IndicationFromTheApplication(uint16_t appl) {
    return MessageBuilder(appl, 0x0482).D(0x101).W(0).Build();
}
std::vector<uint8_t> BProtocolInnerStructOverruns(uint16_t appl) {
    return MessageBuilder(appl, 0x0283)
        .D(0x101)
        .W(0)
        .S({1, 0, 1, 0, 0, 0, 0, 0, 9})
        .S()
        .S()
        .S()
        .S()
        .Build();
}
std::vector<uint8_t> DataB3OfOddLength(uint16_t appl) {
    return MessageBuilder(appl, 0x8680).D(0x10101).D(0).W(10).W(1).W(0).W(0).Build();
}

class BadMessageTest : public LineTest, public ::testing::WithParamInterface<BadMessage> {};

TEST_P(BadMessageTest, IsRefusedWithItsCodeAndChangesNothing) {
    const uint16_t appl = RegisterListening();
    EXPECT_EQ(Put(appl, GetParam().make(appl)), GetParam().expected);
    ExpectQueueEmpty(appl);
    capisim_entry last{};
    ASSERT_EQ(capisim_transcript_entry(capisim_transcript_count() - 1, &last), 0);
    EXPECT_EQ(last.to_application, 0);
    EXPECT_EQ(last.result, GetParam().expected) << "the transcript keeps the refusal";
    // The line still takes good messages afterwards.
    EXPECT_EQ(Put(appl, ListenReq(appl, 1, 2)), 0u);
    Next(appl, 0x0581);
}

INSTANTIATE_TEST_SUITE_P(
    Parser, BadMessageTest,
    ::testing::Values(
        BadMessage{"TooShortForAHeader", TooShortForAHeader, 0x1102},
        BadMessage{"ListenWithoutItsStructs", ListenWithoutItsStructs, 0x1102},
        BadMessage{"StructRunsPastTheEnd", StructRunsPastTheEnd, 0x2007},
        BadMessage{"LongStructRunsPastTheEnd", LongStructRunsPastTheEnd, 0x2007},
        BadMessage{"StructPrefixCutOff", StructPrefixCutOff, 0x1102},
        BadMessage{"TrailingByte", TrailingByte, 0x1102},
        BadMessage{"HeaderApplIdDiffers", HeaderApplIdDiffers, 0x1101},
        BadMessage{"UnknownCommand", UnknownCommand, 0x1102},
        BadMessage{"IndicationFromTheApplication", IndicationFromTheApplication, 0x1102},
        BadMessage{"BProtocolInnerStructOverruns", BProtocolInnerStructOverruns, 0x2007},
        BadMessage{"DataB3OfOddLength", DataB3OfOddLength, 0x1102}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineTest, TakesEveryFormTheProgramPuts) {
    const uint16_t appl = RegisterListening();
    const std::vector<std::vector<uint8_t>> good = {
        ConnectResp(appl, 0x101, 0),  // 28 bytes
        ConnectResp(appl, 0x101, 1),  // 19 bytes
        MessageBuilder(appl, 0x0180).D(0x101).S().Build(),
        MessageBuilder(appl, 0x8083).D(1).W(3).S().Build(),
        MessageBuilder(appl, 0x8283).D(0x10101).W(2).S().Build(),
        MessageBuilder(appl, 0x8683).D(0x10101).W(7).Build(),
        MessageBuilder(appl, 0x8680).D(0x10101).D(0).W(10).W(1).W(0).Build(),
        MessageBuilder(appl, 0x8680).D(0x10101).D(0).W(10).W(1).W(0).D(0).D(0).Build(),
        MessageBuilder(appl, 0x0480).D(0x101).B(0xFF).W(3).B(1).B(2).B(3).Build(),
        Plain(appl, 0x0383, 0x101),
        Plain(appl, 0x8883, 0x10101),
    };
    for (const auto& m : good) {
        EXPECT_EQ(Put(appl, m), 0u) << "message of " << m.size() << " bytes";
    }
}

TEST_F(LineTest, NullMessageIsRefused) {
    const uint16_t appl = Register();
    EXPECT_EQ(CAPI_PUT_MESSAGE(appl, nullptr), 0x1102u);
}

TEST_F(LineTest, FetchedBytesStayValidUntilTheNextFetch) {
    const uint16_t appl = RegisterListening();
    ExpectQueueEmpty(appl);
    ASSERT_EQ(Offer("0301234567"), 1);
    void* first = nullptr;
    ASSERT_EQ(CAPI_GET_MESSAGE(appl, &first), 0u);
    ASSERT_EQ(Offer("0309876543"), 1);  // more traffic while the first is being read
    MessageReader reader(first);
    EXPECT_EQ(reader.Command(), 0x0282);
    reader.NextWord();
    reader.NextStruct();
    EXPECT_EQ(reader.NextStruct().substr(2), "0301234567");
}

TEST_F(LineTest, WaitReturnsWhenAMessageIsQueued) {
    const uint16_t appl = RegisterListening();
    std::atomic<uint32_t> result{0xFFFF};
    std::thread waiter([&] { result = CAPI_WAIT_FOR_SIGNAL(appl); });
    while (capisim_call_count(CAPISIM_OP_WAIT_FOR_SIGNAL) == 0) {
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(result.load(), 0xFFFFu) << "no message yet: the wait blocks";
    ASSERT_EQ(Offer("0301234567"), 1);
    waiter.join();
    EXPECT_EQ(result.load(), 0u);
    Next(appl, 0x0282);
}

TEST_F(LineTest, ReleaseWakesTheWaiterUnlessTheWaitHangs) {
    for (const bool hang : {false, true}) {
        SCOPED_TRACE(hang ? "hanging" : "normal");
        const uint16_t appl = Register();
        capisim_set_wait_hang(hang ? 1 : 0);
        std::atomic<bool> returned{false};
        std::atomic<uint32_t> result{0};
        const unsigned waits = capisim_call_count(CAPISIM_OP_WAIT_FOR_SIGNAL);
        std::thread waiter([&] {
            result = CAPI_WAIT_FOR_SIGNAL(appl);
            returned = true;
        });
        while (capisim_call_count(CAPISIM_OP_WAIT_FOR_SIGNAL) == waits) {
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_EQ(CAPI_RELEASE(appl), 0u);
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(returned.load(), !hang);
        capisim_set_wait_hang(0);
        waiter.join();
        EXPECT_EQ(result.load(), 0x1101u);
    }
}

TEST_F(LineTest, HangingWaitIgnoresQueuedMessagesUntilCleared) {
    const uint16_t appl = RegisterListening();
    capisim_set_wait_hang(1);
    ASSERT_EQ(Offer("0301234567"), 1);
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        EXPECT_EQ(CAPI_WAIT_FOR_SIGNAL(appl), 0u);
        returned = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(returned.load());
    capisim_set_wait_hang(0);
    waiter.join();
    EXPECT_TRUE(returned.load());
}

TEST_F(LineTest, InjectedFailureHitsTheNextCallOnly) {
    const uint16_t appl = Register();
    capisim_fail_next(CAPISIM_OP_PUT_MESSAGE, 0x1103);
    EXPECT_EQ(Put(appl, ListenReq(appl, 1, 2)), 0x1103u);
    ExpectQueueEmpty(appl);
    EXPECT_EQ(Put(appl, ListenReq(appl, 1, 2)), 0u);
    Next(appl, 0x0581);

    capisim_fail_next(CAPISIM_OP_REGISTER, 0x1001);
    uint32_t other = 0;
    EXPECT_EQ(CAPI_REGISTER(2048, 1, 2, 128, &other), 0x1001u);
    capisim_fail_next(CAPISIM_OP_RELEASE, 0x1108);
    EXPECT_EQ(CAPI_RELEASE(appl), 0x1108u);
    EXPECT_EQ(CAPI_RELEASE(appl), 0u) << "the failed release left the application registered";
    capisim_fail_next(CAPISIM_OP_WAIT_FOR_SIGNAL, 0x1108);
    EXPECT_EQ(CAPI_WAIT_FOR_SIGNAL(appl), 0x1108u) << "fails before it would block";
}

}  // namespace
}  // namespace capisim_test
