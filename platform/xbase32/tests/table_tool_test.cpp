#include <sstream>

#include "platform/xbase32/tests/engine_fixture.h"
#include "platform/xbase32/tests/reference_dbf.h"

namespace xbtest {
namespace {

TEST(FieldSpecs, ParsesTypesWidthsAndDecimals) {
    const auto fields = xb::ParseFieldSpecs({"name:C:20, AMOUNT:N:10:2", "BORN:D", "OK:L,NOTE:M"});
    ASSERT_EQ(fields.size(), 5u);
    struct {
        const char* name;
        char type;
        int width, decimals;
    } expected[] = {{"NAME", 'C', 20, 0},
                    {"AMOUNT", 'N', 10, 2},
                    {"BORN", 'D', 8, 0},
                    {"OK", 'L', 1, 0},
                    {"NOTE", 'M', 10, 0}};
    for (size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].name, expected[i].name);
        EXPECT_EQ(fields[i].type, expected[i].type);
        EXPECT_EQ(fields[i].width, expected[i].width);
        EXPECT_EQ(fields[i].decimals, expected[i].decimals);
    }
}

TEST(FieldSpecs, RefusesWhatNoTableCanHold) {
    for (const char* bad :
         {"", "NAME", "NAME:C", "NAME:C:0", "NAME:C:255", "NAME:X:5", "TOOLONGNAME1:C:5",
          "1NAME:C:5", "NA-ME:C:5", "N:N:5:4", "D:D:8", "A:C:5,A:C:6", "N:N:abc"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(xb::ParseFieldSpecs({bad}), std::exception);
    }
}

using TableToolTest = EngineTest;

TEST_F(TableToolTest, CreatesAndDumpsATable) {
    const std::string path = Path("t.DBF");
    std::ostringstream out, err;
    ASSERT_EQ(xb::RunTableTool({"create", path, "NAME:C:6,NOTE:M"}, out, err), 0) << err.str();
    Open(path);
    AppendTexts({"Zo\xEB"});
    ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "line one\r\nline two"));
    AppendTexts({"gone"});
    ASSERT_TRUE(sx_Delete());
    sx_CloseAll();

    ASSERT_EQ(xb::RunTableTool({"dump", path}, out, err), 0) << err.str();
    const std::string dump = out.str();
    for (const char* expected :
         {"version 0xF5", "records 2", "code page 0x03", "block size 64", "   1 NAME       C   6",
          "   2 NOTE       M  10", "1   NAME=[Zo\xC3\xAB] NOTE=[line one\\r\\nline two]",
          "2 * NAME=[gone] NOTE=[]"}) {
        EXPECT_NE(dump.find(expected), std::string::npos) << expected << "\n" << dump;
    }
    EXPECT_EQ(xb::RunTableTool({"dump", Path("none.DBF")}, out, err), 1);
    EXPECT_EQ(xb::RunTableTool({"create", path}, out, err), 2);
    EXPECT_EQ(xb::RunTableTool({"create", path, "BAD"}, out, err), 1);
}

struct ShippedTable {
    const char* file;
    std::vector<std::pair<std::string, int>> fields;  // name, width; MEMO is the memo
};

void PrintTo(const ShippedTable& t, std::ostream* os) {
    *os << t.file;
}

class ProgramFolderTest : public ::testing::TestWithParam<ShippedTable> {};

TEST_P(ProgramFolderTest, HoldsTheEmptyTableWithItsMemoFile) {
    const std::string path = std::string(BELVERIN_PROGRAM_DIR) + "/" + GetParam().file;
    const refdbf::Table t = refdbf::Read(path);
    EXPECT_EQ(t.version, 0xF5);
    EXPECT_EQ(t.headerCount, 0u);
    EXPECT_TRUE(t.endMark);
    EXPECT_EQ(t.memoBlockSize, 64);
    ASSERT_EQ(t.fields.size(), GetParam().fields.size());
    for (size_t i = 0; i < t.fields.size(); ++i) {
        const auto& [name, width] = GetParam().fields[i];
        EXPECT_EQ(t.fields[i].name, name);
        EXPECT_EQ(t.fields[i].type, name == "MEMO" ? 'M' : 'C');
        EXPECT_EQ(t.fields[i].width, width);
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, ProgramFolderTest,
                         ::testing::Values(ShippedTable{"belverintel.DBF",
                                                        {{"NUMMER", 20},
                                                         {"VOORNAAM", 20},
                                                         {"NAAM", 150},
                                                         {"AANHANGSEL", 15},
                                                         {"STRAAT", 50},
                                                         {"POSTCODE", 7},
                                                         {"PLAATS", 50},
                                                         {"EXTRA", 50},
                                                         {"AFWIJZEN", 10},
                                                         {"GELUID", 20},
                                                         {"TIJD", 10},
                                                         {"CMDLINE", 100},
                                                         {"KLEUR", 20},
                                                         {"FONTKLEUR", 20},
                                                         {"OMSCHR", 50},
                                                         {"MEMO", 10},
                                                         {"ZOEKSTATUS", 50}}},
                                           ShippedTable{"belverinlog.DBF",
                                                        {{"DATUM", 10},
                                                         {"TIJD", 10},
                                                         {"NUMMER", 20},
                                                         {"VOORNAAM", 20},
                                                         {"NAAM", 150},
                                                         {"AANHANGSEL", 15},
                                                         {"STRAAT", 50},
                                                         {"POSTCODE", 7},
                                                         {"PLAATS", 50},
                                                         {"MSN", 15},
                                                         {"SOORT", 25},
                                                         {"ZOEKSTATUS", 50},
                                                         {"CAPISTATUS", 50},
                                                         {"MEMO", 10}}}),
                         [](const ::testing::TestParamInfo<ShippedTable>& info) {
                             std::string n = info.param.file;
                             return n.substr(0, n.find('.'));
                         });

}  // namespace
}  // namespace xbtest
