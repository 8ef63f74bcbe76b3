#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/xbase32/pack.h"
#include "platform/xbase32/tests/engine_fixture.h"
#include "platform/xbase32/tests/reference_dbf.h"

namespace xbtest {
namespace {

std::string Id(int i) {
    char b[8];
    std::snprintf(b, sizeof b, "R%02d", i);
    return b;
}

// Record i's memo; every fifth record has none.
std::string MemoOf(int i) {
    return i % 5 == 0 ? std::string()
                      : std::string(static_cast<size_t>(i * 9), 'a' + i % 26) + Id(i);
}

class PackTest : public EngineTest {
  protected:
    // Thirty records; every third deleted; each memo written twice so that dead blocks exist.
    void Fill(const std::string& path) {
        Open(path);
        for (int i = 1; i <= 30; ++i) {
            AppendTexts({Id(i)});
            ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "a first text, written over"));
            ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, MemoOf(i).c_str()));
            if (i % 3 == 0) {
                ASSERT_TRUE(sx_Delete());
            }
        }
        sx_CloseAll();
    }

    // Each record carries its own memo; returns the ids in file order.
    std::vector<int> CheckWhole(const std::string& path) {
        const refdbf::Table t = refdbf::Read(path);
        EXPECT_EQ(t.headerCount, t.records.size());
        EXPECT_TRUE(t.endMark);
        std::vector<int> ids;
        for (const auto& r : t.records) {
            const int i = std::stoi(r.values[0].substr(1, 2));
            EXPECT_EQ(r.values[1], MemoOf(i)) << i;
            EXPECT_EQ(r.deleted, i % 3 == 0) << i;
            ids.push_back(i);
        }
        return ids;
    }

    static std::vector<int> Kept() {
        std::vector<int> ids;
        for (int i = 1; i <= 30; ++i) {
            if (i % 3 != 0) {
                ids.push_back(i);
            }
        }
        return ids;
    }

    static std::vector<int> All() {
        std::vector<int> ids;
        for (int i = 1; i <= 30; ++i) {
            ids.push_back(i);
        }
        return ids;
    }
};

TEST_F(PackTest, KeepsExactlyTheUndeletedRecordsWithTheirMemos) {
    const std::string path = Create("p.DBF", "ID:C:4,NOTE:M");
    Fill(path);
    const auto memoBefore = std::filesystem::file_size(Path("p.FPT"));
    Open(path);
    ASSERT_TRUE(sx_Pack()) << sx_LastErrorText();
    EXPECT_EQ(sx_RecCount(), 20);
    EXPECT_EQ(sx_RecNo(), 1) << "at the top after the pack";
    EXPECT_STREQ(sx_GetTrimString("ID"), "R01");
    // The area goes on working on the new files.
    AppendTexts({Id(31)});
    ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, MemoOf(31).c_str()));
    sx_Go(20);
    EXPECT_STREQ(sx_GetString("NOTE"), MemoOf(29).c_str());
    sx_CloseAll();

    std::vector<int> expected = Kept();
    expected.push_back(31);
    EXPECT_EQ(CheckWhole(path), expected);
    EXPECT_LT(std::filesystem::file_size(Path("p.FPT")), memoBefore) << "dead blocks are gone";
    EXPECT_EQ(Files(), (std::vector<std::string>{"p.DBF", "p.FPT"}));
}

TEST_F(PackTest, TableWithoutMemosPacksAlone) {
    const std::string path = Create("plain.DBF", "ID:C:4");
    Open(path);
    for (int i = 1; i <= 6; ++i) {
        AppendTexts({Id(i)});
        if (i % 2 == 0) {
            ASSERT_TRUE(sx_Delete());
        }
    }
    ASSERT_TRUE(sx_Pack()) << sx_LastErrorText();
    EXPECT_EQ(sx_RecCount(), 3);
    sx_GoBottom();
    EXPECT_STREQ(sx_GetTrimString("ID"), "R05");
    sx_CloseAll();
    EXPECT_EQ(Files(), (std::vector<std::string>{"plain.DBF"}));
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int g_steps = 0;
void CountStep(xb::PackStep) {
    ++g_steps;
}

// A pack may leave files as they are only where a real pack writes the same bytes: both are
// made from one table and compared byte for byte, memo file included.
TEST_F(PackTest, LeavesTheFilesAsTheyAreOnlyWhenAPackWouldChangeNothing) {
    struct Case {
        const char* name;
        const char* fields;
        std::function<void()> fill;
        int blockSize;
        bool kept;
    };
    auto add = [](int n) {
        for (int i = 1; i <= n; ++i) {
            ASSERT_EQ(sx_AppendEx(), 0);
            ASSERT_TRUE(sx_Replace("ID", SX_R_CHAR, Id(i).c_str()));
        }
    };
    const std::vector<Case> cases = {
        {"no deleted record, no memo field", "ID:C:4", [&] { add(5); }, 64, true},
        {"no deleted record, memo field unused", "ID:C:4,NOTE:M", [&] { add(5); }, 64, true},
        {"empty table", "ID:C:4,NOTE:M", [] {}, 64, true},
        {"a deleted record", "ID:C:4",
         [&] {
             add(5);
             ASSERT_TRUE(sx_Delete());
         },
         64, false},
        {"a memo in use", "ID:C:4,NOTE:M",
         [&] {
             add(3);
             ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "tekst"));
         },
         64, false},
        {"a memo written and emptied again", "ID:C:4,NOTE:M",
         [&] {
             add(3);
             ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "tekst"));
             ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, ""));
         },
         64, false},
        {"another memo block size", "ID:C:4,NOTE:M", [&] { add(3); }, 32, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sx_CloseAll();
        std::filesystem::remove_all(Path("a"));
        std::filesystem::remove_all(Path("b"));
        std::filesystem::create_directory(Path("a"));
        std::filesystem::create_directory(Path("b"));
        const std::string a = Create("a/t.DBF", c.fields);
        Open(a);
        c.fill();
        sx_CloseAll();
        for (const auto& e : std::filesystem::directory_iterator(Path("a"))) {
            std::filesystem::copy_file(e.path(), Path("b") + "/" + e.path().filename().string());
        }
        sx_SetMemoBlockSize(c.blockSize);
        const std::string b = Path("b/t.DBF");
        {
            auto table = xb::DbfTable::Open(b, xb::OpenMode::kExclusive);
            xb::PackTable(*table, c.blockSize, false);
        }
        g_steps = 0;
        xb::SetPackStepHook(CountStep);
        Open(a);
        EXPECT_TRUE(sx_Pack()) << sx_LastErrorText();
        sx_CloseAll();
        xb::SetPackStepHook(nullptr);
        EXPECT_EQ(g_steps == 0, c.kept);
        EXPECT_EQ(Bytes(a), Bytes(b));
        const bool memo = std::string(c.fields).find(":M") != std::string::npos;
        if (memo) {
            EXPECT_EQ(Bytes(Path("a/t.FPT")), Bytes(Path("b/t.FPT")));
        }
        sx_SetMemoBlockSize(64);
    }
}

xb::PackStep g_stopAt;

void StopHere(xb::PackStep step) {
    if (step == g_stopAt) {
        _exit(0);
    }
}

struct Stop {
    const char* name;
    xb::PackStep step;
    bool packed;  // whether the next open finds the packed table
};

void PrintTo(const Stop& s, std::ostream* os) {
    *os << s.name;
}

class StoppedPackTest : public PackTest, public ::testing::WithParamInterface<Stop> {};

TEST_P(StoppedPackTest, NextOpenFindsAWholeTableWithItsOwnMemos) {
    const std::string path = Create("p.DBF", "ID:C:4,NOTE:M");
    Fill(path);
    g_stopAt = GetParam().step;
    const pid_t child = fork();
    if (child == 0) {
        xb::SetPackStepHook(StopHere);
        if (sx_Use(path.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX) == 0) {
            _exit(2);
        }
        sx_Pack();
        _exit(3);  // the hook should have stopped it
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    Open(path, SX_SHARED);
    EXPECT_EQ(sx_RecCount(), GetParam().packed ? 20 : 30);
    sx_CloseAll();
    EXPECT_EQ(CheckWhole(path), GetParam().packed ? Kept() : All());
    EXPECT_EQ(Files(), (std::vector<std::string>{"p.DBF", "p.FPT"}));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StoppedPackTest,
    ::testing::Values(Stop{"BeforeTheMarker", xb::PackStep::kTemporariesWritten, false},
                      Stop{"BeforeTheRenames", xb::PackStep::kMarkerWritten, true},
                      Stop{"BetweenTheRenames", xb::PackStep::kMemoRenamed, true}),
    [](const ::testing::TestParamInfo<Stop>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace xbtest
