// Fields that the engine keeps in its own text form go through its value calls, with the
// caller's record in the engine's buffer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/date_time.h"
#include "xbase/tests/fake_table_fixture.h"

namespace xbase::testing {
namespace {

class TextFormFields : public FakeTableTest {
  protected:
    TextFormFields() {
        OpenTable({{{"T", 'C', 5, 0, true},
                    {"D", 'D', 8, 0, true},
                    {"L", 'L', 1, 0, true},
                    {"F", 'N', 6, 2, true}},
                   {}});
        engineOwn = std::string("*") + std::string(20, 'e');
        std::copy(engineOwn.begin(), engineOwn.end(), fake.Buffer());
        record = std::string(" abc  20240229T 12.50");
    }

    std::string EngineBytes() { return std::string(fake.Buffer(), engineOwn.size()); }

    std::string engineOwn;
    std::string record;
};

TEST_F(TextFormFields, ReadsTheCallersRecordThroughTheEngine) {
    char text[6] = "xxxxx";
    ASSERT_EQ(DbiGetField(table, 1, record.data(), text, nullptr), kOk);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(fake.CountOf("sx_GetTrimString"), 1);

    rtl::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
    int32_t day = 0;
    ASSERT_EQ(DbiGetField(table, 2, record.data(), &day, nullptr), kOk);
    EXPECT_EQ(day, static_cast<int32_t>(rtl::EncodeDate(2024, 2, 29)) + rtl::kDateDelta);
    rtl::ResetFormatSettings();

    int16_t on = 0;
    ASSERT_EQ(DbiGetField(table, 3, record.data(), &on, nullptr), kOk);
    EXPECT_EQ(on, 1);
    double amount = 0;
    ASSERT_EQ(DbiGetField(table, 4, record.data(), &amount, nullptr), kOk);
    EXPECT_EQ(amount, 12.5);
    EXPECT_EQ(EngineBytes(), engineOwn);
}

TEST_F(TextFormFields, PutsGoIntoTheCallersRecordNotTheEngines) {
    std::string mine = record;
    ASSERT_EQ(DbiPutField(table, 1, mine.data(), "xy"), kOk);
    EXPECT_EQ(mine.substr(1, 5), "xy   ");
    EXPECT_EQ(EngineBytes(), engineOwn);

    // A date keeps its four-digit year, with the century on only for the call.
    const int32_t day = static_cast<int32_t>(rtl::EncodeDate(1949, 3, 7)) + rtl::kDateDelta;
    ASSERT_EQ(DbiPutField(table, 2, mine.data(), &day), kOk);
    ASSERT_FALSE(fake.replaces.empty());
    EXPECT_EQ(fake.replaces.back().kind, SX_R_DATESTR);
    EXPECT_EQ(fake.replaces.back().value, "03/07/1949");
    EXPECT_EQ(fake.centuries, (std::vector<sx_bool>{1, 0}));
    EXPECT_EQ(mine.substr(6, 8), "19490307");

    const int16_t off = 0;
    ASSERT_EQ(DbiPutField(table, 3, mine.data(), &off), kOk);
    EXPECT_EQ(fake.replaces.back().kind, SX_R_LOGICAL);
    EXPECT_EQ(mine.substr(14, 1), "F");
    const double amount = 7.5;
    ASSERT_EQ(DbiPutField(table, 4, mine.data(), &amount), kOk);
    EXPECT_EQ(fake.replaces.back().kind, SX_R_DOUBLE);
    EXPECT_EQ(EngineBytes(), engineOwn);
    // The rest of the caller's record is as it was.
    EXPECT_EQ(mine[0], ' ');
}

}  // namespace
}  // namespace xbase::testing
