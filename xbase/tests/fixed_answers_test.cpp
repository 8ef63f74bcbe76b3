#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "xbase/tests/layer_fixture.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {
namespace {

class FixedAnswers : public LayerTest {
  protected:
    FixedAnswers() {
        DbiInitEngine(nullptr);
        fake.AddTable("./t.dbf", FakeTable{{{"A", 'C', 1}}, {}});
        DbHandle db = 0;
        DbiOpenDatabase(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db);
        DbiOpenTableArea(db, "t.dbf", "SXFOX", nullptr, nullptr, 0, 0, 0, 0, false, nullptr,
                         &table);
        fake.calls.clear();
    }
    CursorHandle table = 0;
};

int32_t Callback(int32_t, intptr_t, void*) {
    return 1;
}
int32_t CursorCb(int32_t, void*, void*) {
    return 1;
}

TEST_F(FixedAnswers, EachFixedOutcome) {
    constexpr intptr_t kUntouched = 0x5A5A;
    intptr_t object = kUntouched;
    CursorHandle cursor = kUntouched;
    LocaleHandle locale = kUntouched;
    SessionHandle session = kUntouched;
    intptr_t client = kUntouched;
    uint16_t length = 0x5A5A;
    void* buffer = &object;
    EngineCallback callback = &Callback;
    std::string text = "stale";
    int32_t native = kUntouched;
    char description[16] = "untouched";

    struct Case {
        const char* name;
        std::function<DbiResult()> call;
        DbiResult result;
        std::function<bool()> outcome;
    };
    const Case cases[] = {
        {"DbiRegisterCallBack",
         [&] { return DbiRegisterCallBack(table, 1, 7, 0, nullptr, &Callback); }, kOk, nullptr},
        {"DbiGetCallBack",
         [&] { return DbiGetCallBack(table, 1, &client, &length, &buffer, &callback); }, kOk,
         [&] {
             return client == kUntouched && length == 0x5A5A && buffer == &object &&
                    callback == &Callback;
         }},
        {"DbiGetDatabaseDesc", [&] { return DbiGetDatabaseDesc("ALIAS", description); }, kNotFound,
         [&] { return std::strcmp(description, "untouched") == 0; }},
        {"DbiOpenIndexList", [&] { return DbiOpenIndexList(0, "t.dbf", "SXFOX", &cursor); }, kOk,
         [&] { return cursor == kNullCursor; }},
        {"DbiCloneCursor",
         [&] {
             cursor = 0;
             return DbiCloneCursor(table, true, false, &cursor);
         },
         kOk, [&] { return cursor == kNullCursor; }},
        {"DbiGetLdObj", [&] { return DbiGetLdObj(table, &locale); }, kOk,
         [&] { return locale == 1; }},
        {"DbiGetTableTypeDesc", [&] { return DbiGetTableTypeDesc("SXFOX", "SXFOX", description); },
         kUnknownDriver, [&] { return std::strcmp(description, "untouched") == 0; }},
        {"DbiLoadLocale",
         [&] {
             locale = kUntouched;
             return DbiLoadLocale("ancient", &locale);
         },
         kOk, [&] { return locale == kUntouched; }},
        {"DbiUnloadLocale", [&] { return DbiUnloadLocale(3); }, kOk, nullptr},
        {"DbiOpenCfgInfoList",
         [&] {
             cursor = kUntouched;
             return DbiOpenCfgInfoList(nullptr, 0, 0, "\\DRIVERS", &cursor);
         },
         kOk, [&] { return cursor == kUntouched; }},
        {"DbiGetErrorEntry", [&] { return DbiGetErrorEntry(1, &native, &text); }, kOk,
         [&] { return text.empty(); }},
        // On an open table it reads the record again (see the real engine's tests).
        {"DbiForceReread on no table", [] { return DbiForceReread(0); }, kOk, nullptr},
        {"DbiStartSession", [&] { return DbiStartSession("S", &session, nullptr); }, kOk,
         [&] { return session == kUntouched; }},
        {"DbiGetCurrSession", [&] { return DbiGetCurrSession(&session); }, kOk,
         [&] { return session == 1; }},
        {"DbiSetCurrSession", [&] { return DbiSetCurrSession(1); }, kOk, nullptr},
        {"DbiCloseSession", [&] { return DbiCloseSession(1); }, kOk, nullptr},
        {"DbiGetSesInfo", [&] { return DbiGetSesInfo(description); }, kOk,
         [&] { return std::strcmp(description, "untouched") == 0; }},
        {"DbiGetObjFromName", [&] { return DbiGetObjFromName(1, "x", &object); }, kOk,
         [&] { return object == kUntouched; }},
        {"DbiGetObjFromObj", [&] { return DbiGetObjFromObj(table, 1, &object); }, kOk,
         [&] { return object == 0; }},
        {"DbiOpenIndex", [&] { return DbiOpenIndex(table, "tel0.idx", 0); }, kOk, nullptr},
        {"DbiCfgPosition", [&] { return DbiCfgPosition(nullptr, "\\SYSTEM"); }, kOk, nullptr},
        {"DbiCfgDropRecord", [&] { return DbiCfgDropRecord(nullptr, "\\SYSTEM"); }, kOk, nullptr},
        {"DbiDLLExit", [] { return DbiDLLExit(); }, kOk, nullptr},
        {"DbiSetCursorCallback",
         [&] { return DbiSetCursorCallback(0, &table, &CursorCb, &object); }, kOk,
         [&] {
             return WorkAreaOf(table)->cursorCallback == &CursorCb &&
                    WorkAreaOf(table)->cursorCallbackDataSet == &object;
         }},
        {"DbiClearCursorCallback", [&] { return DbiClearCursorCallback(&table); }, kOk,
         [&] {
             return WorkAreaOf(table)->cursorCallback == nullptr &&
                    WorkAreaOf(table)->cursorCallbackDataSet == nullptr;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), c.result);
        if (c.outcome) {
            EXPECT_TRUE(c.outcome());
        }
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(FixedAnswers, TextConversionsCopyUnchanged) {
    for (auto convert : {&DbiNativeToAnsi, &DbiAnsiToNative}) {
        struct Case {
            int32_t length;
            std::string out;
        };
        const Case cases[] = {
            {0, "M\xFCller"}, {-1, "M\xFCller"}, {3, "M\xFCl"}, {99, "M\xFCller"}};
        for (const Case& c : cases) {
            std::string out;
            bool lost = true;
            EXPECT_EQ(convert(1, &out, "M\xFCller", c.length, &lost), kOk);
            EXPECT_EQ(out, c.out);
            EXPECT_FALSE(lost);
        }
    }
}

TEST_F(FixedAnswers, EachUnsupportedCallTellsAndSucceeds) {
    CursorHandle cursor = table;
    intptr_t statement = 0;
    std::string locale;
    bool blank = false;
    struct Case {
        const char* name;
        std::function<DbiResult()> call;
    };
    const Case cases[] = {
        {"DbiGetVchkDesc", [&] { return DbiGetVchkDesc(table, 1, nullptr); }},
        {"DbiQPrepare", [&] { return DbiQPrepare(1, "select"); }},
        {"DbiQExec", [&] { return DbiQExec(1, &cursor); }},
        {"DbiQFree", [&] { return DbiQFree(&statement); }},
        {"DbiQSetParams", [&] { return DbiQSetParams(1, 0, nullptr, nullptr); }},
        {"GetDbiLdNameFromDb", [&] { return GetDbiLdNameFromDb(1, "t.dbf", &locale); }},
        {"DbiSetPrivateDir", [&] { return DbiSetPrivateDir("/tmp"); }},
        {"DbiCloseIndex", [&] { return DbiCloseIndex(table, "tel0.idx", 0); }},
        {"DbiVerifyField", [&] { return DbiVerifyField(table, 1, "x", &blank); }},
        {"DbiAddPassword", [&] { return DbiAddPassword("secret"); }},
        {"DbiDropPassword", [&] { return DbiDropPassword("secret"); }},
        {"DbiQAlloc", [&] { return DbiQAlloc(1, 0, &statement); }},
        {"DbiBeginDelayedUpdates", [&] { return DbiBeginDelayedUpdates(&cursor); }},
        {"DbiEndDelayedUpdates", [&] { return DbiEndDelayedUpdates(&cursor); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        EXPECT_EQ(c.call(), kOk);
        EXPECT_EQ(messages, std::vector<std::string>{
                                std::string("This BDE function not supported in this xBase "
                                            "layer: ") +
                                c.name});
    }
    EXPECT_EQ(cursor, table);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(FixedAnswers, Properties) {
    int32_t mode = -1;
    uint16_t length = 0;
    ASSERT_EQ(DbiGetProp(table, kPropTranslateMode, &mode, sizeof mode, &length), kOk);
    EXPECT_EQ(mode, 2);
    ASSERT_EQ(DbiSetProp(table, kPropTranslateMode, 0), kOk);
    ASSERT_EQ(DbiGetProp(table, kPropTranslateMode, &mode, sizeof mode, &length), kOk);
    EXPECT_EQ(mode, 0);

    char type[32] = "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz";
    ASSERT_EQ(DbiGetProp(1, kPropDatabaseType, type, sizeof type, &length), kOk);
    EXPECT_STREQ(type, "STANDARD");
    EXPECT_EQ(length, 8);
    char small[4] = "zzz";
    ASSERT_EQ(DbiGetProp(1, kPropDatabaseType, small, sizeof small, &length), kOk);
    EXPECT_STREQ(small, "STA");

    for (uint32_t quiet : {0x20002u, 0x20003u, 0x2000Cu, 0x04040009u, 0xFF030001u}) {
        int32_t untouched = 77;
        EXPECT_EQ(DbiGetProp(table, quiet, &untouched, sizeof untouched, nullptr), kOk);
        EXPECT_EQ(untouched, 77);
    }
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(DbiGetProp(table, 0x00ABC123, &mode, sizeof mode, nullptr), kOk);
    EXPECT_EQ(DbiGetProp(table, 0xFFFFFFFF, &mode, sizeof mode, nullptr), kOk);
    EXPECT_EQ(messages, (std::vector<std::string>{"DbiGetProp: iProp = 00ABC123",
                                                  "DbiGetProp: iProp = FFFFFFFF"}));

    EXPECT_EQ(DbiSetProp(table, 0x20002, 5), kOk);
    EXPECT_EQ(WorkAreaOf(table)->translateMode, 0);
}

}  // namespace
}  // namespace xbase::testing
