// The engine settings component over an engine that records what reaches it.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/component.h"
#include "platform/rtl/date_time.h"
#include "platform/rtl/exception.h"
#include "xbase/engine_api.h"
#include "xbase/xbase_env.h"

namespace xbase::testing {
namespace {

// Every settings call with its argument; other calls are not bound.
std::vector<std::pair<std::string, int32_t>> sent;

EngineApi SettingsEngine() {
    EngineApi api;
    api.sx_SetExact = [](sx_bool v) -> sx_bool {
        sent.emplace_back("sx_SetExact", v);
        return 0;
    };
    api.sx_SetCentury = [](sx_bool v) -> sx_bool {
        sent.emplace_back("sx_SetCentury", v);
        return 0;
    };
    api.sx_SetEpoch = [](int32_t v) -> int32_t {
        sent.emplace_back("sx_SetEpoch", v);
        return 0;
    };
    api.sx_SetDateFormat = [](int32_t v) { sent.emplace_back("sx_SetDateFormat", v); };
    api.sx_SetLockTimeout = [](int32_t v) { sent.emplace_back("sx_SetLockTimeout", v); };
    api.sx_SetMemoBlockSize = [](int32_t v) { sent.emplace_back("sx_SetMemoBlockSize", v); };
    api.sx_SetSoftSeek = [](sx_bool v) -> sx_bool {
        sent.emplace_back("sx_SetSoftSeek", v);
        return 0;
    };
    api.sx_SetDeleted = [](sx_bool v) { sent.emplace_back("sx_SetDeleted", v); };
    return api;
}

class XbaseEnvTest : public ::testing::Test {
  protected:
    XbaseEnvTest() : api_(SettingsEngine()) {
        sent.clear();
        rtl::ResetFormatSettings();
        BindEngine(&api_);
    }
    ~XbaseEnvTest() override {
        BindEngine(nullptr);
        rtl::ResetFormatSettings();
    }

    std::string ShortDate() const { return rtl::FormatSettings().ShortDateFormat; }
    char Separator() const { return rtl::FormatSettings().DateSeparator; }

  private:
    EngineApi api_;
};

TEST_F(XbaseEnvTest, ASecondOneIsRefusedAndTheFirstStays) {
    db::TComponent form;
    auto* first = new TXbaseEnv(&form);
    EXPECT_EQ(TXbaseEnv::Instance(), first);
    try {
        new TXbaseEnv(&form);
        ADD_FAILURE() << "a second one was made";
    } catch (const rtl::Exception& e) {
        EXPECT_STREQ(e.what(), "Removing extra TXbaseEnv component");
    }
    EXPECT_THROW(TXbaseEnv(nullptr), rtl::Exception);
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(TXbaseEnv::Instance(), first);
    first->SetDeleted(true);
    EXPECT_TRUE(first->Deleted());
    EXPECT_EQ(sent.back(), std::make_pair(std::string("sx_SetDeleted"), -1));

    delete first;
    EXPECT_EQ(TXbaseEnv::Instance(), nullptr);
    EXPECT_EQ(form.ComponentCount(), 0);
    TXbaseEnv again(nullptr);
    EXPECT_EQ(TXbaseEnv::Instance(), &again);
}

TEST_F(XbaseEnvTest, ConstructionTakesTheDefaultsAndSendsNothing) {
    for (bool owned : {true, false}) {
        SCOPED_TRACE(owned ? "with an owner" : "without an owner");
        db::TComponent form;
        TXbaseEnv env(owned ? &form : nullptr);
        EXPECT_FALSE(env.Exact());
        EXPECT_FALSE(env.Century());
        EXPECT_EQ(env.Epoch(), 1900);
        EXPECT_EQ(env.DateFormat(), dfWinDefault);
        EXPECT_EQ(env.LockTimeout(), 1);
        EXPECT_EQ(env.MemoBlockSize(), 64);
        EXPECT_FALSE(env.SoftSeek());
        EXPECT_FALSE(env.Deleted());
        EXPECT_EQ(form.ComponentCount(), owned ? 1 : 0);
        form.RemoveComponent(&env);
    }
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(ShortDate(), "m/d/yy");
}

TEST_F(XbaseEnvTest, EachWriterSendsItsValueOnce) {
    struct Case {
        const char* call;
        std::function<void(TXbaseEnv&)> write;
        int32_t sentValue;
        std::function<bool(const TXbaseEnv&)> stored;
    };
    const std::vector<Case> cases = {
        {"sx_SetExact", [](TXbaseEnv& e) { e.SetExact(true); }, -1,
         [](const TXbaseEnv& e) { return e.Exact(); }},
        {"sx_SetExact", [](TXbaseEnv& e) { e.SetExact(false); }, 0,
         [](const TXbaseEnv& e) { return !e.Exact(); }},
        {"sx_SetSoftSeek", [](TXbaseEnv& e) { e.SetSoftSeek(true); }, -1,
         [](const TXbaseEnv& e) { return e.SoftSeek(); }},
        {"sx_SetDeleted", [](TXbaseEnv& e) { e.SetDeleted(true); }, -1,
         [](const TXbaseEnv& e) { return e.Deleted(); }},
        {"sx_SetDeleted", [](TXbaseEnv& e) { e.SetDeleted(false); }, 0,
         [](const TXbaseEnv& e) { return !e.Deleted(); }},
        {"sx_SetLockTimeout", [](TXbaseEnv& e) { e.SetLockTimeout(7); }, 7,
         [](const TXbaseEnv& e) { return e.LockTimeout() == 7; }},
        {"sx_SetMemoBlockSize", [](TXbaseEnv& e) { e.SetMemoBlockSize(512); }, 512,
         [](const TXbaseEnv& e) { return e.MemoBlockSize() == 512; }},
        {"sx_SetCentury", [](TXbaseEnv& e) { e.SetCentury(true); }, -1,
         [](const TXbaseEnv& e) { return e.Century(); }},
        {"sx_SetDateFormat", [](TXbaseEnv& e) { e.SetDateFormat(dfGerman); }, 4,
         [](const TXbaseEnv& e) { return e.DateFormat() == dfGerman; }},
        {"sx_SetDateFormat", [](TXbaseEnv& e) { e.SetDateFormat(dfAmerican); }, 0,
         [](const TXbaseEnv& e) { return e.DateFormat() == dfAmerican; }},
        {"sx_SetDateFormat", [](TXbaseEnv& e) { e.SetDateFormat(dfWinDefault); }, 99,
         [](const TXbaseEnv& e) { return e.DateFormat() == dfWinDefault; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " " + std::to_string(c.sentValue));
        TXbaseEnv env;
        sent.clear();
        c.write(env);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].first, c.call);
        EXPECT_EQ(sent[0].second, c.sentValue);
        EXPECT_TRUE(c.stored(env));
    }
}

TEST_F(XbaseEnvTest, EpochIsHeldToTheEnginesRange) {
    const std::vector<std::pair<int, int>> cases = {
        {0, 1900},    {50, 100},    {99, 100},    {100, 100},   {-5, 100},
        {1950, 1950}, {2999, 2999}, {3000, 2999}, {5000, 2999}, {70000, 2999}};
    TXbaseEnv env;
    for (const auto& [given, kept] : cases) {
        SCOPED_TRACE(given);
        sent.clear();
        env.SetEpoch(given);
        EXPECT_EQ(env.Epoch(), kept);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], std::make_pair(std::string("sx_SetEpoch"), kept));
    }
}

TEST_F(XbaseEnvTest, DateFormatAndCenturySetTheShortDateFormat) {
    struct Case {
        TXbaseDateFrmt format;
        char separator;
        const char* narrow;
        const char* wide;
    };
    const std::vector<Case> cases = {
        {dfAmerican, '/', "mm/dd/yy", "mm/dd/yyyy"}, {dfAnsi, '.', "yy.mm.dd", "yyyy.mm.dd"},
        {dfBritish, '/', "dd/mm/yy", "dd/mm/yyyy"},  {dfFrench, '/', "dd/mm/yy", "dd/mm/yyyy"},
        {dfGerman, '.', "dd.mm.yy", "dd.mm.yyyy"},   {dfItalian, '-', "dd-mm-yy", "dd-mm-yyyy"},
        {dfSpanish, '-', "dd-mm-yy", "dd-mm-yyyy"},  {dfWinDefault, '/', "m/d/yy", "m/d/yyyy"},
    };
    for (const Case& c : cases) {
        for (bool century : {false, true}) {
            SCOPED_TRACE(std::to_string(c.format) + (century ? " with century" : ""));
            rtl::FormatSettings().ShortDateFormat = "yyyy-mm-dd";
            rtl::FormatSettings().DateSeparator = '?';
            TXbaseEnv env;
            env.SetCentury(century);
            sent.clear();
            env.SetDateFormat(c.format);
            EXPECT_EQ(Separator(), c.separator);
            EXPECT_EQ(ShortDate(), century ? c.wide : c.narrow);
            // The century goes to the engine again after the format when it is on.
            ASSERT_EQ(sent.size(), century ? 2u : 1u);
            if (century) {
                EXPECT_EQ(sent[1], std::make_pair(std::string("sx_SetCentury"), -1));
            }
        }
    }
}

TEST_F(XbaseEnvTest, CenturyWidensOrNarrowsTheFirstYear) {
    struct Case {
        const char* before;
        bool on;
        const char* after;
    };
    const std::vector<Case> cases = {
        {"dd-mm-yy", true, "dd-mm-yyyy"},   {"yyyy-mm-dd", false, "yy-mm-dd"},
        {"yyyy-mm-dd", true, "yyyy-mm-dd"}, {"dd-mm-yy", false, "dd-mm-yy"},
        {"dd/mm", true, "dd/mm"},           {"yy yy", true, "yyyy yy"},
        {"yyyy yyyy", false, "yy yyyy"},
    };
    TXbaseEnv env;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + (c.on ? " on" : " off"));
        rtl::FormatSettings().ShortDateFormat = c.before;
        env.SetCentury(c.on);
        EXPECT_EQ(ShortDate(), c.after);
        EXPECT_EQ(env.Century(), c.on);
    }
}

}  // namespace
}  // namespace xbase::testing
