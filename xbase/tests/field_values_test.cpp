// Native field values from and into raw records of a table with one field of each kind.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/rtl/date_time.h"
#include "platform/rtl/exception.h"
#include "xbase/tests/real_table_fixture.h"

namespace xbase::testing {
namespace {

enum Field : uint16_t { kText = 1, kDate, kFlag, kSmall, kAmount, kName, kWhole };

class FieldValues : public RealTable {
  protected:
    void SetUp() override {
        RealTable::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Create("v.dbf", {"T:C:5", "D:D", "L:L", "I:N:4", "F:N:6:2", "W:C:6", "G:N:8"});
        table = Open("v.dbf");
        ASSERT_GT(table, 0);
        record = Blank(table);
    }
    void TearDown() override {
        rtl::ResetFormatSettings();
        RealTable::TearDown();
    }

    // The field's stored bytes in the record.
    std::string Stored(uint16_t field) {
        const FieldDescriptor& d = fields[field - 1];
        Engine().sx_Select(table);
        const auto width = static_cast<size_t>(Engine().sx_FieldWidth(d.name.c_str()));
        return std::string(record.data() + d.offset - 1, width);
    }
    void SetStored(uint16_t field, const std::string& bytes) {
        std::memcpy(record.data() + fields[field - 1].offset - 1, bytes.data(), bytes.size());
    }

    template <typename T>
    T Get(uint16_t field, bool* blank = nullptr) {
        T value{};
        bool isBlank = false;
        EXPECT_EQ(DbiGetField(table, field, record.data(), &value, &isBlank), kOk);
        if (blank != nullptr)
            *blank = isBlank;
        return value;
    }
    std::string GetText(uint16_t field, bool* blank = nullptr) {
        std::vector<char> value(16, 'x');
        bool isBlank = false;
        EXPECT_EQ(DbiGetField(table, field, record.data(), value.data(), &isBlank), kOk);
        if (blank != nullptr)
            *blank = isBlank;
        return isBlank ? std::string() : std::string(value.data());
    }

    static int32_t Day(int y, int m, int d) {
        return static_cast<int32_t>(rtl::EncodeDate(y, m, d)) + rtl::kDateDelta;
    }

    CursorHandle table = 0;
    std::vector<char> record;
};

TEST_F(FieldValues, TextsReadWithoutTrailingBlanksAndKeepTheirBytes) {
    struct Case {
        std::string put;
        std::string stored;
        std::string read;
    };
    const Case cases[] = {
        {"abc", "abc  ", "abc"},
        {"abcdefg", "abcde", "abcde"},  // cut to the width
        {" a b", " a b ", " a b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.put);
        ASSERT_EQ(DbiPutField(table, kText, record.data(), c.put.c_str()), kOk);
        EXPECT_EQ(Stored(kText), c.stored);
        EXPECT_EQ(GetText(kText), c.read);
    }
    // Windows-1252 bytes: six letters are six bytes.
    const std::string mueller = "M\xFCller";
    ASSERT_EQ(DbiPutField(table, kName, record.data(), mueller.c_str()), kOk);
    EXPECT_EQ(Stored(kName), mueller);
    EXPECT_EQ(GetText(kName), mueller);
}

TEST_F(FieldValues, AllBlankFieldsReadAsBlankAndLeaveTheValue) {
    for (uint16_t f : {kText, kDate, kFlag, kSmall, kAmount}) {
        SCOPED_TRACE(f);
        double value = 42.0;
        bool blank = false;
        ASSERT_EQ(DbiGetField(table, f, record.data(), &value, &blank), kOk);
        EXPECT_TRUE(blank);
        EXPECT_EQ(value, 42.0);
    }
    // Without a value the answer only tells blank.
    bool blank = true;
    SetStored(kText, "x    ");
    ASSERT_EQ(DbiGetField(table, kText, record.data(), nullptr, &blank), kOk);
    EXPECT_FALSE(blank);
}

TEST_F(FieldValues, DatesAreDayNumbersStoredWithTheirOwnYear) {
    SetStored(kDate, "19991231");
    EXPECT_EQ(Get<int32_t>(kDate), 730119);

    // Century off and epoch 1950 change nothing: the year is known.
    const sx_bool century = Engine().sx_SetCentury(0);
    const int32_t epoch = Engine().sx_SetEpoch(1950);
    for (int year : {1949, 2049, 2051, 1, 9999}) {
        SCOPED_TRACE(year);
        const int32_t day = Day(year, 6, 15);
        ASSERT_EQ(DbiPutField(table, kDate, record.data(), &day), kOk);
        char expected[9];
        std::snprintf(expected, sizeof expected, "%04d0615", year);
        EXPECT_EQ(Stored(kDate), expected);
        EXPECT_EQ(Get<int32_t>(kDate), day);
    }
    Engine().sx_SetEpoch(epoch);
    Engine().sx_SetCentury(century);

    ASSERT_EQ(DbiPutField(table, kDate, record.data(), nullptr), kOk);
    EXPECT_EQ(Stored(kDate), std::string(8, ' '));
    const int32_t beyond = Day(9999, 12, 31) + 1;
    EXPECT_EQ(DbiPutField(table, kDate, record.data(), &beyond), kNumberDoesNotFit);
}

TEST_F(FieldValues, LogicalsAndSmallIntegers) {
    for (int16_t on : {1, 0}) {
        ASSERT_EQ(DbiPutField(table, kFlag, record.data(), &on), kOk);
        EXPECT_EQ(Stored(kFlag), on ? "T" : "F");
        EXPECT_EQ(Get<int16_t>(kFlag), on);
    }
    struct Case {
        int16_t value;
        std::string stored;
    };
    for (const Case& c : {Case{42, "  42"}, Case{-123, "-123"}, Case{0, "   0"}}) {
        ASSERT_EQ(DbiPutField(table, kSmall, record.data(), &c.value), kOk);
        EXPECT_EQ(Stored(kSmall), c.stored);
        EXPECT_EQ(Get<int16_t>(kSmall), c.value);
    }
    const int16_t wide = 12345;
    EXPECT_EQ(DbiPutField(table, kSmall, record.data(), &wide), kNumberDoesNotFit);
    EXPECT_EQ(Stored(kSmall), "   0");
    ASSERT_EQ(DbiPutField(table, kSmall, record.data(), nullptr), kOk);
    EXPECT_EQ(Stored(kSmall), "    ");
}

TEST_F(FieldValues, NumbersLoseDecimalsToFitOrDoNotFitAtAll) {
    struct Case {
        double value;
        DbiResult result;
        std::string stored;  // of the field after the put
    };
    const Case cases[] = {
        {12.5, kOk, " 12.50"},
        {-1.25, kOk, " -1.25"},
        {1234.567, kOk, "1234.6"},
        {12345.4, kOk, " 12345"},
        {999999.99, kNumberDoesNotFit, " 12345"},  // rounds up beyond the width
        {1234567.0, kNumberDoesNotFit, " 12345"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(DbiPutField(table, kAmount, record.data(), &c.value), c.result);
        EXPECT_EQ(Stored(kAmount), c.stored);
    }
    ASSERT_EQ(DbiPutField(table, kAmount, record.data(), nullptr), kOk);
    EXPECT_EQ(Stored(kAmount), "  0.00");
    const double big = 12345678.0;
    ASSERT_EQ(DbiPutField(table, kWhole, record.data(), &big), kOk);
    EXPECT_EQ(Get<double>(kWhole), big);
}

TEST_F(FieldValues, StoredNumbersReadThroughTheDecimalSeparator) {
    SetStored(kAmount, " 12.50");
    EXPECT_EQ(Get<double>(kAmount), 12.5);
    rtl::FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(Get<double>(kAmount), 12.5);
    const double value = 3.25;
    ASSERT_EQ(DbiPutField(table, kAmount, record.data(), &value), kOk);
    EXPECT_EQ(Stored(kAmount), "  3.25");
}

TEST_F(FieldValues, RawValuesInABadFormRaiseTheConversionError) {
    struct Case {
        uint16_t field;
        std::string stored;
    };
    const Case cases[] = {
        {kAmount, " 12a.5"},
        {kSmall, " 1x2"},
        {kDate, "1999ab31"},
        {kDate, "19991331"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        record = Blank(table);
        SetStored(c.field, c.stored);
        double value = 0;
        EXPECT_THROW(DbiGetField(table, c.field, record.data(), &value, nullptr),
                     rtl::EConvertError);
    }
}

TEST_F(FieldValues, UnknownTablesAndFields) {
    char value[8];
    EXPECT_EQ(DbiGetField(99, kText, record.data(), value, nullptr), kNoSuchTable);
    EXPECT_EQ(DbiPutField(99, kText, record.data(), "x"), kNoSuchTable);
    EXPECT_EQ(DbiGetField(table, 0, record.data(), value, nullptr), kNotFound);
    EXPECT_EQ(DbiPutField(table, 8, record.data(), "x"), kNotFound);
}

}  // namespace
}  // namespace xbase::testing
