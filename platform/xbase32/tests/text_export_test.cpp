#include <fstream>
#include <iterator>

#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TextExportTest : public EngineTest {
  protected:
    // Five records in a descending NAAM order, the third deleted and hidden, the fifth left out
    // by the filter.
    void SetUp() override {
        EngineTest::SetUp();
        Open(Create("export.DBF", "NAAM:C:12,BEDRAG:N:7:2,NOTE:M,DATUM:D,ACTIEF:L,PLAATS:C:8"));
        struct Row {
            const char* naam;
            double bedrag;
            const char* datum;
            int32_t actief;
            const char* plaats;
        };
        const Row rows[] = {
            {"Jansen", 12.5, "20240229", 1, "Zwolle"},
            {"Zeg \"hoi\"", -3, "", 0, "Br\xEB"},
            {"Weg", 1, "20010101", 1, "x"},
            {"", 0, "", 0, ""},
            {"Filter", 99, "19991231", 1, "y"},
        };
        for (const Row& r : rows) {
            ASSERT_EQ(sx_AppendEx(), 0);
            ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, r.naam));
            ASSERT_TRUE(sx_Replace("BEDRAG", SX_R_DOUBLE, &r.bedrag));
            ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "not exported"));
            if (*r.datum != '\0') {
                ASSERT_TRUE(sx_Replace("DATUM", SX_R_DATESTR, r.datum));
            }
            ASSERT_TRUE(sx_Replace("ACTIEF", SX_R_LOGICAL, &r.actief));
            ASSERT_TRUE(sx_Replace("PLAATS", SX_R_CHAR, r.plaats));
        }
        sx_Go(3);
        ASSERT_TRUE(sx_Delete());
        sx_SetDeleted(1);
        ASSERT_NE(sx_Index(Path("naam.idx").c_str(), "naam", 0, 1, ""), 0);
        ASSERT_TRUE(sx_Query("bedrag < 50"));
    }
};

TEST_F(TextExportTest, WritesTheGoldenFiles) {
    struct Case {
        int kind;
        const char* golden;
    };
    for (const Case& c :
         {Case{SX_COPY_COMMA, "export_comma.txt"}, Case{SX_COPY_BLANK, "export_blank.txt"}}) {
        SCOPED_TRACE(c.golden);
        sx_Go(2);
        const std::string out = Path(c.golden);
        ASSERT_NE(sx_CopyFileText(out.c_str(), c.kind), 0) << sx_LastErrorText();
        EXPECT_EQ(ReadFile(out), ReadFile(std::string(BELVERIN_GOLDEN_DIR "/") + c.golden));
        EXPECT_EQ(sx_RecNo(), 2);  // the cursor stays
        EXPECT_FALSE(sx_Eof());
    }
    // At the end of the table the cursor stays there too.
    sx_GoBottom();
    sx_Skip(1);
    ASSERT_NE(sx_CopyFileText(Path("again.txt").c_str(), SX_COPY_COMMA), 0);
    EXPECT_TRUE(sx_Eof());
    EXPECT_EQ(ReadFile(Path("again.txt")), ReadFile(Path("export_comma.txt")));
}

TEST_F(TextExportTest, RefusesUnknownKindsAndUnwritableFiles) {
    EXPECT_EQ(sx_CopyFileText(Path("x.txt").c_str(), 20), 0);
    EXPECT_STRNE(sx_LastErrorText(), "");
    EXPECT_EQ(sx_CopyFileText(Path("no/such/dir/x.txt").c_str(), SX_COPY_COMMA), 0);
    EXPECT_STRNE(sx_LastErrorText(), "");
    EXPECT_EQ(sx_CopyFileText("", SX_COPY_BLANK), 0);
}

}  // namespace
}  // namespace xbtest
