#include <gtest/gtest.h>

#include "xbase/engine_library.h"
#include "xbase/tests/layer_fixture.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {
namespace {

constexpr const char* kVersionMessage =
    "xBase Database Engine Requires XBASE32.DLL Version 2.40.00 or later.";

using EngineStart = LayerTest;

TEST_F(EngineStart, NotifiesThenSetsUpInOrder) {
    State().currentDirectory = "/elsewhere/";
    State().oem = true;
    ASSERT_EQ(DbiInitEngine(nullptr), kOk);
    EXPECT_EQ(fake.notified, std::vector<int32_t>{9});
    EXPECT_EQ(fake.stringType, 1);
    EXPECT_EQ(fake.errorLevel, 1);
    EXPECT_EQ(State().currentDirectory, "./");
    EXPECT_FALSE(State().oem);
    const std::vector<std::string> order = {"NotifyUse", "sx_SetStringType", "sx_ErrorLevel",
                                            "sx_Version"};
    EXPECT_EQ(fake.calls, order);
    EXPECT_TRUE(messages.empty());
}

TEST_F(EngineStart, StartsWithoutNotifyUse) {
    fake.Api().NotifyUse = nullptr;
    EXPECT_EQ(DbiInitEngine(nullptr), kOk);
    EXPECT_TRUE(fake.notified.empty());
    EXPECT_EQ(fake.stringType, 1);
}

TEST_F(EngineStart, VersionCheck) {
    struct Case {
        const char* version;
        bool accepted;
    };
    // The release is read from characters 7 and 8.
    const Case cases[] = {
        {"xbfak 40", true},  {"xbfak 41", true},  {"xbfak 99", true}, {"xbfak 405 more", true},
        {"xbfak 39", false}, {"xbfak 00", false}, {"", false},        {"xbfak", false},
        {"xbfak 4", false},  {"xbfak ab", false}, {"2.40.00", false}, {"xbfake 40", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        fake.version = c.version;
        messages.clear();
        const DbiResult r = DbiInitEngine(nullptr);
        if (c.accepted) {
            EXPECT_EQ(r, kOk);
            EXPECT_TRUE(messages.empty());
        } else {
            EXPECT_EQ(r, kEngineRefused);
            EXPECT_EQ(messages, std::vector<std::string>{kVersionMessage});
        }
    }
}

TEST_F(EngineStart, NullVersionIsRefused) {
    fake.Api().sx_Version = []() -> const char* { return nullptr; };
    EXPECT_EQ(DbiInitEngine(nullptr), kEngineRefused);
    EXPECT_EQ(messages, std::vector<std::string>{kVersionMessage});
}

TEST_F(EngineStart, StopClosesEveryAreaAndForgetsTheirRecords) {
    fake.AddTable("./a.dbf", FakeTable{{{"NAAM", 'C', 10}}, {}});
    ASSERT_EQ(DbiInitEngine(nullptr), kOk);
    CursorHandle table = 0;
    DbHandle db = 0;
    ASSERT_EQ(DbiOpenDatabase(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db), kOk);
    ASSERT_EQ(DbiOpenTableArea(db, "a.dbf", "SXFOX", nullptr, nullptr, 0, 0, 0, 0, false, nullptr,
                               &table),
              kOk);
    ASSERT_NE(WorkAreaOf(table), nullptr);
    fake.calls.clear();
    fake.sysProps.clear();
    EXPECT_EQ(DbiExitEngine(), kOk);
    EXPECT_EQ(fake.CountOf("sx_CloseAll"), 1);
    EXPECT_EQ(fake.sysProps, (std::vector<std::pair<int32_t, intptr_t>>{{65005, 0}}));
    EXPECT_TRUE(fake.areas.empty());
    EXPECT_EQ(WorkAreaOf(table), nullptr);
    EXPECT_EQ(DbiGetTableProps(table, nullptr), kNoSuchTable);
}

TEST(EngineLibraryLoad, RefusesAMissingFileAndALibraryThatLacksCalls) {
    std::string error;
    EXPECT_EQ(EngineLibrary::Open("/nonexistent/libxbase32.so", &error), nullptr);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(EngineLibrary::Open(PARTIAL_ENGINE_PATH, &error), nullptr);
    EXPECT_NE(error.find("lacks sx_SetStringType"), std::string::npos) << error;
}

TEST(EngineLibraryLoad, StartWithoutAnyEngineIsRefusedWithTheMessage) {
    EngineLibrary::SetDefaultFileName("libxbase32-not-installed.so");
    ASSERT_EQ(BoundEngine(), nullptr);
    std::vector<std::string> messages;
    SetMessageSink([&](const LayerMessage& m) { messages.push_back(m.text); });
    EXPECT_EQ(DbiInitEngine(nullptr), kEngineRefused);
    SetMessageSink({});
    EXPECT_EQ(messages, std::vector<std::string>{kVersionMessage});
    EXPECT_EQ(BoundEngine(), nullptr);
    EngineLibrary::SetDefaultFileName({});
}

}  // namespace
}  // namespace xbase::testing
