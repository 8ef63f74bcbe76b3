#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/field.h"
#include "platform/db/field_defs.h"
#include "platform/db/field_kinds.h"
#include "platform/rtl/date_time.h"
#include "xbase/db_errors.h"
#include "xbase/tests/dataset_fixture.h"

namespace xbase::testing {
namespace {

using Names = std::vector<std::string>;

TEST_F(RealTables, FieldKindsFollowTheTableFields) {
    MakeTable(
        "SOORTEN.DBF",
        {"TEKST:C:12", "KLEIN:N:4", "VIJF:N:5", "BEDRAG:N:8:2", "DATUM:D", "VLAG:L", "MEMO:M"},
        {{{"TEKST", "x"}}});
    TestTable& t = Table("SOORTEN.DBF");
    t.Open();
    struct Expect {
        const char* name;
        db::TFieldType type;
        int size;
    };
    const std::vector<Expect> expected = {
        {"TEKST", db::ftString, 12}, {"KLEIN", db::ftSmallint, 0}, {"VIJF", db::ftFloat, 0},
        {"BEDRAG", db::ftFloat, 0},  {"DATUM", db::ftDate, 0},     {"VLAG", db::ftBoolean, 0},
        {"MEMO", db::ftMemo, 1},
    };
    ASSERT_EQ(t.FieldDefs().Count(), static_cast<int>(expected.size()));
    ASSERT_EQ(t.FieldCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < t.FieldCount(); ++i) {
        const Expect& e = expected[static_cast<std::size_t>(i)];
        const db::TFieldDef& def = t.FieldDefs()[i];
        EXPECT_EQ(def.Name(), e.name);
        EXPECT_EQ(def.DataType(), e.type) << e.name;
        EXPECT_EQ(def.Size(), e.size) << e.name;
        EXPECT_EQ(def.FieldNo(), i + 1);
        EXPECT_EQ(t.Fields()[i].FieldName(), e.name);
        EXPECT_EQ(t.Fields()[i].DataType(), e.type) << e.name;
    }
    EXPECT_NE(dynamic_cast<db::TMemoField*>(t.FindField("MEMO")), nullptr);
}

TEST_F(RealTables, AMemoHoldingBinaryBytesStaysAMemo) {
    MakeTable("BINAIR.DBF", {"NAAM:C:5", "MEMO:M"}, {{{"NAAM", "a"}}});
    // A zero byte before the end makes content binary to the engine.
    const std::string path = folder + "BINAIR.DBF";
    const int32_t area = Engine().sx_Use(path.c_str(), "BIN", SX_EXCLUSIVE, SX_FOX);
    ASSERT_GT(area, 0);
    Engine().sx_Go(1);
    const char bytes[] = {'a', '\0', 'b', 'c'};
    Engine().sx_PutBlob("MEMO", bytes, sizeof bytes);
    Engine().sx_Commit();
    Engine().sx_Close();

    TestTable& t = Table("BINAIR.DBF");
    for (int run = 0; run < 2; ++run) {
        t.Open();
        EXPECT_EQ(t.FieldByName("MEMO").DataType(), db::ftMemo) << "open " << run;
        t.Close();
    }
}

TEST_F(RealTables, ARepeatedFieldNameGetsACounter) {
    MakeTable("DUBBEL.DBF", {"NAAM:C:10", "NAAN:C:10", "PLAATS:C:10"}, {});
    // The second field descriptor's name starts at 32 + 32 bytes of the header.
    Patch("DUBBEL.DBF", 64 + 3, "M");
    TestTable& t = Table("DUBBEL.DBF");
    t.Open();
    ASSERT_EQ(t.FieldCount(), 3);
    EXPECT_EQ(t.Fields()[0].FieldName(), "NAAM");
    EXPECT_EQ(t.Fields()[1].FieldName(), "NAAM_1");
    EXPECT_EQ(t.Fields()[2].FieldName(), "PLAATS");
    EXPECT_EQ(t.FieldByName("naam_1").FieldNo(), 2);
}

TEST_F(RealTables, TextIsUtf8InTheProgramAndWindows1252InTheTable) {
    MakeTable("NAMEN.DBF", {"NAAM:C:10"}, {});
    TestTable& t = Table("NAMEN.DBF");
    t.Open();
    t.Append();
    t.FieldByName("NAAM").SetAsString("Müller");
    t.Post();
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Müller");
    t.Close();

    EXPECT_EQ(StoredBytes("NAMEN.DBF", 1, 1, 10), std::string("M\xFCller    "));
    t.Open();
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Müller");
}

TEST_F(RealTables, ValuesOfEachKindRoundTrip) {
    MakeTable("WAARDEN.DBF", {"KLEIN:N:4", "BEDRAG:N:8:2", "DATUM:D", "VLAG:L", "NAAM:C:5"}, {});
    TestTable& t = Table("WAARDEN.DBF");
    t.Open();
    const double day = rtl::EncodeDate(1999, 12, 31);
    t.Append();
    t.FieldByName("KLEIN").SetAsInteger(-123);
    t.FieldByName("BEDRAG").SetAsFloat(1234.5);
    t.FieldByName("DATUM").SetAsDateTime(day);
    t.FieldByName("VLAG").SetAsBoolean(true);
    t.Post();
    t.Append();
    t.Post();
    t.Close();

    EXPECT_EQ(StoredBytes("WAARDEN.DBF", 1, 1, 4 + 8 + 8 + 1),
              std::string("-123 1234.5019991231T"));
    t.Open();
    t.First();
    EXPECT_EQ(t.FieldByName("KLEIN").AsInteger(), -123);
    EXPECT_DOUBLE_EQ(t.FieldByName("BEDRAG").AsFloat(), 1234.5);
    EXPECT_DOUBLE_EQ(t.FieldByName("DATUM").AsDateTime(), day);
    EXPECT_TRUE(t.FieldByName("VLAG").AsBoolean());
    // A record appended with nothing set holds blanks, which read as Null.
    t.Next();
    for (const char* name : {"KLEIN", "BEDRAG", "DATUM", "NAAM"}) {
        EXPECT_TRUE(t.FieldByName(name).IsNull()) << name;
    }
}

TEST_F(RealTables, ANumberTooWideForItsFieldRaisesTheEngineError) {
    MakeTable("SMAL.DBF", {"KLEIN:N:4"}, {});
    TestTable& t = Table("SMAL.DBF");
    t.Open();
    t.Append();
    EXPECT_EQ(ErrorOf([&] { t.FieldByName("KLEIN").SetAsInteger(12345); }), "IDAPI Error : 10019");
    EXPECT_TRUE(t.FieldByName("KLEIN").IsNull());
}

TEST_F(RealTables, FieldDataOutsideEditingIsRefused) {
    MakeFive();
    TestTable& t = Table("VIJF.DBF");
    t.Open();
    EXPECT_EQ(ErrorOf([&] { t.FieldByName("NAAM").SetAsString("x"); }),
              "Dataset not in edit or insert mode");
    t.FieldByName("NUMMER").SetReadOnly(true);
    t.Edit();
    EXPECT_EQ(ErrorOf([&] { t.FieldByName("NUMMER").SetAsString("9"); }),
              "Field 'NUMMER' cannot be modified");
    t.Cancel();
}

TEST_F(RealTables, SetKeyStateWritesTheKeyBufferOnly) {
    MakeFive();
    TestTable& t = Table("VIJF.DBF");
    t.Open();
    t.SetKeyBuffer(TBDEDataSet::kiLookup, true);
    EXPECT_EQ(t.State(), db::dsSetKey);
    t.FieldByName("NAAM").SetAsString("Vier");
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Vier");
    t.Post();
    EXPECT_EQ(t.State(), db::dsBrowse);
    EXPECT_EQ(t.KeyBuffer(TBDEDataSet::kiLookup)->modified, 1);
    EXPECT_EQ(std::string(t.KeyRecord(TBDEDataSet::kiLookup) + 1, 4), "Vier");
    // The record shown is untouched.
    EXPECT_EQ(t.FieldByName("NAAM").AsString(), "Een");

    t.SetKeyBuffer(TBDEDataSet::kiLookup, false);
    t.FieldByName("NAAM").SetAsString("Twee");
    t.Cancel();
    EXPECT_EQ(std::string(t.KeyRecord(TBDEDataSet::kiLookup) + 1, 4), "Vier");
}

}  // namespace
}  // namespace xbase::testing
