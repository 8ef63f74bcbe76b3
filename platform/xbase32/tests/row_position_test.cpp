#include <functional>
#include <string>
#include <vector>

#include "platform/xbase32/engine.h"
#include "platform/xbase32/tests/child_process.h"
#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

// Records read from table files so far.
intptr_t ReadsSoFar() {
    return sx_SysProp(xb::kPropRecordsRead, 0);
}

class RowPositionTest : public EngineTest {
  protected:
    // n records NAME "k<(n*7) % 97>", every third one deleted when asked.
    void Fill(int n, bool deleteSome) {
        Open(Create("rows.DBF", "NAME:C:8,PLAATS:C:8"), SX_EXCLUSIVE);
        for (int i = 1; i <= n; ++i) {
            AppendTexts({"k" + std::to_string((i * 7) % 97), i % 2 ? "Ede" : "Zwolle"});
            if (deleteSome && i % 3 == 0) {
                ASSERT_TRUE(sx_Delete());
            }
        }
    }

    // Positions agree with the walk both ways, past the end gives 0, and the cursor stays.
    void ExpectPositionsFollowTheWalk(const char* what) {
        SCOPED_TRACE(what);
        const std::vector<int> walk = Walk();
        sx_GoTop();
        sx_Skip(2);
        const int standing = sx_RecNo();
        ASSERT_EQ(sx_Count(), static_cast<int>(walk.size()));
        for (size_t i = 0; i < walk.size(); ++i) {
            ASSERT_EQ(sx_RecNoAtPosition(static_cast<int32_t>(i + 1)), walk[i]) << i;
            ASSERT_EQ(sx_PositionOfRecNo(walk[i]), static_cast<int32_t>(i + 1)) << i;
        }
        EXPECT_EQ(sx_RecNoAtPosition(static_cast<int32_t>(walk.size() + 1)), 0);
        EXPECT_EQ(sx_RecNoAtPosition(0), 0);
        EXPECT_EQ(sx_RecNo(), standing);
    }
};

TEST_F(RowPositionTest, PositionsFollowNavigationInEveryView) {
    Fill(60, true);
    struct Case {
        const char* name;
        std::function<void()> set;
    };
    const std::string index = Path("rows.idx");
    const Case cases[] = {
        {"natural, deleted shown", [] { sx_SetDeleted(0); }},
        {"natural, deleted hidden", [] { sx_SetDeleted(1); }},
        {"name index", [&] { ASSERT_NE(sx_Index(index.c_str(), "NAME", 0, 0, nullptr), 0); }},
        {"name descending", [&] { ASSERT_NE(sx_Index(index.c_str(), "NAME", 0, 1, nullptr), 0); }},
        {"filter", [] { ASSERT_TRUE(sx_Query("PLAATS = \"Ede\"")); }},
        {"scope", [] { sx_SetScope("k2", "k5"); }},
        {"after append, delete and a key that moves",
         [this] {
             AppendTexts({"k00", "Ede"});
             sx_Go(4);
             ASSERT_TRUE(sx_Delete());
             sx_Go(5);
             ASSERT_TRUE(sx_Replace("NAME", SX_R_CHAR, "zz"));
         }},
    };
    for (const Case& c : cases) {
        c.set();
        ExpectPositionsFollowTheWalk(c.name);
    }
    // A record navigation would not visit has no position.
    sx_Query("");
    sx_SetScope(nullptr, nullptr);
    sx_SetDeleted(1);
    EXPECT_EQ(sx_PositionOfRecNo(3), 0);
    ASSERT_TRUE(sx_Query("PLAATS = \"Ede\""));
    EXPECT_EQ(sx_PositionOfRecNo(2), 0);
    EXPECT_EQ(sx_PositionOfRecNo(9999), 0);
}

TEST_F(RowPositionTest, NothingHiddenReadsNoRecord) {
    Fill(2000, false);
    const std::string index = Path("rows.idx");
    ASSERT_NE(sx_Index(index.c_str(), "NAME", 0, 0, nullptr), 0);
    // The index build saw that no record is deleted; hiding deleted ones hides nothing.
    sx_SetDeleted(1);
    const intptr_t before = ReadsSoFar();
    EXPECT_EQ(sx_Count(), 2000);
    const int middle = sx_RecNoAtPosition(1000);
    EXPECT_EQ(sx_PositionOfRecNo(middle), 1000);
    EXPECT_EQ(ReadsSoFar(), before);

    // Our own delete is followed: the answers then come from one pass, kept until a write.
    sx_Go(middle);
    ASSERT_TRUE(sx_Delete());
    EXPECT_EQ(sx_Count(), 1999);
    const intptr_t afterPass = ReadsSoFar();
    EXPECT_EQ(sx_PositionOfRecNo(middle), 0);
    sx_RecNoAtPosition(1500);
    EXPECT_EQ(ReadsSoFar(), afterPass);

    // The pack removes it; nothing can hide a record again.
    ASSERT_TRUE(sx_Pack());
    const intptr_t afterPack = ReadsSoFar();
    EXPECT_EQ(sx_Count(), 1999);
    EXPECT_NE(sx_RecNoAtPosition(1999), 0);
    EXPECT_EQ(ReadsSoFar(), afterPack);
}

TEST_F(RowPositionTest, AHiddenRecordIsAnsweredWithoutAPass) {
    Fill(2000, false);
    const std::string index = Path("rows.idx");
    ASSERT_NE(sx_Index(index.c_str(), "NAME", 0, 0, nullptr), 0);
    sx_SetDeleted(1);
    // Each delete drops the pass; asking about the deleted record reads only that record.
    for (int recno : {10, 700, 1500}) {
        sx_Go(recno);
        ASSERT_TRUE(sx_Delete());
        const intptr_t before = ReadsSoFar();
        EXPECT_EQ(sx_PositionOfRecNo(recno), 0);
        EXPECT_LE(ReadsSoFar() - before, 1);
    }
    ASSERT_TRUE(sx_Query("PLAATS = \"Ede\""));
    const intptr_t before = ReadsSoFar();
    EXPECT_EQ(sx_PositionOfRecNo(2), 0);
    EXPECT_LE(ReadsSoFar() - before, 1);
    ExpectPositionsFollowTheWalk("after the deletes, filtered");
}

// The pass follows this process's own deletes, recalls, edits and appends in every open, and
// still sees what another process appends and edits.
TEST_F(RowPositionTest, PassFollowsWritesOfEveryOpen) {
    const std::string path = Create("rows.DBF", "NAME:C:8,PLAATS:C:8");
    const std::string index = Path("rows.idx");
    struct View {
        const char* name;
        std::function<void()> set;
    };
    const View views[] = {
        {"natural", [] {}},
        {"name index", [&] { ASSERT_NE(sx_Index(index.c_str(), "NAME", 0, 0, nullptr), 0); }},
        {"descending, filtered",
         [&] {
             ASSERT_NE(sx_Index(index.c_str(), "NAME", 0, 1, nullptr), 0);
             ASSERT_TRUE(sx_Query("PLAATS = \"Ede\""));
         }},
        {"scope",
         [&] {
             ASSERT_NE(sx_Index(index.c_str(), "NAME", 0, 0, nullptr), 0);
             sx_SetScope("k2", "k6");
         }},
    };
    // Sets the deletion flag of a record through the given area.
    const auto flag = [](int area, int recno, char mark) {
        sx_Select(area);
        sx_Go(recno);
        std::vector<char> record(static_cast<size_t>(sx_RecSize()));
        sx_GetRecord(record.data());
        record[0] = mark;
        ASSERT_TRUE(sx_PutRecord(record.data())) << sx_LastErrorText();
    };
    for (const View& view : views) {
        SCOPED_TRACE(view.name);
        sx_CloseAll();
        std::filesystem::remove(index);
        xb::DbfTable::Create(path, xb::ParseFieldSpecs({"NAME:C:8,PLAATS:C:8"}), 64);
        const int a = Open(path, SX_SHARED, "A");
        for (int i = 1; i <= 120; ++i) {
            AppendTexts({"k" + std::to_string((i * 7) % 97), i % 2 ? "Ede" : "Zwolle"});
        }
        sx_Unlock(0);
        sx_SetDeleted(1);
        const int b = Open(path, SX_SHARED, "B");
        sx_Select(a);
        view.set();
        ExpectPositionsFollowTheWalk("start");

        struct Step {
            const char* name;
            bool own;  // a write of area A, which the pass follows without a read
            std::function<void()> write;
        };
        const Step steps[] = {
            {"first delete, which makes the pass", false, [&] { flag(a, 7, '*'); }},
            {"delete another", true, [&] { flag(a, 40, '*'); }},
            {"recall", true, [&] { flag(a, 7, ' '); }},
            {"edit outside the key", true,
             [&] {
                 sx_Select(a);
                 sx_Go(9);
                 ASSERT_TRUE(sx_Replace("PLAATS", SX_R_CHAR, "Zwolle"));
             }},
            {"edit of the key", false,
             [&] {
                 sx_Select(a);
                 sx_Go(11);
                 ASSERT_TRUE(sx_Replace("NAME", SX_R_CHAR, "k3z"));
             }},
            {"append", false,
             [&] {
                 sx_Select(a);
                 AppendTexts({"k4a", "Ede"});
                 sx_Unlock(0);
             }},
            {"delete in the other open", false, [&] { flag(b, 12, '*'); }},
            {"append in the other open", false,
             [&] {
                 sx_Select(b);
                 AppendTexts({"k5b", "Ede"});
                 sx_Unlock(0);
             }},
            {"recall in the other open", false, [&] { flag(b, 40, ' '); }},
            {"append by another process", false,
             [&] {
                 const pid_t child = Spawn([&] {
                     sx_CloseAll();
                     if (sx_Use(path.c_str(), nullptr, SX_SHARED, SX_FOX) == 0 ||
                         sx_AppendEx() != 0 || !sx_Replace("NAME", SX_R_CHAR, "k2c") ||
                         !sx_Replace("PLAATS", SX_R_CHAR, "Ede")) {
                         return 2;
                     }
                     sx_CloseAll();
                     return 0;
                 });
                 ASSERT_EQ(ExitStatus(child), 0);
             }},
            {"delete after them", true, [&] { flag(a, 3, '*'); }},
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            step.write();
            sx_Select(a);
            if (step.own) {
                const intptr_t before = ReadsSoFar();
                const int count = sx_Count();
                const int last = sx_RecNoAtPosition(count);
                EXPECT_EQ(sx_PositionOfRecNo(last), count);
                EXPECT_EQ(ReadsSoFar(), before) << "the pass was made again";
            }
            ExpectPositionsFollowTheWalk("after the write");
        }
        // A fresh open makes its pass from the file alone and agrees.
        const int count = sx_Count();
        std::vector<int> positions;
        for (int p = 1; p <= count; ++p) {
            positions.push_back(sx_RecNoAtPosition(p));
        }
        sx_Select(b);
        sx_Close();
        sx_Select(a);
        sx_Close();
        Open(path, SX_SHARED, "C");
        view.set();
        ASSERT_EQ(sx_Count(), count);
        for (int p = 1; p <= count; ++p) {
            ASSERT_EQ(sx_RecNoAtPosition(p), positions[static_cast<size_t>(p - 1)]) << p;
        }
    }
}

}  // namespace
}  // namespace xbtest
