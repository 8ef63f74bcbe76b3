#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/db/database_error.h"
#include "platform/db/field_kinds.h"
#include "platform/db/holdable_text.h"
#include "platform/db/tests/data_set_fixture.h"
#include "platform/rtl/date_time.h"
#include "platform/rtl/exception.h"

namespace db::testing {
namespace {

// The bytes a text field holds in its record.
std::string StoredText(TField& field) {
    std::vector<char> buffer(static_cast<std::size_t>(field.DataSize()), '\x7f');
    if (!field.GetData(buffer.data())) {
        return "<null>";
    }
    return std::string(buffer.data());
}

class Fields : public ::testing::Test {
  protected:
    Fields() : people(1) {
        // The monitor's own date settings.
        rtl::FormatSettings().ShortDateFormat = "yyyy-mm-dd";
        rtl::FormatSettings().DateSeparator = '-';
        people.table->Edit();
    }
    ~Fields() override { rtl::ResetFormatSettings(); }
    PeopleTable people;
};

TEST_F(Fields, TextIsUtf8InTheProgramAndWindows1252InTheRecord) {
    struct Case {
        std::string set;
        std::string read;
        std::string stored;
    };
    const Case cases[] = {
        {"Müller", "Müller", "M\xFCller"},
        {"€ 5", "€ 5", "\x80 5"},
        {"日本", "??", "??"},
        {"abcdefghijkl", "abcdefghij", "abcdefghij"},            // cut to the width of 10
        {"ééééééééééé", "éééééééééé", std::string(10, '\xE9')},  // cut by characters
        {"", "", ""},
    };
    TField& naam = people.Field("NAAM");
    for (const Case& c : cases) {
        naam.SetAsString(c.set);
        EXPECT_EQ(naam.AsString(), c.read) << c.set;
        EXPECT_EQ(StoredText(naam), c.stored) << c.set;
    }
}

TEST_F(Fields, ReadingAndWritingBackNeverChangesStoredBytes) {
    TField& naam = people.Field("NAAM");
    std::string every;
    for (int b = 0x20; b < 0x100; b += 23) {
        every += static_cast<char>(b);
    }
    for (const std::string& stored :
         {std::string("\x81\x8D\x8F\x90\x9D"), every.substr(0, 10), every.substr(5, 10)}) {
        naam.SetData(stored.c_str());
        naam.SetAsString(naam.AsString());
        EXPECT_EQ(StoredText(naam), stored.substr(0, 10));
    }
}

TEST_F(Fields, SmallintKeepsToItsRange) {
    TField& id = people.Field("ID");
    id.SetAsString(" 12 ");
    EXPECT_EQ(id.AsInteger(), 12);
    EXPECT_EQ(id.AsString(), "12");
    std::int16_t native = 0;
    ASSERT_TRUE(id.GetData(&native));
    EXPECT_EQ(native, 12);
    id.SetAsInteger(-32768);
    EXPECT_EQ(id.AsInteger(), -32768);
    try {
        id.SetAsInteger(32768);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(
            e.Message(),
            "32768 is not a valid value for field 'ID'. The allowed range is -32768 to 32767");
    }
    EXPECT_EQ(id.AsInteger(), -32768);
    EXPECT_THROW(id.SetAsString("12a"), rtl::EConvertError);
    id.SetAsFloat(41.6);
    EXPECT_EQ(id.AsInteger(), 42);
    id.SetAsString("");
    EXPECT_TRUE(id.IsNull());
    EXPECT_TRUE(IsNullValue(id.Value()));
}

TEST_F(Fields, FloatAndCurrencyReadAsNumbers) {
    TField& bedrag = people.Field("BEDRAG");
    bedrag.SetAsString("12.5");
    EXPECT_DOUBLE_EQ(bedrag.AsFloat(), 12.5);
    EXPECT_EQ(bedrag.AsString(), "12.5");
    EXPECT_EQ(bedrag.AsInteger(), 13);
    EXPECT_EQ(bedrag.Value(), TFieldValue(12.5));
    EXPECT_THROW(bedrag.SetAsString("1,2,3"), rtl::EConvertError);
    EXPECT_THROW(bedrag.AsBoolean(), EDatabaseError);

    TCurrencyField currency(nullptr);
    EXPECT_EQ(currency.DataType(), ftCurrency);
    EXPECT_TRUE(currency.Currency());
}

TEST_F(Fields, BooleanTakesAnyStartOfTrueOrFalse) {
    TField& actief = people.Field("ACTIEF");
    struct Case {
        const char* text;
        bool value;
    };
    for (const Case c : {Case{"t", true}, Case{"TRUE", true}, Case{"Tr", true}, Case{"f", false},
                         Case{"fAlSe", false}}) {
        actief.SetAsString(c.text);
        EXPECT_EQ(actief.AsBoolean(), c.value) << c.text;
        EXPECT_EQ(actief.AsString(), c.value ? "True" : "False") << c.text;
    }
    try {
        actief.SetAsString("ja");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "'ja' is not a valid boolean value for field 'ACTIEF'");
    }
    try {
        (void)actief.AsInteger();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot access field 'ACTIEF' as type Integer");
    }
    actief.SetAsString("");
    EXPECT_TRUE(actief.IsNull());
}

TEST_F(Fields, DateHoldsTheDayNumber) {
    TField& datum = people.Field("DATUM");
    datum.SetAsString("1999-12-31");
    std::int32_t day = 0;
    ASSERT_TRUE(datum.GetData(&day));
    // 2000-01-01 is date value 36526; the day number adds the days up to 1899-12-30.
    EXPECT_EQ(day, 36525 + 693594);
    EXPECT_DOUBLE_EQ(datum.AsDateTime(), 36525);
    EXPECT_EQ(datum.AsString(), "1999-12-31");
    datum.SetAsDateTime(36526.75);  // the time of day is dropped
    EXPECT_EQ(datum.AsString(), "2000-01-01");
    for (const char* bad : {"1999-02-30", "31-12", "1999-13-01", "morgen"}) {
        EXPECT_THROW(datum.SetAsString(bad), rtl::EConvertError) << bad;
    }
    EXPECT_EQ(datum.AsString(), "2000-01-01");
}

TEST(DateValues, DayNumbersAndTexts) {
    struct Case {
        int y, m, d;
        double value;
    };
    for (const Case c : {Case{1899, 12, 30, 0}, Case{1900, 3, 1, 61}, Case{2000, 2, 29, 36585},
                         Case{1, 1, 1, 1 - rtl::kDateDelta}, Case{1800, 1, 1, -36522}}) {
        EXPECT_DOUBLE_EQ(rtl::EncodeDate(c.y, c.m, c.d), c.value);
        int y = 0, m = 0, d = 0;
        rtl::DecodeDate(c.value, y, m, d);
        EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{c.y, c.m, c.d}));
    }
    EXPECT_THROW(rtl::EncodeDate(2023, 2, 29), rtl::EConvertError);
}

TEST_F(Fields, MemoConvertsTextAndBinaryKeepsBytes) {
    auto& memo = dynamic_cast<TBlobField&>(people.Field("MEMO"));
    auto& data = dynamic_cast<TBlobField&>(people.Field("DATA"));
    EXPECT_EQ(memo.DisplayText(), "(Memo)");
    memo.SetAsString("Müller\r\nStraße ist länger dan tien");
    EXPECT_EQ(memo.AsString(), "Müller\r\nStraße ist länger dan tien") << "no width for memos";
    EXPECT_EQ(memo.Bytes(),
              "M\xFCller\r\nStra\xDF"
              "e ist l\xE4nger dan tien");
    EXPECT_EQ(memo.DisplayText(), "(MEMO)");
    EXPECT_TRUE(memo.Modified());
    EXPECT_TRUE(people.table->Modified()) << "the blob stream reports its write";
    const std::string raw("\xFC\x00\x01\xFF", 4);
    data.SetAsString(raw);
    EXPECT_EQ(data.AsString(), raw);
    people.table->Post();
    EXPECT_FALSE(memo.Modified());
    EXPECT_EQ(memo.AsString(), "Müller\r\nStraße ist länger dan tien");
    EXPECT_EQ(data.BlobSize(), 4);
    people.table->Edit();
    memo.Clear();
    EXPECT_TRUE(memo.IsNull());
    people.table->Cancel();
    EXPECT_FALSE(memo.IsNull());
}

// A form asks before it stores: text and memo fields name what Windows-1252 lacks; fields
// that keep no text, and binary blobs, hold any text they take.
TEST_F(Fields, CheckHoldableNamesWhatTheFieldCannotStore) {
    struct Case {
        const char* field;
        std::string text;
        std::string message;  // empty: holdable
    };
    const std::string lach = "\xF0\x9F\x98\x80";
    const Case cases[] = {
        {"NAAM", "Zo\xC3\xAB \xE2\x82\xAC", ""},
        {"NAAM", "a" + lach + "b" + lach,
         "Dit teken kan niet worden opgeslagen in NAAM: " + lach + " (U+1F600). Pas de tekst aan."},
        {"MEMO", "\xE2\x98\x83 \xE2\x80\x8D",
         "Deze tekens kunnen niet worden opgeslagen in MEMO: \xE2\x98\x83 (U+2603), "
         "\xE2\x80\x8D (U+200D). Pas de tekst aan."},
        {"MEMO",
         "Stra\xC3\x9F"
         "e\r\n",
         ""},
        {"DATA", lach, ""},
        {"ID", lach, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        const TField& field = people.Field(c.field);
        if (c.message.empty()) {
            EXPECT_NO_THROW(CheckHoldable(field, c.text));
            continue;
        }
        try {
            CheckHoldable(field, c.text);
            ADD_FAILURE() << "not refused";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(FieldLists, FieldsFollowTheDefinitionsAndAreFoundWithoutRegardToCase) {
    PeopleTable people;
    TDataSet& table = *people.table;
    ASSERT_EQ(table.FieldCount(), table.FieldDefs().Count());
    for (int i = 0; i < table.FieldCount(); ++i) {
        EXPECT_EQ(table.Fields()[i].FieldName(), table.FieldDefs()[i].Name());
        EXPECT_EQ(table.Fields()[i].FieldNo(), i + 1);
        EXPECT_EQ(table.Fields()[i].Index(), i);
    }
    EXPECT_EQ(&table.FieldByName("naam"), &table.Fields()[1]);
    EXPECT_EQ(table.FindField("NaAm"), &table.Fields()[1]);
    EXPECT_EQ(table.FindField("ONBEKEND"), nullptr);
    try {
        (void)table.FieldByName("ONBEKEND");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "t1: Field 'ONBEKEND' not found");
    }
    EXPECT_EQ(table.GetFieldList("id; naam").size(), 2u);
    EXPECT_THROW(table.FieldDefs().Add("naam", ftString, 5), EDatabaseError);
    EXPECT_EQ(table.Fields()[1].DisplayLabel(), "NAAM");
    EXPECT_EQ(table.Fields()[1].DisplayWidth(), 10);
}

TEST(FieldLists, DefaultFieldsComeAndGoWithOpening) {
    PeopleTable people;
    EXPECT_TRUE(people.table->DefaultFields());
    people.table->Close();
    EXPECT_EQ(people.table->FieldCount(), 0);
    people.table->Open();
    EXPECT_EQ(people.table->FieldCount(), 7);
}

TEST(FieldLists, PersistentFieldsStayAndMustMatchTheirDefinition) {
    TMemoryDataSet table;
    table.FieldDefs().Add("NAAM", ftString, 10);
    table.FieldDefs().Add("ID", ftSmallint);
    auto* naam = new TStringField(&table, 10);
    naam->SetFieldName("NAAM");
    naam->SetDataSet(&table);
    table.Open();
    EXPECT_FALSE(table.DefaultFields());
    EXPECT_EQ(table.FieldCount(), 1) << "only the persistent field";
    EXPECT_EQ(naam->FieldNo(), 1);
    table.Close();
    EXPECT_EQ(table.FieldCount(), 1);

    auto* wrong = new TSmallintField(&table);
    wrong->SetFieldName("naam2");
    wrong->SetDataSet(&table);
    table.FieldDefs().Add("NAAM2", ftString, 4);
    EXPECT_THROW(table.Open(), EDatabaseError);
    EXPECT_FALSE(table.Active());
    delete wrong;
    table.Open();
    EXPECT_TRUE(table.Active());
}

TEST(FieldLists, CalculatedFieldsFollowTheirSources) {
    TMemoryDataSet table;
    table.FieldDefs().Add("NAAM", ftString, 10);
    auto* naam = new TStringField(&table, 10);
    naam->SetFieldName("NAAM");
    naam->SetDataSet(&table);
    auto* groet = new TStringField(&table, 20);
    groet->SetFieldName("GROET");
    groet->SetFieldKind(fkCalculated);
    groet->SetDataSet(&table);
    int runs = 0;
    table.OnCalcFields = [&](TDataSet& data_set) {
        ++runs;
        data_set.FieldByName("GROET").SetAsString("dag " + data_set.FieldByName("NAAM").AsString());
    };
    table.Open();
    table.Append();
    naam->SetAsString("Jan");
    EXPECT_EQ(groet->AsString(), "dag Jan");
    table.Post();
    table.Append();
    naam->SetAsString("Piet");
    table.Post();
    table.First();
    EXPECT_EQ(groet->AsString(), "dag Jan");
    table.Next();
    EXPECT_EQ(groet->AsString(), "dag Piet");
    EXPECT_GT(runs, 0);
}

}  // namespace
}  // namespace db::testing
