#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/capi2032/capi2032.h"
#include "platform/capi2032/capisim.h"
#include "platform/capi2032/tests/capi_bytes.h"

namespace capisim_test {

// A quiet line for every test; messages come from the queue without waiting, since the line
// queues its answers before CAPI_PUT_MESSAGE returns.
class LineTest : public ::testing::Test {
  protected:
    void SetUp() override { capisim_reset(); }
    void TearDown() override { capisim_reset(); }

    uint16_t Register() {
        uint32_t appl = 0;
        EXPECT_EQ(CAPI_REGISTER(2048, 1, 2, 128, &appl), 0u);
        return static_cast<uint16_t>(appl);
    }
    uint16_t RegisterListening(uint32_t cip_mask = 0x1FFF03FE) {
        const uint16_t appl = Register();
        EXPECT_EQ(Put(appl, ListenReq(appl, 1, cip_mask)), 0u);
        EXPECT_EQ(Next(appl, 0x0581).NextWord(), 0u);
        return appl;
    }
    static uint32_t Put(uint32_t appl, const std::vector<uint8_t>& message) {
        ExactBuffer buffer(message);
        return CAPI_PUT_MESSAGE(appl, buffer.data());
    }
    // The next queued message, which must be of the given command.
    MessageReader Next(uint16_t appl, uint16_t command) {
        void* message = nullptr;
        const uint32_t result = CAPI_GET_MESSAGE(appl, &message);
        EXPECT_EQ(result, 0u) << "expected a message 0x" << std::hex << command;
        if (result != 0) {
            static const uint8_t empty[16] = {};
            return MessageReader(empty);
        }
        MessageReader reader(message);
        EXPECT_EQ(reader.Command(), command) << std::hex << "got 0x" << reader.Command();
        EXPECT_EQ(reader.Appl(), appl);
        return reader;
    }
    static void ExpectQueueEmpty(uint16_t appl) {
        void* message = nullptr;
        EXPECT_EQ(CAPI_GET_MESSAGE(appl, &message), 0x1104u);
    }
    static int Offer(const char* calling, const char* called = "5551234", unsigned cip = 16) {
        capisim_call_offer offer{1, calling, 0x21, 0x80, called, cip};
        return capisim_offer_call(&offer);
    }
    // The commands of the transcript in order, as "<" for the line's and ">" for puts.
    static std::vector<std::string> TranscriptCommands() {
        std::vector<std::string> out;
        for (int i = 0; i < capisim_transcript_count(); ++i) {
            capisim_entry e{};
            capisim_transcript_entry(i, &e);
            char text[32];
            std::snprintf(text, sizeof text, "%s%04X", e.to_application ? "<" : ">", e.command);
            out.push_back(text);
        }
        return out;
    }
};

}  // namespace capisim_test
