#include <dlfcn.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "capi/capi_dll.h"
#include "platform/capi2032/capisim.h"
#include "platform/capi2032/tests/capi_bytes.h"

namespace capi {
namespace {

using namespace std::chrono_literals;
using capisim_test::ConnectResp;
using capisim_test::ExactBuffer;
using capisim_test::ListenReq;
using capisim_test::MessageReader;
using capisim_test::Plain;

// The line the binding loaded from beside this program, driven through the library's own
// capisim_ functions so that the process has one line only.
class BoundLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LoadCapiDll();
        ASSERT_EQ(CapiDllStatus(), kCapiDllInstalled);
        reset_ = Fetch<capisim_reset_fn>("capisim_reset");
        offer_ = Fetch<capisim_offer_call_fn>("capisim_offer_call");
        count_ = Fetch<capisim_count_fn>("capisim_transcript_count");
        entry_ = Fetch<capisim_entry_fn>("capisim_transcript_entry");
        unanswered_ = Fetch<capisim_count_fn>("capisim_unanswered_count");
        calls_ = Fetch<capisim_call_count_fn>("capisim_call_count");
        hang_ = Fetch<capisim_switch_fn>("capisim_set_wait_hang");
        installed_ = Fetch<capisim_set_installed_fn>("capisim_set_installed");
        reset_();
    }
    void TearDown() override {
        if (CapiDllStatus() == kCapiDllInstalled) {
            reset_();
        }
    }
    template <typename Fn>
    Fn* Fetch(const char* name) {
        auto* fn = reinterpret_cast<Fn*>(dlsym(CapiDllHandle(), name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }
    static uint32_t Put(uint32_t appl, const std::vector<uint8_t>& message) {
        ExactBuffer buffer(message);
        return CAPI_PUT_MESSAGE(appl, buffer.data());
    }
    // Waits as the receive thread does, then fetches.
    static MessageReader WaitAndGet(uint32_t appl, uint16_t command) {
        EXPECT_EQ(CAPI_WAIT_FOR_SIGNAL(appl), 0u);
        void* message = nullptr;
        EXPECT_EQ(CAPI_GET_MESSAGE(appl, &message), 0u);
        MessageReader reader(message);
        EXPECT_EQ(reader.Command(), command);
        return reader;
    }
    void WaitUntilInside(unsigned waits_before) {
        while (calls_(CAPISIM_OP_WAIT_FOR_SIGNAL) == waits_before) {
            std::this_thread::sleep_for(1ms);
        }
    }

    capisim_reset_fn* reset_ = nullptr;
    capisim_offer_call_fn* offer_ = nullptr;
    capisim_count_fn* count_ = nullptr;
    capisim_entry_fn* entry_ = nullptr;
    capisim_count_fn* unanswered_ = nullptr;
    capisim_call_count_fn* calls_ = nullptr;
    capisim_switch_fn* hang_ = nullptr;
    capisim_set_installed_fn* installed_ = nullptr;
};

TEST_F(BoundLineTest, OfferedCallIsReadAndRefused) {
    uint32_t appl = 0;
    ASSERT_EQ(CAPI_REGISTER(2048, 1, 2, 128, &appl), 0u);
    const auto a = static_cast<uint16_t>(appl);
    ASSERT_EQ(Put(appl, ListenReq(a, 1, 0x1FFF03FE)), 0u);
    EXPECT_EQ(WaitAndGet(appl, 0x0581).NextWord(), 0u);

    // The receive thread blocks until the network offers the call.
    std::atomic<uint32_t> woke{0xFFFF};
    const unsigned waits = calls_(CAPISIM_OP_WAIT_FOR_SIGNAL);
    std::thread receiver([&] { woke = CAPI_WAIT_FOR_SIGNAL(appl); });
    WaitUntilInside(waits);
    capisim_call_offer offer{1, "0301234567", 0x21, 0x80, "5551234", 16};
    ASSERT_EQ(offer_(&offer), 1);
    receiver.join();
    EXPECT_EQ(woke.load(), 0u);

    MessageReader ind = WaitAndGet(appl, 0x0282);
    const uint32_t plci = ind.Address();
    EXPECT_EQ(ind.NextWord(), 16u);
    EXPECT_EQ(ind.NextStruct(),
              "\x81"
              "5551234");
    EXPECT_EQ(ind.NextStruct(),
              "\x21\x80"
              "0301234567");
    ASSERT_EQ(Put(appl, ConnectResp(a, plci, 1)), 0u);

    MessageReader disconnect = WaitAndGet(appl, 0x0482);
    EXPECT_EQ(disconnect.Address(), plci);
    ASSERT_EQ(Put(appl, Plain(a, 0x0483, plci)), 0u);
    EXPECT_EQ(CAPI_RELEASE(appl), 0u);

    const std::vector<std::pair<int, unsigned>> expected = {{0, 0x0580}, {1, 0x0581}, {1, 0x0282},
                                                            {0, 0x0283}, {1, 0x0482}, {0, 0x0483}};
    ASSERT_EQ(count_(), static_cast<int>(expected.size()));
    for (int i = 0; i < count_(); ++i) {
        capisim_entry e{};
        ASSERT_EQ(entry_(i, &e), 0);
        EXPECT_EQ(e.to_application, expected[static_cast<size_t>(i)].first) << i;
        EXPECT_EQ(e.command, expected[static_cast<size_t>(i)].second) << i;
        EXPECT_EQ(e.appl_id, appl);
        EXPECT_EQ(e.result, 0u);
    }
    EXPECT_EQ(unanswered_(), 0);
}

TEST_F(BoundLineTest, UnloadKeepsTheLibraryWhileAThreadIsInside) {
    uint32_t appl = 0;
    ASSERT_EQ(CAPI_REGISTER(2048, 1, 2, 128, &appl), 0u);
    hang_(1);  // a receive thread that release cannot wake
    std::atomic<uint32_t> result{0};
    const unsigned waits = calls_(CAPISIM_OP_WAIT_FOR_SIGNAL);
    std::thread receiver([&] { result = CAPI_WAIT_FOR_SIGNAL(appl); });
    WaitUntilInside(waits);
    EXPECT_FALSE(UnloadCapiDll());
    EXPECT_EQ(CAPI_RELEASE(appl), 0u);
    EXPECT_FALSE(UnloadCapiDll()) << "released, but the thread is still inside";
    EXPECT_EQ(CapiDllStatus(), kCapiDllInstalled);
    EXPECT_NE(CapiDllHandle(), nullptr);

    hang_(0);
    receiver.join();
    EXPECT_EQ(result.load(), 0x1101u);
    EXPECT_TRUE(UnloadCapiDll());
    EXPECT_EQ(CapiDllStatus(), kCapiDllNotLoaded);
    EXPECT_EQ(CapiDllHandle(), nullptr);
    uint32_t v[4] = {};
    EXPECT_EQ(CAPI_GET_VERSION(&v[0], &v[1], &v[2], &v[3]), 0x9001u);
    EXPECT_EQ(CAPI_RELEASE(appl), 0x9001u);
    LoadCapiDll();
    EXPECT_EQ(CapiDllStatus(), kCapiDllInstalled);
}

TEST_F(BoundLineTest, InstalledAnswerCountsAtTheNextLoad) {
    installed_(0x1009);
    EXPECT_EQ(CapiDllStatus(), kCapiDllInstalled) << "a loaded binding does not ask again";
    ASSERT_TRUE(UnloadCapiDll());
    LoadCapiDll();
    EXPECT_EQ(CapiDllStatus(), kCapiDllNotInstalled);
    uint32_t appl = 0;
    EXPECT_EQ(CAPI_REGISTER(2048, 1, 2, 128, &appl), 0x9003u);
    // Kept loaded at status 3, so the line can still be set right.
    Fetch<capisim_set_installed_fn>("capisim_set_installed")(0);
    ASSERT_TRUE(UnloadCapiDll());
    LoadCapiDll();
    EXPECT_EQ(CapiDllStatus(), kCapiDllInstalled);
}

TEST(EDLLLoadErrorTest, CarriesItsMessage) {
    const EDLLLoadError error;
    EXPECT_EQ(error.Message(), "File \"CAPI2032.DLL\" not found.");
    EXPECT_STREQ(error.what(), "File \"CAPI2032.DLL\" not found.");
}

}  // namespace
}  // namespace capi
