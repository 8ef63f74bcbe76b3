// Writes that a full or read-only disk refuses leave the files as they were and say why.

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

constexpr int32_t kPropLastSystemError = 65101;
constexpr int32_t kPropSimulateFreeSpace = 65110;
constexpr int32_t kPropRefuseWrites = 65111;

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FailedWrite : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        table = Create("log.dbf", "NAAM:C:20,MEMO:M");
        memo = Path("log.fpt");
    }
    void TearDown() override {
        sx_SysProp(kPropSimulateFreeSpace, -1);
        sx_SysProp(kPropRefuseWrites, 0);
        EngineTest::TearDown();
    }

    // Opens the table with one record and an index on NAAM.
    void OpenWithOneRecord(int mode) {
        Open(table, mode);
        AppendTexts({"Eerste"});
        ASSERT_GT(sx_Index(Path("naam.idx").c_str(), "NAAM", 0, 0, ""), 0) << sx_LastErrorText();
        ASSERT_TRUE(sx_Commit());
    }

    void ExpectFullDiskReported() {
        EXPECT_NE(std::string(sx_LastErrorText()).find("the disk is full"), std::string::npos)
            << sx_LastErrorText();
        EXPECT_EQ(sx_SysProp(kPropLastSystemError, 0), ENOSPC);
    }

    static std::string Memo() {
        char* text = sx_GetMemo("MEMO", 0);
        std::string memo = text == nullptr ? std::string() : std::string(text);
        sx_MemDealloc(text);
        return memo;
    }

    // The table as a reader sees it: one name per record in index order.
    std::string Names() {
        std::string names;
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            names += std::string(sx_GetTrimString("NAAM")) + ";";
        }
        return names;
    }

    std::string table;
    std::string memo;
};

TEST_F(FailedWrite, AnAppendOnAFullDiskLeavesTheTableAsItWasInEveryMode) {
    // Too little room for anything, for part of the record, for all of it but the end
    // marker's byte after it: the file keeps its size, its end marker and its count.
    for (const int mode : {SX_SHARED, SX_EXCLUSIVE}) {
        const int64_t length = 31;  // the deletion flag, NAAM and the memo pointer
        for (const int64_t room : {int64_t{0}, int64_t{1}, length / 2, length - 1}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", room " + std::to_string(room));
            ResetEngine();
            Create("log.dbf", "NAAM:C:20,MEMO:M");
            OpenWithOneRecord(mode);
            ASSERT_EQ(sx_RecSize(), length);
            const std::string before = Bytes(table);
            ASSERT_EQ(before.back(), '\x1A');

            sx_SysProp(kPropSimulateFreeSpace, room);
            EXPECT_EQ(sx_AppendEx(), 2);
            ExpectFullDiskReported();
            EXPECT_EQ(Bytes(table), before);
            EXPECT_EQ(sx_RecCount(), 1);
            EXPECT_EQ(sx_Count(), 1);

            // Once there is room again the next append lands where the failed one would have.
            sx_SysProp(kPropSimulateFreeSpace, -1);
            AppendTexts({"Tweede"});
            EXPECT_EQ(sx_RecCount(), 2);
            EXPECT_EQ(Names(), "Eerste;Tweede;");
            const std::string after = Bytes(table);
            EXPECT_EQ(after.size(), before.size() + static_cast<std::size_t>(length));
            EXPECT_EQ(after.back(), '\x1A');
        }
    }
}

TEST_F(FailedWrite, AFailedWriteOfTheRecordJustAppendedTakesTheAppendBack) {
    for (const int mode : {SX_SHARED, SX_EXCLUSIVE}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        ResetEngine();
        Create("log.dbf", "NAAM:C:20,MEMO:M");
        OpenWithOneRecord(mode);
        const std::string before = Bytes(table);

        ASSERT_EQ(sx_AppendEx(), 0) << sx_LastErrorText();
        std::string record(static_cast<std::size_t>(sx_RecSize()), ' ');
        record.replace(1, 6, "Tweede");
        sx_SysProp(kPropRefuseWrites, 1);
        EXPECT_FALSE(sx_PutRecord(record.c_str()));
        EXPECT_NE(std::string(sx_LastErrorText()).find("read-only"), std::string::npos)
            << sx_LastErrorText();
        EXPECT_EQ(sx_SysProp(kPropLastSystemError, 0), EROFS);

        EXPECT_EQ(Bytes(table), before);
        EXPECT_EQ(sx_RecCount(), 1);
        EXPECT_EQ(sx_Count(), 1);
        EXPECT_TRUE(sx_Eof());
        EXPECT_EQ(Names(), "Eerste;");

        AppendTexts({"Derde"});
        EXPECT_EQ(sx_RecNo(), 2);
        EXPECT_EQ(Names(), "Derde;Eerste;");
    }
}

TEST_F(FailedWrite, AFailedEditOfAnOlderRecordLeavesItAndTheCountAsTheyWere) {
    Open(table, SX_SHARED);
    AppendTexts({"Eerste"});
    AppendTexts({"Tweede"});
    const std::string before = Bytes(table);

    // Not a fresh append: the edit fails and the record stays as it was.
    sx_Go(1);
    std::string record(static_cast<std::size_t>(sx_RecSize()), ' ');
    record.replace(1, 5, "Ander");
    sx_SysProp(kPropRefuseWrites, 1);
    EXPECT_FALSE(sx_PutRecord(record.c_str()));
    EXPECT_EQ(Bytes(table), before);
    EXPECT_STREQ(sx_GetTrimString("NAAM"), "Eerste");
    EXPECT_EQ(sx_RecCount(), 2);
}

TEST_F(FailedWrite, AMemoWriteOnAFullDiskLeavesTheMemoFileAsItWas) {
    Open(table, SX_SHARED);
    AppendTexts({"Eerste"});
    ASSERT_TRUE(sx_Replace("MEMO", SX_R_MEMO, "een korte notitie")) << sx_LastErrorText();
    const std::string tableBefore = Bytes(table);
    const std::string memoBefore = Bytes(memo);

    const std::string longText(500, 'x');
    for (const int64_t room : {0, 8, 100}) {
        SCOPED_TRACE("room " + std::to_string(room));
        sx_SysProp(kPropSimulateFreeSpace, room);
        EXPECT_FALSE(sx_Replace("MEMO", SX_R_MEMO, longText.c_str()));
        ExpectFullDiskReported();
        EXPECT_EQ(Bytes(memo), memoBefore);
        EXPECT_EQ(Bytes(table), tableBefore);
        EXPECT_EQ(Memo(), "een korte notitie");
    }
    sx_SysProp(kPropSimulateFreeSpace, -1);
    ASSERT_TRUE(sx_Replace("MEMO", SX_R_MEMO, longText.c_str())) << sx_LastErrorText();
    EXPECT_EQ(Memo(), longText);
}

}  // namespace
}  // namespace xbtest
