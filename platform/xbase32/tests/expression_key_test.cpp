#include "platform/xbase32/expression_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "platform/xbase32/tests/expression_fixture.h"

namespace xb {
namespace {

using testing::SampleFields;
using testing::SampleRecord;

TEST(NumericKey, ByteOrderIsNumericOrder) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> wide(-1e12, 1e12);
    std::uniform_real_distribution<double> narrow(-2.0, 2.0);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  0.5,
                                  -0.5,
                                  1e-300,
                                  -1e-300,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::lowest(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity()};
    for (int i = 0; i < 500; ++i) {
        values.push_back(wide(rng));
        values.push_back(std::round(narrow(rng) * 100) / 100);
    }
    for (const double a : values) {
        const std::string ka = EncodeNumericKey(a);
        ASSERT_EQ(ka.size(), 8u);
        EXPECT_EQ(DecodeNumericKey(ka), a);
        for (const double b : {values[0], values[3], values[100], values[501], values[777]}) {
            const int bytes = ka.compare(EncodeNumericKey(b));
            const int numbers = a < b ? -1 : (a > b ? 1 : 0);
            EXPECT_EQ(bytes < 0 ? -1 : (bytes > 0 ? 1 : 0), numbers) << a << " vs " << b;
        }
    }
    EXPECT_EQ(EncodeNumericKey(0.0), EncodeNumericKey(-0.0));
}

class KeyExpressionTest : public ::testing::Test {
  protected:
    std::string Key(const std::string& expression, const EvalSettings& s = {}) {
        return KeyExpression::Compile(expression, fields_).KeyOf(RecordRef{record_, 3}, s);
    }
    std::vector<FieldDesc> fields_ = SampleFields();
    std::string record_ = SampleRecord();
};

TEST_F(KeyExpressionTest, KeysOfEachType) {
    struct Case {
        const char* expression;
        std::size_t length;
        std::string key;
    };
    const Case cases[] = {
        {"naam", 20, "Jansen              "},
        {"NAAM", 20, "Jansen              "},
        {"naam + ''", 20, "Jansen              "},  // evaluated, not copied: the same bytes
        {"TRIM(naam)", 20, "Jansen              "},
        {"UPPER(voornaam)", 10, "JAN       "},
        {"LEFT(naam, 3)", 3, "Jan"},
        {"TRIM(voornaam) + naam", 30, "JanJansen                     "},
        {"aantal", 8, EncodeNumericKey(42)},
        {"bedrag * 2", 8, EncodeNumericKey(25)},
        {"RECNO()", 8, EncodeNumericKey(3)},
        {"datum", 8, "20240229"},
        {"geen", 8, "        "},
        {"actief", 1, "T"},
        {"EMPTY(naam)", 1, "F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        const KeyExpression k = KeyExpression::Compile(c.expression, fields_);
        EXPECT_EQ(k.KeyLength(), c.length);
        EXPECT_EQ(k.KeyOf(RecordRef{record_, 3}, {}), c.key);
    }
}

TEST_F(KeyExpressionTest, LongTextKeysKeepEveryByte) {
    fields_ = {{"NAAM", 'C', 150, 0, 1}};
    std::string name(150, 'x');
    name[149] = 'y';
    record_ = " " + name;
    const KeyExpression k = KeyExpression::Compile("naam", fields_);
    EXPECT_EQ(k.KeyLength(), 150u);
    EXPECT_EQ(k.KeyOf(RecordRef{record_, 1}, {}), name);
    EXPECT_EQ(Key("UPPER(naam)"), std::string(149, 'X') + "Y");
    // A bulk build collects keys one after the other.
    std::string keys = "before";
    k.AppendKeyOf(RecordRef{record_, 1}, {}, keys);
    KeyExpression::Compile("LEFT(naam, 2)", fields_).AppendKeyOf(RecordRef{record_, 1}, {}, keys);
    EXPECT_EQ(keys, "before" + name + "xx");
}

TEST_F(KeyExpressionTest, SeekTextBecomesKeyBytes) {
    struct Case {
        const char* expression;
        const char* text;
        bool exact;
        std::string key;
    };
    const Case cases[] = {
        {"naam", "Jan", true, "Jan" + std::string(17, ' ')},
        {"naam", "Jan", false, "Jan"},
        {"naam", "", false, ""},
        {"naam", "abcdefghijklmnopqrstuvwxyz", false, "abcdefghijklmnopqrst"},
        {"aantal", "42", true, EncodeNumericKey(42)},
        {"aantal", " 42 ", false, EncodeNumericKey(42)},
        {"bedrag", "-4.5", true, EncodeNumericKey(-4.5)},
        {"aantal", "", true, EncodeNumericKey(0)},
        {"datum", "20240229", true, "20240229"},
        {"datum", "02/29/2024", true, "20240229"},
        {"datum", "02/29/24", true, "19240229"},  // the default epoch 1900
        {"datum", "2024", false, "2024"},
        {"datum", "", true, "        "},
        {"actief", ".T.", true, "T"},
        {"actief", "t", true, "T"},
        {"actief", "F", true, "F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.expression) + " <- '" + c.text + "'");
        EvalSettings s;
        s.exact = c.exact;
        EXPECT_EQ(KeyExpression::Compile(c.expression, fields_).SeekKey(c.text, s), c.key);
    }
}

TEST_F(KeyExpressionTest, KeyTextReadsBack) {
    const KeyExpression bedrag = KeyExpression::Compile("bedrag", fields_);
    EXPECT_EQ(bedrag.KeyText(bedrag.KeyOf(RecordRef{record_, 1}, {})), "12.50");
    const KeyExpression aantal = KeyExpression::Compile("aantal", fields_);
    EXPECT_EQ(aantal.KeyText(aantal.KeyOf(RecordRef{record_, 1}, {})), "42");
    EXPECT_EQ(aantal.SeekKey(aantal.KeyText(EncodeNumericKey(-17)), {}), EncodeNumericKey(-17));
    const KeyExpression naam = KeyExpression::Compile("naam", fields_);
    EXPECT_EQ(naam.KeyText(naam.KeyOf(RecordRef{record_, 1}, {})), "Jansen              ");
}

TEST_F(KeyExpressionTest, FailuresAreExpressionErrors) {
    EXPECT_THROW(KeyExpression::Compile("naam +", fields_), ExpressionError);
    const KeyExpression k = KeyExpression::Compile("aantal / (aantal - 42)", fields_);
    EXPECT_THROW(k.KeyOf(RecordRef{record_, 1}, {}), ExpressionError);
}

}  // namespace
}  // namespace xb
