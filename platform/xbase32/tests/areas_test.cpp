#include <cctype>

#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

using AreasTest = EngineTest;

TEST_F(AreasTest, VersionCarriesAnAcceptedNumberAtCharactersSevenAndEight) {
    const std::string v = sx_Version();
    ASSERT_GE(v.size(), 8u);
    ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(v[6])) &&
                std::isdigit(static_cast<unsigned char>(v[7])))
        << v;
    EXPECT_GE(std::stoi(v.substr(6, 2)), 40);
}

TEST_F(AreasTest, UseTakesTheLowestFreeAreaSelectedAndAtTop) {
    const std::string path = Create("a.DBF", "NAME:C:4");
    Open(path);
    AppendTexts({"x"});
    AppendTexts({"y"});
    sx_CloseAll();
    EXPECT_EQ(Open(path, SX_SHARED, "P"), 1);
    EXPECT_EQ(Open(path, SX_SHARED, "Q"), 2);
    EXPECT_EQ(Open(path, SX_SHARED, "R"), 3);
    sx_Select(2);
    sx_Close();
    EXPECT_EQ(sx_Alias(2), std::string());
    const int again = Open(path, SX_SHARED, "S");
    EXPECT_EQ(again, 2);
    EXPECT_EQ(sx_WorkArea(nullptr), 2) << "the new area is current";
    EXPECT_EQ(sx_RecNo(), 1);
    EXPECT_FALSE(sx_Bof());
    EXPECT_STREQ(sx_GetTrimString("NAME"), "x");
}

TEST_F(AreasTest, AliasesSelectAndNameAreas) {
    const std::string path = Create("Phone.DBF", "NAME:C:4");
    EXPECT_EQ(Open(path, SX_SHARED), 1);
    EXPECT_STREQ(sx_Alias(1), "Phone") << "the default alias is the base name";
    EXPECT_EQ(Open(path, SX_SHARED, "OTHER"), 2);
    EXPECT_EQ(sx_WorkArea("other"), 2);
    EXPECT_EQ(sx_WorkArea("PHONE"), 1);
    EXPECT_EQ(sx_WorkArea("nothing"), 0);
    EXPECT_EQ(sx_WorkArea(""), 2);
    EXPECT_EQ(sx_Use(path.c_str(), "Other", SX_SHARED, SX_FOX), 0) << "alias in use";
    EXPECT_EQ(sx_Select(1), 2);
    EXPECT_EQ(sx_WorkArea(nullptr), 1);
    EXPECT_STREQ(sx_Alias(0), "Phone");
    EXPECT_STREQ(sx_BaseName(), "Phone");
    EXPECT_EQ(sx_Select(77), 1);
    EXPECT_EQ(sx_RecCount(), 0);
    EXPECT_STRNE(sx_LastErrorText(), "") << "no table in area 77";
}

TEST_F(AreasTest, RefusesWhatItCannotOpen) {
    const std::string path = Create("r.DBF", "NAME:C:4");
    struct {
        const char* name;
        std::string path;
        int mode, driver;
        const char* mentions;
    } cases[] = {
        {"Ntx", path, SX_SHARED, SX_NTX, "NTX"},
        {"Nsx", path, SX_SHARED, SX_NSX, "NSX"},
        {"Driver9", path, SX_SHARED, 9, "driver"},
        {"Mode3", path, 3, SX_FOX, "mode"},
        {"Missing", Path("none.DBF"), SX_SHARED, SX_FOX, "does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sx_Use(c.path.c_str(), nullptr, c.mode, c.driver), 0);
        EXPECT_NE(std::string(sx_LastErrorText()).find(c.mentions), std::string::npos)
            << sx_LastErrorText();
    }
}

TEST_F(AreasTest, TwoHundredFiftyFiveAreasAndNoMore) {
    const std::string path = Create("many.DBF", "NAME:C:4");
    for (int n = 1; n <= 255; ++n) {
        ASSERT_EQ(sx_Use(path.c_str(), ("A" + std::to_string(n)).c_str(), SX_SHARED, SX_FOX), n);
    }
    EXPECT_EQ(sx_Use(path.c_str(), "LAST", SX_SHARED, SX_FOX), 0);
    EXPECT_STRNE(sx_LastErrorText(), "");
    sx_CloseAll();
    EXPECT_STREQ(sx_Alias(255), "");
    EXPECT_EQ(sx_SysProp(65002, 1), 0);
}

TEST_F(AreasTest, StructureByNameAndNumber) {
    Open(Create("s.DBF", "NAME:C:20,AMOUNT:N:9:2,BORN:D,OK:L,NOTE:M"));
    EXPECT_EQ(sx_FieldCount(), 5);
    EXPECT_EQ(sx_RecSize(), 1 + 20 + 9 + 8 + 1 + 10);
    struct {
        const char* name;
        int num;
        const char* type;
        int width, decimals, offset;
    } cases[] = {{"NAME", 1, "C", 20, 0, 2},  {"amount", 2, "N", 9, 2, 22},
                 {"Born", 3, "D", 8, 0, 31},  {"OK", 4, "L", 1, 0, 39},
                 {"NOTE", 5, "M", 10, 0, 40}, {"MISSING", 0, "", 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sx_FieldNum(c.name), c.num);
        EXPECT_STREQ(sx_FieldType(c.name), c.type);
        EXPECT_EQ(sx_FieldWidth(c.name), c.width);
        EXPECT_EQ(sx_FieldDecimals(c.name), c.decimals);
        EXPECT_EQ(sx_FieldOffset(c.name), c.offset);
        if (c.num != 0) {
            std::string upper = c.name;
            for (auto& ch : upper) {
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            }
            EXPECT_STREQ(sx_FieldName(c.num), upper.c_str());
        }
    }
    EXPECT_STREQ(sx_FieldName(6), "");
    EXPECT_STREQ(sx_FieldName(0), "");
}

TEST_F(AreasTest, SystemProperties) {
    const std::string path = Create("p.DBF", "NAME:C:4");
    EXPECT_EQ(sx_SysProp(65000, 0), 0) << "no buffer without a table";
    const int area = Open(path, SX_SHARED);
    const intptr_t buffer = sx_SysProp(65000, 0);
    EXPECT_NE(buffer, 0);
    AppendTexts({"a"});
    AppendTexts({"b"});
    sx_GoTop();
    sx_Skip(1);
    EXPECT_EQ(sx_SysProp(65000, 0), buffer) << "the buffer stays where it is";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer) + 1, 1), "b");
    EXPECT_EQ(sx_SysProp(65002, area), 1);
    EXPECT_EQ(sx_SysProp(65002, area + 1), 0);
    EXPECT_EQ(sx_SysProp(65012, 1), 0);
    // Setting answers the old value; codes without meaning here are kept as given.
    for (int32_t code : {65005, 1007, 1009, 1305, 4242}) {
        SCOPED_TRACE(code);
        const intptr_t old = sx_SysProp(code, 7);
        EXPECT_EQ(sx_SysProp(code, old), 7);
    }
}

TEST_F(AreasTest, SettingsAnswerTheirOldValues) {
    EXPECT_EQ(sx_ErrorLevel(2), 1);
    EXPECT_EQ(sx_ErrorLevel(1), 2);
    // Exact starts on, so that FIELD = 'value' filters keep only equal values.
    EXPECT_EQ(sx_SetExact(0), 1);
    EXPECT_EQ(sx_SetExact(1), 0);
    EXPECT_EQ(sx_SetSoftSeek(1), 0);
    EXPECT_EQ(sx_SetSoftSeek(0), 1);
    EXPECT_EQ(sx_IsEncrypted(0), 0);
    EXPECT_EQ(sx_IsEncrypted(1), 0);
    sx_SetMemoBlockSize(0);
    EXPECT_STRNE(sx_LastErrorText(), "");
}

}  // namespace
}  // namespace xbtest
